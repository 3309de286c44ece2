#include "app/setup_options.h"

#include <cwchar>

namespace {

// One trailing quote (what a quoted folder ending in a backslash leaves behind), then one
// trailing separator, are dropped.
std::wstring CleanFolderArgument(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'"') folder.pop_back();
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

}  // namespace

void ReadInstallerOptions(SetupOptions& options, int argc, const wchar_t* const* argv) {
    std::wstring folder;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        if (!arg) continue;
        if (wcsncmp(arg, L"-inst", 5) == 0) {
            bool portable = wcscmp(arg, L"-instport") == 0;
            if (portable) options.installType = InstallPortable;
            // The folder is the next argument, which is still examined as an option itself.
            if ((portable || wcscmp(arg, L"-instdir") == 0) && i + 1 < argc && argv[i + 1])
                folder = CleanFolderArgument(argv[i + 1]);
            continue;
        }
        if (_wcsicmp(arg, L"-runafter") == 0) {
            options.runAfter = 1;
        } else if (_wcsicmp(arg, L"-allusers") == 0 && options.installType == InstallCurrentUser) {
            options.installType = InstallAllUsers;
        } else if (_wcsicmp(arg, L"-autostart") == 0) {
            options.autoStart = 1;
        } else if (_wcsicmp(arg, L"-nodeskico") == 0) {
            options.desktopIcon = 0;
        }
    }
    if (!folder.empty()) options.installDir = folder;
}
