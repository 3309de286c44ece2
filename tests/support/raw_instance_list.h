// Direct access to the words of an instance list section, as another process of the session
// (the product, or a hostile one) sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace glt::test {

class RawInstanceList {
public:
    explicit RawInstanceList(const std::wstring& applicationName);
    ~RawInstanceList();
    RawInstanceList(const RawInstanceList&) = delete;
    RawInstanceList& operator=(const RawInstanceList&) = delete;

    bool ok() const { return words_ != nullptr; }
    LONG FirstWord() const { return words_[0]; }
    LONG Count() const { return words_[1]; }
    DWORD Entry(int i) const { return static_cast<DWORD>(words_[2 + i]); }
    std::vector<DWORD> Entries() const;  // entries 0 .. count-1, count taken as it is (0..1000)
    void SetCount(LONG count) { words_[1] = count; }
    void SetEntry(int i, DWORD id) { words_[2 + i] = static_cast<LONG>(id); }
    // Replaces the whole list by these entries.
    void Reset(const std::vector<DWORD>& entries);
    // Size of the whole section, as the system rounded it.
    SIZE_T SectionSize() const;

private:
    HANDLE section_ = nullptr;
    volatile LONG* words_ = nullptr;
};

}  // namespace glt::test
