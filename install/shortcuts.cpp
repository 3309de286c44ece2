#include "install/shortcuts.h"

#include "app/setup_options.h"
#include "framework/message_box.h"
#include "product/product_names.h"
#include "res/resource.h"
#include "support/known_folders.h"
#include "support/paths.h"
#include "uninstall/installation_log.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <io.h>

#include <algorithm>

namespace {

// Set by the first shortcut; COM is never uninitialised again, so later calls find the
// apartment of the first one.
bool s_comInitialised = false;

// Anything shorter is empty or a bare drive: no place for a group or a shortcut.
constexpr size_t kMinUsableFolderChars = 4;

bool IsUsableFolder(const std::wstring& folder) { return folder.size() >= kMinUsableFolderChars; }

// A log of no folder would land in the root of whatever drive is current.
void AppendToInstallationLog(const std::wstring& text) {
    if (g_options.installDir.empty()) return;
    AppendLogLine(JoinPath(g_options.installDir, product::kInstallLog), text);
}

std::wstring WithoutOuterQuotes(std::wstring text) {
    if (!text.empty() && text.front() == L'"') text.erase(0, 1);
    if (!text.empty() && text.back() == L'"') text.pop_back();
    return text;
}

// The product's shortcut in folder, started in the user's pictures folder.
void CreateProductShortcut(const std::wstring& folder, const std::wstring& pictures) {
    CreateShortcut(JoinPath(g_options.installDir, product::kProductExe),
                   JoinPath(folder, LoadResString(IDS_PRODUCT_NAME) + L".lnk"), L"", SW_SHOWNORMAL, nullptr,
                   IsUsableFolder(pictures) ? pictures.c_str() : nullptr);
}

}  // namespace

HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath, const std::wstring& description,
                       int showCommand, const wchar_t* arguments, const wchar_t* workingFolder) {
    // Cut short, either path would name another file than the one asked for.
    if (target.size() > kMaxShortcutTargetChars || linkPath.size() > kMaxShortcutLinkPathChars)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

    if (!s_comInitialised) {
        CoInitialize(nullptr);
        s_comInitialised = true;
    }

    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    IPersistFile* file = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(hr)) {
        link->Release();
        return hr;
    }

    // These two are told even to a silent installation: the link is made, but not as asked.
    if (FAILED(link->SetPath(WithoutOuterQuotes(target).c_str()))) AfxMessageBox(L"SetPath failed!", MB_OK);
    if (FAILED(link->SetDescription(description.c_str()))) AfxMessageBox(L"SetDescription failed!", MB_OK);
    if (showCommand != SW_SHOWNORMAL) link->SetShowCmd(showCommand);
    if (arguments != nullptr) link->SetArguments(arguments);
    if (workingFolder != nullptr) link->SetWorkingDirectory(workingFolder);

    hr = file->Save(linkPath.c_str(), TRUE);
    // The uninstaller deletes what these lines name, so only a file that was written is named.
    if (SUCCEEDED(hr)) AppendToInstallationLog(kShellLink + linkPath);

    file->Release();
    link->Release();
    return hr;
}

std::wstring NormaliseGroupName(std::wstring name) {
    std::replace(name.begin(), name.end(), L'/', L'\\');
    constexpr const wchar_t* kTrimmed = L" \t\r\n\\";
    const size_t first = name.find_first_not_of(kTrimmed);
    if (first == std::wstring::npos) return {};
    const size_t last = name.find_last_not_of(kTrimmed);
    return name.substr(first, last - first + 1);
}

void CreateProgramGroupAndShortcuts(const KnownFolderLookup& knownFolder) {
    if (g_options.installType == InstallPortable) return;

    std::wstring base;
    if (g_options.installType == InstallAllUsers) {
        base = knownFolder(CSIDL_COMMON_PROGRAMS);
        // No common start menu: everything of this installation goes to the user's folders.
        if (!IsUsableFolder(base)) g_options.installType = InstallCurrentUser;
    }
    const bool allUsers = g_options.installType == InstallAllUsers;
    if (!allUsers) base = knownFolder(CSIDL_PROGRAMS);

    g_options.groupName = NormaliseGroupName(g_options.groupName);
    if (IsUsableFolder(base)) {
        const std::wstring& group = g_options.groupName;
        // The levels above the group first; the uninstaller climbs back up from the group.
        for (size_t at = group.find(L'\\', 1); at != std::wstring::npos; at = group.find(L'\\', at + 1))
            CreateDirectoryW(JoinPath(base, group.substr(0, at)).c_str(), nullptr);
        const std::wstring folder = JoinPath(base, group);
        CreateDirectoryW(folder.c_str(), nullptr);
        // Logged also when it existed before: it is this installation's group now.
        AppendToInstallationLog(kMadeDir + folder);

        if (_waccess(folder.c_str(), 0) == 0) {
            CreateProductShortcut(folder, knownFolder(CSIDL_MYPICTURES));
            CreateShortcut(JoinPath(g_options.installDir, product::kHelpFile),
                           JoinPath(folder, LoadResString(IDS_HELP_NAME) + L".lnk"), L"", SW_SHOWNORMAL, nullptr,
                           nullptr);
        }
    }

    if (g_options.desktopIcon) {
        const std::wstring desktop = knownFolder(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
        if (IsUsableFolder(desktop)) CreateProductShortcut(desktop, knownFolder(CSIDL_MYPICTURES));
    }
    if (g_options.autoStart) {
        const std::wstring startup = knownFolder(allUsers ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
        if (IsUsableFolder(startup)) CreateProductShortcut(startup, knownFolder(CSIDL_MYPICTURES));
    }
}

void CreateProgramGroupAndShortcuts() { CreateProgramGroupAndShortcuts(GetKnownFolder); }
