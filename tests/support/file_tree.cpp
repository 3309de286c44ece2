#include "support/file_tree.h"

#include <windows.h>

namespace glt::test {

namespace {

// The "\\?\" form lifts the 259-character limit, for trees that go beyond it on purpose.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

void List(const std::wstring& root, const std::wstring& relative, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Long(root + L"\\" + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(relative + name + L"\\");
            List(root, relative + name + L"\\", out);
        } else {
            out.insert(relative + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

bool MakeTree(const std::wstring& root, const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        const std::wstring path = Long(root + L"\\" + entry);
        if (!entry.empty() && entry.back() == L'\\') {
            if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
            continue;
        }
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok = ::WriteFile(h, "entry", 5, &written, nullptr);
        CloseHandle(h);
        if (!ok) return false;
    }
    return true;
}

std::set<std::wstring> ListTree(const std::wstring& root) {
    std::set<std::wstring> out;
    List(root, L"", out);
    return out;
}

std::set<std::wstring> Without(const std::vector<std::wstring>& entries, const std::vector<std::wstring>& gone) {
    std::set<std::wstring> out(entries.begin(), entries.end());
    for (const std::wstring& name : gone) out.erase(name);
    return out;
}

void RemoveLongTree(const std::wstring& root) {
    const std::wstring path = Long(root);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    std::set<std::wstring> below;
    List(root, L"", below);
    // Deepest first: a folder's entries sort after it, so the reverse order empties it first.
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        const std::wstring entry = Long(root + L"\\" + *it);
        SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (it->back() == L'\\')
            RemoveDirectoryW(entry.c_str());
        else
            DeleteFileW(entry.c_str());
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace glt::test
