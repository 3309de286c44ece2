// The program group and the shortcuts in the shell's own folders of this Wine prefix, for an
// all-users and a current-user installation. Serial: the desktop and start-up shortcuts carry
// the product's fixed name. Everything made is removed again.
#include "install/shortcuts.h"

#include "app/setup_options.h"
#include "support/known_folders.h"
#include "uninstall/installation_log.h"

#include "support/shell_links.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace glt::test;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes the links and the group's folders (innermost first) whatever the test saw.
class MadeByTheTest {
public:
    MadeByTheTest(std::vector<std::wstring> links, std::vector<std::wstring> folders)
        : links_(std::move(links)), folders_(std::move(folders)) {}
    ~MadeByTheTest() {
        for (const auto& link : links_) DeleteFileW(link.c_str());
        for (const auto& folder : folders_) RemoveDirectoryW(folder.c_str());
        for (const auto& link : links_) EXPECT_FALSE(Exists(link)) << "left behind: " << Narrow(link);
        for (const auto& folder : folders_) EXPECT_FALSE(Exists(folder)) << "left behind: " << Narrow(folder);
    }
    MadeByTheTest(const MadeByTheTest&) = delete;
    MadeByTheTest& operator=(const MadeByTheTest&) = delete;

private:
    std::vector<std::wstring> links_;
    std::vector<std::wstring> folders_;
};

class SavedOptions {
public:
    SavedOptions() : saved_(g_options) {}
    ~SavedOptions() { g_options = saved_; }
    SavedOptions(const SavedOptions&) = delete;
    SavedOptions& operator=(const SavedOptions&) = delete;

private:
    SetupOptions saved_;
};

TEST(ShortcutsInTheShellFolders, GoWhereTheShellKeepsEachInstallationType) {
    struct Case {
        const char* what;
        int installType;
        int programs;
        int desktop;
        int startup;
    };
    const Case cases[] = {
        {"all users", InstallAllUsers, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTUP},
        {"current user", InstallCurrentUser, CSIDL_PROGRAMS, CSIDL_DESKTOP, CSIDL_STARTUP},
    };
    const std::wstring pictures = GetKnownFolder(CSIDL_MYPICTURES);
    ASSERT_GE(pictures.size(), 4u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SavedOptions saved;
        TempDir install;
        const std::wstring programs = GetKnownFolder(c.programs);
        const std::wstring desktop = GetKnownFolder(c.desktop);
        const std::wstring startup = GetKnownFolder(c.startup);
        for (const auto* folder : {&programs, &desktop, &startup}) ASSERT_GE(folder->size(), 4u) << Narrow(*folder);

        const std::wstring outer = L"GlintoraTests." + std::to_wstring(GetCurrentProcessId());
        const std::wstring group = programs + L"\\" + outer + L"\\Glintora 7";
        const std::vector<std::wstring> links = {group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk",
                                                 desktop + L"\\Glintora 7.lnk", startup + L"\\Glintora 7.lnk"};
        // Shortcuts of these names that the test did not make are not the test's to replace.
        for (const auto& link : links) ASSERT_FALSE(Exists(link)) << "already there: " << Narrow(link);
        MadeByTheTest made(links, {group, programs + L"\\" + outer});

        g_options.installDir = install.path();
        g_options.installType = c.installType;
        g_options.desktopIcon = 1;
        g_options.autoStart = 1;
        g_options.uiMode = UiSilent;
        g_options.groupName = outer + L"/Glintora 7";

        CreateProgramGroupAndShortcuts();

        EXPECT_EQ(g_options.installType, c.installType);
        EXPECT_EQ(ReadLogLines(install.Path(L"GltUnInst.log")),
                  (std::vector<std::wstring>{kMadeDir + group, kShellLink + links[0], kShellLink + links[1],
                                             kShellLink + links[2], kShellLink + links[3]}));
        for (size_t i = 0; i < links.size(); ++i) {
            SCOPED_TRACE(Narrow(links[i]));
            const auto read = ReadShellLink(links[i]);
            ASSERT_TRUE(read.has_value());
            const bool help = i == 1;
            EXPECT_EQ(Narrow(read->target), Narrow(install.Path(help ? L"Glintr7Man.chm" : L"Glintr7.exe")));
            EXPECT_EQ(Narrow(read->workingFolder), help ? "" : Narrow(pictures));
            EXPECT_EQ(Narrow(read->description), "");
            EXPECT_EQ(Narrow(read->arguments), "");
            EXPECT_EQ(read->showCommand, SW_SHOWNORMAL);
        }
    }
}

}  // namespace
