#include "install/install_sequence.h"

#include "app/process_helpers.h"
#include "app/setup_options.h"
#include "install/copy_one_file.h"
#include "install/payload_copy.h"
#include "install/shortcuts.h"
#include "install/system_registration.h"
#include "product/product_names.h"
#include "support/paths.h"
#include "uninstall/installation_log.h"
#include "uninstall/log_replay.h"

#include <cstdlib>

int RunInstallSequence() {
    SetupOptions& o = g_options;
    const std::wstring installLog = JoinPath(o.installDir, product::kInstallLog);
    const std::wstring payloadLog = JoinPath(o.sourceDir, product::kInstallLog);

    // The earlier installation in this folder: its shortcuts and group first, then the files
    // that the new payload declares obsolete.
    if (o.freshInstall == 0) {
        RemoveLinksAndMadeDirs(JoinPath(o.installDir, product::kLegacyLog));
        RemoveLinksAndMadeDirs(installLog);
        ReplayLog(payloadLog, o.installDir, kFileDel);
    }

    CopyPayload(payloadLog);
    CopyMatchingFiles(product::kInstallLog, o.sourceDir, o.installDir);
    // What the setup appends starts on a line of its own, whatever the payload log ended with.
    AppendLogLine(installLog, L"");

    if (o.installType != InstallPortable) {
        CreateProgramGroupAndShortcuts();  // may turn an all-users installation into a current-user one
        RegisterWithSystem();
    }

    const std::wstring archiveFolder = ParentFolder(_wgetenv(product::kSfxNameVariable));
    if (!archiveFolder.empty()) {
        o.configCarried = CopyOneFile(product::kCarriedIni, archiveFolder, o.installDir) ? 1 : 0;
        CopyOneFile(product::kCarriedReg, archiveFolder, o.installDir);
    }

    if (o.installType == InstallCurrentUser || o.installType == InstallAllUsers)
        RunProgram(L"\"" + JoinPath(o.installDir, product::kProductExe) + L"\" " + product::kRegisterOnly, {}, 0);
    return 0;
}
