#include "install/existing_installation.h"

#include "product/product_names.h"
#include "support/registry.h"

#include <windows.h>

namespace {

constexpr const wchar_t* kAppPathsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Glintr7.exe";
constexpr const wchar_t* kCurrentVersionKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

void DropOneTrailingBackslash(std::wstring& folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
}

}  // namespace

std::wstring FindExistingInstallation() {
    std::wstring folder = ReadRegString(HKEY_LOCAL_MACHINE, product::kProductKey, L"Path");
    if (folder.empty()) {
        const std::wstring command = ReadRegString(HKEY_LOCAL_MACHINE, kAppPathsKey, nullptr);
        // Case-sensitive on purpose: only the command that the setup itself writes counts.
        const size_t at = command.find(std::wstring(L"\\") + product::kProductExe);
        if (at != std::wstring::npos) folder = command.substr(0, at);
    }
    DropOneTrailingBackslash(folder);
    return folder;
}

std::wstring DefaultProgramFolder() {
    std::wstring folder = ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"ProgramFilesDir");
    if (folder.empty()) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
        std::wstring root = length < MAX_PATH ? std::wstring(windows, length) : std::wstring();
        const size_t backslash = root.find(L'\\');
        if (backslash != std::wstring::npos) root.resize(backslash + 1);
        else if (!root.empty()) root += L'\\';  // a bare "C:" still names the drive's root
        folder = root + L"Program Files";
    }
    DropOneTrailingBackslash(folder);
    return folder;
}
