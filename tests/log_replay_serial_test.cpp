// What the log replay hands to the next restart, end to end: replay a log, read what is
// scheduled, let a simulated restart of Windows carry it out, then look. Reads the machine's
// pending operations and runs the restart, so it never runs beside another program of this kind.
#include "uninstall/log_replay.h"

#include "uninstall/installation_log.h"

#include "support/file_tree.h"
#include "support/restart_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace glt::test;

class ReplayRestartTest : public ::testing::Test {
protected:
    std::wstring Inst(const std::wstring& relative = L"") const {
        return relative.empty() ? dir_.Path(L"Glintora 7") : dir_.Path(L"Glintora 7\\" + relative);
    }
    // The scheduled deletions inside the test's folder, in order; a rename shows as "from -> to".
    std::vector<std::wstring> Pending() const {
        std::vector<std::wstring> out;
        for (const PendingOperation& op : PendingOperationsIn(dir_.path()))
            out.push_back(op.newPath.empty() ? op.path : op.path + L" -> " + op.newPath);
        return out;
    }
    bool WininitMentionsFolder() const {
        for (const std::wstring& line : ReadWininitLines())
            if (line.find(dir_.path()) != std::wstring::npos) return true;
        return false;
    }
    std::wstring Log() const { return dir_.Path(L"GltUnInst.log"); }
    // "%T" in a log stands for the test's own folder.
    std::string WithFolderPath(std::string log) const {
        const std::string folder = Narrow(dir_.path());
        for (size_t at = log.find("%T"); at != std::string::npos; at = log.find("%T", at + folder.size()))
            log.replace(at, 2, folder);
        return log;
    }

    TempDir dir_;
};

// The parent is attempted first, while its subfolder still holds a file: it is left to the
// restart, which finds it empty by then.
TEST_F(ReplayRestartTest, AParentListedBeforeItsSubfolderGoesAtTheRestart) {
    ASSERT_TRUE(MakeTree(dir_.path(), {L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"Glintora 7\\lang\\",
                                       L"Glintora 7\\lang\\fr\\", L"Glintora 7\\lang\\fr\\fr.dll"}));
    ASSERT_TRUE(dir_.WriteFile(L"GltUnInst.log",
                               "Make Dir: lang\r\nMake Dir: lang\\fr\r\nFile Copy: lang\\fr\\*.dll\r\n"));

    ReplayLog(Log(), Inst(), nullptr);
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Glintr7.exe",
                                                             L"Glintora 7\\lang\\", L"GltUnInst.log"}));
    EXPECT_EQ(Pending(), std::vector<std::wstring>({Inst(L"lang")}));

    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ListTree(dir_.path()),
              std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"GltUnInst.log"}));
    EXPECT_TRUE(Pending().empty());
}

// Files in use are scheduled in the first pass, their folder in the second, so the restart
// deletes the files before it attempts the folder.
TEST_F(ReplayRestartTest, PayloadInUseGoesAtTheRestartFilesBeforeTheirFolder) {
    ASSERT_TRUE(MakeTree(dir_.path(), {L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"Glintora 7\\readme.txt",
                                       L"Glintora 7\\x64\\", L"Glintora 7\\x64\\ThumbDgl64.dll"}));
    ASSERT_TRUE(dir_.WriteFile(L"GltUnInst.log", "Make Dir: x64\r\n"
                                                 "File Copy: Glintr7.exe\r\n"
                                                 "File Copy: readme.txt\r\n"
                                                 "File Copy x64: x64\\ThumbDgl64.dll | in use by the shell\r\n"));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({Inst(L"Glintr7.exe"), Inst(L"x64\\ThumbDgl64.dll")}));

    ReplayLog(Log(), Inst(), nullptr);
    EXPECT_EQ(ListTree(dir_.path()),
              std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"Glintora 7\\x64\\",
                                      L"Glintora 7\\x64\\ThumbDgl64.dll", L"GltUnInst.log"}));
    EXPECT_EQ(Pending(),
              std::vector<std::wstring>({Inst(L"Glintr7.exe"), Inst(L"x64\\ThumbDgl64.dll"), Inst(L"x64")}));

    holder.Release();
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::wstring>({L"Glintora 7\\", L"GltUnInst.log"}));
}

