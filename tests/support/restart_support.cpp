#include "support/restart_support.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace glt::test {

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::wstring WithoutNtPrefix(const std::wstring& s) {
    if (s.rfind(L"!\\??\\", 0) == 0) return L"!" + s.substr(5);
    if (s.rfind(L"\\??\\", 0) == 0) return s.substr(4);
    return s;
}

bool Inside(const std::wstring& path, const std::wstring& folderLower) {
    std::wstring p = Lower(path);
    if (!p.empty() && p[0] == L'!') p.erase(0, 1);
    return p == folderLower || p.rfind(folderLower + L"\\", 0) == 0;
}

}  // namespace

bool IsDeletionBlocked(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

bool FileHolder::Hold(const std::vector<std::wstring>& paths) {
    std::wstring command = Quote(TestkitExe(L"file_holder.exe"));
    for (const auto& p : paths) command += L" " + Quote(p);
    if (!process_.Start(command)) return false;
    return WaitUntil([&] {
        for (const auto& p : paths)
            if (!IsDeletionBlocked(p)) return false;
        return true;
    }, 10000);
}

void FileHolder::Release() {
    process_.Kill();
}

std::vector<PendingOperation> ReadPendingOperations() {
    std::vector<PendingOperation> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return out;
    DWORD type = 0, size = 0;
    std::vector<wchar_t> data;
    LONG result = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS && type == REG_MULTI_SZ) {
        data.assign(size / sizeof(wchar_t) + 2, L'\0');
        result = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_MULTI_SZ) return out;

    // A deletion's empty second name is an empty string inside the list: the data's size, not
    // a double NUL, tells where the list ends.
    std::vector<std::wstring> names;
    const size_t length = size / sizeof(wchar_t);
    for (size_t i = 0; i < length;) {
        std::wstring name(data.data() + i);
        i += name.size() + 1;
        names.push_back(name);
    }
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        if (names[i].empty()) break;  // the list's own end
        out.push_back({WithoutNtPrefix(names[i]), WithoutNtPrefix(names[i + 1])});
    }
    return out;
}

std::vector<PendingOperation> PendingOperationsIn(const std::wstring& folder) {
    const std::wstring lower = Lower(folder);
    std::vector<PendingOperation> out;
    for (const auto& op : ReadPendingOperations())
        if (Inside(op.path, lower) || Inside(op.newPath, lower)) out.push_back(op);
    return out;
}

std::wstring WininitPath() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\WININIT.INI";
}

bool ReadWininitBytes(std::string& bytes) {
    bytes.clear();
    if (GetFileAttributesW(WininitPath().c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    bytes = ReadFileBytes(WininitPath());
    return true;
}

std::vector<std::wstring> ReadWininitLines() {
    std::string bytes;
    if (!ReadWininitBytes(bytes)) return {};
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (!bytes.empty()) {
        int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.assign(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    }
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool RunRestart() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    RunResult r = RunAndWait(Quote(std::wstring(system) + L"\\wineboot.exe") + L" -r", 60000);
    return r.started && r.finished && r.exitCode == 0;
}

}  // namespace glt::test
