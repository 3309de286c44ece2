#include "support/shell_links.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>

namespace glt::test {

namespace {

// Wine's link object writes the show command but does not load it back (it reports 1 for
// every file), so it is read from the file's fixed header: a 4-byte value at offset 60, after
// the header size, class id, flags, attributes, three times, file size and icon index.
int StoredShowCommand(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return -1;
    unsigned char header[76] = {};
    const size_t read = fread(header, 1, sizeof header, file);
    fclose(file);
    if (read != sizeof header || header[0] != 0x4C) return -1;
    return static_cast<int>(header[60] | header[61] << 8 | header[62] << 16 | static_cast<unsigned>(header[63]) << 24);
}

}  // namespace

std::optional<ShellLinkContents> ReadShellLink(const std::wstring& path) {
    // Balanced: an apartment that was there stays, one that was not goes again.
    const HRESULT init = CoInitialize(nullptr);
    std::optional<ShellLinkContents> result;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        // Longer than any path the setup writes, so that a cut-off would show.
        std::vector<wchar_t> buffer(2048);
        const int size = static_cast<int>(buffer.size());
        ShellLinkContents contents;
        buffer[0] = 0;
        link->GetPath(buffer.data(), size, nullptr, SLGP_RAWPATH);
        contents.target = buffer.data();
        buffer[0] = 0;
        link->GetWorkingDirectory(buffer.data(), size);
        contents.workingFolder = buffer.data();
        buffer[0] = 0;
        link->GetArguments(buffer.data(), size);
        contents.arguments = buffer.data();
        buffer[0] = 0;
        link->GetDescription(buffer.data(), size);
        contents.description = buffer.data();
        contents.showCommand = StoredShowCommand(path);
        result = contents;
    }
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}

namespace {

void CollectLinks(const std::wstring& folder, std::vector<std::wstring>& links) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectLinks(path, links);
        } else if (name.size() >= 4 && _wcsicmp(name.c_str() + name.size() - 4, L".lnk") == 0) {
            links.push_back(path);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

std::vector<std::wstring> FindLinks(const std::wstring& folder) {
    std::vector<std::wstring> links;
    CollectLinks(folder, links);
    std::sort(links.begin(), links.end());
    return links;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return lines;
    std::wstring bytes;
    for (int c; (c = getc(file)) != EOF;) bytes.push_back(static_cast<wchar_t>(c));
    fclose(file);
    size_t start = 0;
    for (size_t end; (end = bytes.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size()) lines.push_back(bytes.substr(start) + L"<no line end>");
    return lines;
}

}  // namespace glt::test
