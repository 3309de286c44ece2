#include "support/paths.h"

std::wstring ParentFolder(const wchar_t* path) {
    if (path == nullptr) return {};
    std::wstring text = path;
    if (!text.empty() && text.back() == L'\\') text.pop_back();
    const size_t last = text.rfind(L'\\');
    if (last == std::wstring::npos || last == 0) return {};
    return text.substr(0, last);
}

std::wstring ParentFolder(const std::wstring& path) { return ParentFolder(path.c_str()); }

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
    return folder + L'\\' + name;
}

bool FitsPath(const std::wstring& path) {
    return path.size() <= kMaxPathChars && path.find(L'\0') == std::wstring::npos;
}
