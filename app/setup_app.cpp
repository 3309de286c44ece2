#include "app/setup_app.h"

#include "app/setup_options.h"
#include "app/startup.h"
#include "instances/close_running_instances.h"
#include "instances/instance_list.h"
#include "res/resource.h"

#include <cstdlib>
#include <cwchar>

namespace {

wchar_t g_startupCaption[128];

void LoadText(UINT id, wchar_t (&buffer)[256]) {
    buffer[0] = L'\0';
    LoadStringW(GetModuleHandleW(nullptr), id, buffer, 256);
}

}  // namespace

int StartupMessageBox(const wchar_t* text, UINT flags) {
    return MessageBoxW(nullptr, text, g_startupCaption, flags);
}

BOOL CSetupApp::InitInstance() {
    const int argc = __argc;
    const wchar_t* const* argv = __wargv;

    wchar_t module[260] = {};
    GetModuleFileNameW(nullptr, module, 260);

    bool silentFlag = false;
    g_options.uiMode = ScanUiMode(argc, argv, silentFlag);
    const SetupRole role = DecideRole(argc, argv, module);
    g_options.uiMode = SettleUiMode(role, g_options.uiMode, silentFlag);

    if (role == SetupRole::FinishUninstall) {
        // The final clean-up phase is not part of this build yet: nothing is removed.
        m_nExitCode = kExitNotPerformed;
        return FALSE;
    }

    g_startupCaption[0] = L'\0';
    LoadStringW(GetModuleHandleW(nullptr), IDS_STARTUP_CAPTION, g_startupCaption, 128);

    wchar_t text[256];
    if (role == SetupRole::Uninstaller && g_options.uiMode == UiInteractive) {
        LoadText(IDS_CONFIRM_UNINSTALL, text);
        if (StartupMessageBox(text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            m_nExitCode = kExitUserDeclined;
            return FALSE;
        }
    }

    const int count = g_instanceManager.GetInstanceCount();
    if (count - 1 > 0) {
        if (role == SetupRole::Installer && !CloseQuestionSuppressed(argc, argv)) {
            if (count - 1 == 1) {
                LoadText(IDS_CLOSE_ONE, text);
            } else {
                wchar_t format[256];
                LoadText(IDS_CLOSE_MANY, format);
                swprintf(text, 256, format, count - 1);
            }
            if (StartupMessageBox(text, MB_YESNO | MB_ICONWARNING) != IDYES) {
                LoadText(IDS_INSTALL_INTERRUPTED, text);
                StartupMessageBox(text, MB_ICONINFORMATION | MB_OK);
                m_nExitCode = kExitUserDeclined;
                return TRUE;
            }
        }
        CloseRunningInstances(count);
    }

    // The install driver and the uninstaller's relocation are not part of this build yet:
    // the run ends here and says that nothing was installed or removed.
    m_nExitCode = kExitNotPerformed;
    return role == SetupRole::Installer ? TRUE : FALSE;
}
