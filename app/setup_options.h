// The one process-wide record of the user's choices and of what the setup has learnt.
#pragma once

#include <windows.h>

#include <string>

enum UiMode : int { UiInteractive = 0, UiSilent = 1, UiSilentFinish = 2 };
enum InstallType : int { InstallCurrentUser = 0, InstallAllUsers = 1, InstallPortable = 2 };

struct ProductVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;
};

struct SetupOptions {
    int uiMode = UiSilent;
    int installType = InstallAllUsers;
    int desktopIcon = 1;
    int autoStart = 0;
    int runAfter = 0;
    int restartNeeded = 0;
    int freshInstall = 0;
    int upgradeInstall = 0;
    int configCarried = 0;
    std::wstring installDir;
    std::wstring sourceDir;
    std::wstring groupName;
    ProductVersion productVersion;
    OSVERSIONINFOW osVersion = {};
};

// Defined with the other process-wide objects, in the order in which they must be created.
extern SetupOptions g_options;

// Reads the installer's options (-instdir, -instport, -runafter, -allusers, -autostart,
// -nodeskico) from the argument vector into the options. argv[0] is the program.
void ReadInstallerOptions(SetupOptions& options, int argc, const wchar_t* const* argv);
