#include "support/payload_builder.h"
#include "support/test_support.h"

#include "product/product_names.h"

#include <windows.h>

#include <cstdio>

namespace glt::test {

namespace {

bool MakeFolderChain(const std::wstring& folder, const std::wstring& relative) {
    for (size_t at = relative.find(L'\\'); at != std::wstring::npos; at = relative.find(L'\\', at + 1)) {
        const std::wstring path = folder + L"\\" + relative.substr(0, at);
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}


void ReadInto(const std::wstring& folder, const std::wstring& relative, std::map<std::wstring, std::string>& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\" + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[relative + name + L"\\"] = "";
            ReadInto(folder, relative + name + L"\\", out);
        } else {
            out[relative + name] = ReadFileBytes(folder + L"\\" + relative + name);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

bool LayOutTree(const std::wstring& folder, const std::vector<TreeEntry>& entries) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    for (const auto& entry : entries) {
        if (!MakeFolderChain(folder, entry.path)) return false;
        if (!entry.path.empty() && entry.path.back() == L'\\') continue;
        if (!WriteBytes(folder + L"\\" + entry.path, entry.content)) return false;
    }
    return true;
}

bool WriteLines(const std::wstring& path, const std::vector<std::string>& lines, const std::string& lineEnd) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + lineEnd;
    return WriteBytes(path, bytes);
}

bool BuildPayload(const std::wstring& folder, const std::vector<TreeEntry>& entries,
                  const std::vector<std::string>& listLines) {
    return LayOutTree(folder, entries) && WriteLines(folder + L"\\" + product::kInstallLog, listLines);
}

std::map<std::wstring, std::string> ReadTree(const std::wstring& folder) {
    std::map<std::wstring, std::string> out;
    ReadInto(folder, L"", out);
    return out;
}

}  // namespace glt::test
