#include "support/raw_instance_list.h"

namespace glt::test {

RawInstanceList::RawInstanceList(const std::wstring& applicationName) {
    section_ = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE,
                                (L"Local\\COXInstanceManager_FileMap_" + applicationName).c_str());
    if (section_) words_ = static_cast<volatile LONG*>(MapViewOfFile(section_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
}

RawInstanceList::~RawInstanceList() {
    if (words_) UnmapViewOfFile(const_cast<LONG*>(words_));
    if (section_) CloseHandle(section_);
}

std::vector<DWORD> RawInstanceList::Entries() const {
    std::vector<DWORD> out;
    for (LONG i = 0; i < Count() && i < 1000; ++i) out.push_back(Entry(static_cast<int>(i)));
    return out;
}

void RawInstanceList::Reset(const std::vector<DWORD>& entries) {
    for (int i = 0; i < 1000; ++i) SetEntry(i, 0);
    for (size_t i = 0; i < entries.size(); ++i) SetEntry(static_cast<int>(i), entries[i]);
    SetCount(static_cast<LONG>(entries.size()));
}

SIZE_T RawInstanceList::SectionSize() const {
    MEMORY_BASIC_INFORMATION info = {};
    if (!words_ || !VirtualQuery(const_cast<LONG*>(words_), &info, sizeof info)) return 0;
    return info.RegionSize;
}

}  // namespace glt::test
