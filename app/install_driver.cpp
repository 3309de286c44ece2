#include "app/install_driver.h"

#include "app/process_helpers.h"
#include "app/setup_app.h"
#include "app/setup_options.h"
#include "app/system_entry_points.h"
#include "framework/message_box.h"
#include "install/existing_installation.h"
#include "install/install_sequence.h"
#include "product/product_names.h"
#include "res/resource.h"
#include "support/known_folders.h"
#include "support/paths.h"
#include "support/registry.h"
#include "uninstall/installation_log.h"

#include <shlobj.h>

#include <cwchar>
#include <cwctype>
#include <io.h>

namespace {

bool Exists(const std::wstring& path) { return _waccess(path.c_str(), 0) == 0; }

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

unsigned NumberOf(const ProductVersion& v) { return VersionNumber(v.major, v.minor, v.build, v.revision); }

// Message 16 or 17 with the versions put in; true when the user answers "Oui".
bool ConfirmReinstallation(const ProductVersion& installed, const ProductVersion& payload) {
    const bool older = NumberOf(payload) < NumberOf(installed);
    const std::wstring format = LoadResString(older ? IDS_OLDER_PAYLOAD : IDS_SAME_VERSION);
    wchar_t text[512];
    if (older)
        swprintf(text, 512, format.c_str(), installed.major, installed.minor, installed.build, installed.revision,
                 payload.major, payload.minor, payload.build, payload.revision);
    else
        swprintf(text, 512, format.c_str(), payload.major, payload.minor, payload.build, payload.revision);
    return AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool RestartWindows() {
    HANDLE token = nullptr;
    if (g_entryPoints.openProcessToken &&
        g_entryPoints.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token) && token) {
        EnablePrivilege(token, L"SeShutdownPrivilege", true);
        CloseHandle(token);
    }
    return ExitWindowsEx(EWX_REBOOT, 0x80040002) != 0;
}

}  // namespace

unsigned VersionNumber(unsigned major, unsigned minor, unsigned build, unsigned revision) {
    return ((major * 100u + minor) * 100u + build) * 100u + revision;
}

std::wstring GroupFromEarlierLog(const std::wstring& logPath, const std::wstring& programsFolder,
                                 const std::wstring& startupFolder, const std::wstring& fallback) {
    LogReader log(logPath);
    if (!log.IsOpen()) return fallback;
    std::wstring programs = programsFolder;
    if (programs.empty() || programs.back() != L'\\') programs += L'\\';
    programs = Lower(programs);
    const std::wstring startup = Lower(startupFolder);
    std::wstring group = fallback;
    std::wstring line, link;
    while (log.NextLine(line)) {
        if (!TakePrefix(line, kShellLink, link)) continue;
        const std::wstring lower = Lower(link);
        if (lower.compare(0, programs.size(), programs) != 0 || lower.find(startup) != std::wstring::npos) continue;
        group = ParentFolder(link.substr(programs.size()));
    }
    return group;
}

int RunInstaller(int* exitCode) {
    SetupOptions& o = g_options;
    int code = kExitInstalled;

    o.installDir = FindExistingInstallation();
    wchar_t module[260] = {};
    GetModuleFileNameW(nullptr, module, 260);
    o.sourceDir = module;
    o.sourceDir.erase(o.sourceDir.rfind(L'\\') == std::wstring::npos ? 0 : o.sourceDir.rfind(L'\\'));
    ReadInstallerOptions(o, __argc, __wargv);
    if (o.installDir.empty()) {
        o.installDir = JoinPath(DefaultProgramFolder(), product::kProductName);
        o.freshInstall = 1;
    }
    o.groupName = product::kProductName;

    const std::wstring payloadExe = JoinPath(o.sourceDir, product::kProductExe);
    if (o.freshInstall == 1) {
        ReadProductVersion(payloadExe);
    } else {
        ReadProductVersion(JoinPath(o.installDir, product::kProductExe));
        const ProductVersion installed = o.productVersion;
        ReadProductVersion(payloadExe);
        if (o.uiMode != UiInteractive || NumberOf(installed) < NumberOf(o.productVersion)) {
            o.upgradeInstall = 1;
        } else if (!ConfirmReinstallation(installed, o.productVersion)) {
            if (exitCode) *exitCode = kExitUserDeclined;
            return 1;
        }
        if (o.installType < InstallPortable)
            o.installType = ReadRegString(HKEY_LOCAL_MACHINE, product::kProductKey, L"AllUsers") == L"B"
                                ? InstallAllUsers
                                : InstallCurrentUser;

        std::wstring programs, startup;
        if (o.installType == InstallAllUsers) {
            programs = GetKnownFolder(CSIDL_COMMON_PROGRAMS);
            startup = GetKnownFolder(CSIDL_COMMON_STARTUP);
        } else if (o.installType == InstallCurrentUser) {
            programs = GetKnownFolder(CSIDL_PROGRAMS);
            startup = GetKnownFolder(CSIDL_STARTUP);
        }
        const std::wstring currentLog = JoinPath(o.installDir, product::kInstallLog);
        const std::wstring earlierLog = LogReader(currentLog).IsOpen() ? currentLog
                                                                       : JoinPath(o.installDir, product::kLegacyLog);
        o.groupName = GroupFromEarlierLog(earlierLog, programs, startup, o.groupName);

        o.autoStart = 0;
        for (int csidl : {CSIDL_COMMON_STARTUP, CSIDL_STARTUP}) {
            const std::wstring folder = GetKnownFolder(csidl);
            if (folder.size() > 4 && Exists(JoinPath(folder, product::kStartupLinkName))) o.autoStart = 1;
        }
    }

    if (o.productVersion.major == 0 || !Exists(JoinPath(o.sourceDir, product::kInstallLog))) AbortDamagedPayload();

    if (o.uiMode != UiInteractive) {
        // A silent first installation is always for all users.
        if (o.freshInstall == 1) o.installType = InstallAllUsers;
        RunInstallSequence();
        // With UiSilentFinish the wizard would now open on its finished page; it is not part of
        // this build yet, so the run goes on as a silent one.
    } else {
        // The interactive wizard is not part of this build yet: nothing was installed.
        if (exitCode) *exitCode = kExitNotPerformed;
        return 0;
    }

    SetCurrentDirectoryW(o.installDir.c_str());
    if (o.runAfter == 1) {
        if (o.restartNeeded == 1) {
            code = RestartWindows() ? kExitRestartInitiated : kExitRestartRequired;
        } else {
            // Quoted: an unquoted path with blanks could start another program found on the way.
            RunProgram(L"\"" + JoinPath(o.installDir, product::kProductExe) + L"\"", {}, 0);
        }
    } else if (o.restartNeeded == 1) {
        code = kExitRestartRequired;
    }
    if (exitCode) *exitCode = code;
    return 0;
}
