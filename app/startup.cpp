#include "app/startup.h"

#include "app/setup_options.h"

#include <cwchar>
#include <cwctype>

int ScanUiMode(int argc, const wchar_t* const* argv, bool& silentFlag) {
    int mode = UiSilent;
    silentFlag = false;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        if (!arg) continue;
        if (_wcsicmp(arg, L"-v") == 0) return UiInteractive;
        if (_wcsicmp(arg, L"-sconf") == 0) return UiSilentFinish;
        if (_wcsicmp(arg, L"-s") == 0) silentFlag = true;
    }
    return mode;
}

SetupRole DecideRole(int argc, const wchar_t* const* argv, const std::wstring& modulePath) {
    if (argc >= 3 && argv[1] && wcscmp(argv[1], L"-delself") == 0) return SetupRole::FinishUninstall;
    if (argc >= 2 && argv[1] && _wcsicmp(argv[1], L"-install") == 0) return SetupRole::Installer;
    std::wstring lower = modulePath;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    if (lower.find(L"setup.exe") != std::wstring::npos) return SetupRole::Installer;
    return SetupRole::Uninstaller;
}

int SettleUiMode(SetupRole role, int scannedMode, bool silentFlag) {
    if (role != SetupRole::Uninstaller && !silentFlag && scannedMode < UiSilentFinish) return UiInteractive;
    return scannedMode;
}

bool CloseQuestionSuppressed(int argc, const wchar_t* const* argv) {
    for (int i = 2; i < argc; ++i)
        if (argv[i] && (_wcsicmp(argv[i], L"/s") == 0 || _wcsicmp(argv[i], L"-s") == 0)) return true;
    return false;
}