// Shortcuts and program group folders that cannot go now are left as they are.
TEST_F(ReplayRestartTest, ShortcutsAndGroupFoldersAreNeverScheduled) {
    const std::vector<std::wstring> entries = {
        L"Programs\\",
        L"Programs\\Glintora 7\\",
        L"Programs\\Glintora 7\\Glintora 7.lnk",
        L"Programs\\Glintora 7\\Aide.lnk",
        L"Programs\\Morvane\\",
        L"Programs\\Morvane\\Glintora 7\\",
        L"Programs\\Morvane\\Glintora 7\\Mine.lnk",
    };
    ASSERT_TRUE(MakeTree(dir_.path(), entries));
    ASSERT_TRUE(dir_.WriteFile(L"GltUnInst.log", WithFolderPath(
                                                     "Made Dir: %T\\Programs\\Glintora 7\r\n"
                                                     "Made Dir: %T\\Programs\\Morvane\\Glintora 7\r\n"
                                                     "Made Dir: %T\\Programs\\Missing\r\n"
                                                     "Shell Link: %T\\Programs\\Glintora 7\\Glintora 7.lnk\r\n"
                                                     "Shell Link: %T\\Programs\\Glintora 7\\Aide.lnk\r\n"
                                                     "Shell Link: %T\\Programs\\Missing\\Glintora 7.lnk\r\n")));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({dir_.Path(L"Programs\\Glintora 7\\Glintora 7.lnk")}));

    RemoveLinksAndMadeDirs(Log());
    std::set<std::wstring> expected = Without(entries, {L"Programs\\Glintora 7\\Aide.lnk"});
    expected.insert(L"GltUnInst.log");
    EXPECT_EQ(ListTree(dir_.path()), expected);
    EXPECT_TRUE(Pending().empty());
    EXPECT_FALSE(WininitMentionsFolder());

    holder.Release();
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ListTree(dir_.path()), expected);
}

// The install-time call, with the obsolete files' kind: empty payload folders go now, the others
// and those not made yet are left to the restart, which removes only what is empty then.
TEST_F(ReplayRestartTest, TheInstallTimeCallSchedulesTheFoldersItCannotRemove) {
    ASSERT_TRUE(MakeTree(dir_.path(), {L"Glintora 7\\", L"Glintora 7\\old.dll", L"Glintora 7\\Glintr7.exe",
                                       L"Glintora 7\\keep.cfg", L"Glintora 7\\empty\\", L"Glintora 7\\x64\\",
                                       L"Glintora 7\\x64\\ThumbDgl64.dll"}));
    // A folder line that names a file must not hand the file to the restart.
    ASSERT_TRUE(dir_.WriteFile(L"GltUnInst.log", "Make Dir: empty\r\n"
                                                 "Make Dir: x64\r\n"
                                                 "Make Dir: new\r\n"
                                                 "Make Dir: keep.cfg\r\n"
                                                 "File Copy: Glintr7.exe\r\n"
                                                 "File Copy x64: x64\\ThumbDgl64.dll\r\n"
                                                 "File Del: old.dll\r\n"));

    ReplayLog(Log(), Inst(), kFileDel);
    EXPECT_EQ(ListTree(dir_.path()),
              std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"Glintora 7\\keep.cfg",
                                      L"Glintora 7\\x64\\", L"Glintora 7\\x64\\ThumbDgl64.dll", L"GltUnInst.log"}));
    EXPECT_EQ(Pending(), std::vector<std::wstring>({Inst(L"x64"), Inst(L"new")}));

    // The payload copy then makes the new folder and fills it.
    ASSERT_TRUE(MakeTree(dir_.path(), {L"Glintora 7\\new\\", L"Glintora 7\\new\\new.dll"}));
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ListTree(dir_.path()),
              std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"Glintora 7\\keep.cfg",
                                      L"Glintora 7\\x64\\", L"Glintora 7\\x64\\ThumbDgl64.dll", L"Glintora 7\\new\\",
                                      L"Glintora 7\\new\\new.dll", L"GltUnInst.log"}));
}

// What lies outside the installation folder is neither deleted nor scheduled, even when it
// cannot be deleted now.
TEST_F(ReplayRestartTest, LinesThatReachOutsideScheduleNothing) {
    const std::vector<std::wstring> entries = {L"Glintora 7\\", L"Glintora 7\\Glintr7.exe", L"outside\\",
                                               L"outside\\held.txt", L"Documents\\", L"Documents\\thesis.txt"};
    ASSERT_TRUE(MakeTree(dir_.path(), entries));
    ASSERT_TRUE(dir_.WriteFile(L"GltUnInst.log", "File Del: ..\\outside\\*.txt\r\n"
                                                 "File Copy: Glintr7.exe > ..\\Documents\\thesis.txt\r\n"
                                                 "Make Dir: ..\\outside\r\n"
                                                 "Make Dir: ..\\Documents\r\n"));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({dir_.Path(L"outside\\held.txt")}));

    ReplayLog(Log(), Inst(), nullptr);
    std::set<std::wstring> expected(entries.begin(), entries.end());
    expected.insert(L"GltUnInst.log");
    EXPECT_EQ(ListTree(dir_.path()), expected);
    EXPECT_TRUE(Pending().empty());
    EXPECT_FALSE(WininitMentionsFolder());
}

}  // namespace
