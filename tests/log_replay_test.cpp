// The log replay against real files: logs as exact bytes, and every entry of the test's folder
// that went or stayed. What the replay hands to the restart is checked by
// log_replay_serial_test.
#include "uninstall/log_replay.h"

#include "uninstall/installation_log.h"

#include "support/file_tree.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace glt::test;

// "%T" in a log stands for the test's own folder.
std::string WithFolder(std::string log, const std::wstring& folder) {
    const std::string narrow = Narrow(folder);
    for (size_t at = log.find("%T"); at != std::string::npos; at = log.find("%T", at + narrow.size()))
        log.replace(at, 2, narrow);
    return log;
}

// ---- Shortcuts and program group folders

// A start menu's programs folder that holds something of another product, and a desktop.
const std::vector<std::wstring> kStartMenu = {
    L"Programs\\",          L"Programs\\Other.lnk",
    L"Desktop\\",           L"Desktop\\Glintora 7.lnk",
    L"logs\\",
};

struct MenuCase {
    const char* name;
    std::vector<std::wstring> group;  // made after kStartMenu
    std::string log;
    std::vector<std::wstring> gone;
};

TEST(RemoveLinksAndMadeDirs, RemovesTheSetupsShortcutsAndTheFoldersTheyLeaveEmpty) {
    const std::vector<std::wstring> oneLevel = {L"Programs\\Glintora 7\\", L"Programs\\Glintora 7\\Glintora 7.lnk",
                                                L"Programs\\Glintora 7\\Aide.lnk"};
    const std::vector<std::wstring> twoLevels = {L"Programs\\Morvane\\", L"Programs\\Morvane\\Glintora 7\\",
                                                 L"Programs\\Morvane\\Glintora 7\\Glintora 7.lnk",
                                                 L"Programs\\Morvane\\Glintora 7\\Aide.lnk"};
    auto plus = [](std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::string oneLevelLog =
        "File Copy: Glintr7.exe\r\n\r\n"
        "Made Dir: %T\\Programs\\Glintora 7\r\n"
        "Shell Link: %T\\Programs\\Glintora 7\\Glintora 7.lnk\r\n"
        "Shell Link: %T\\Programs\\Glintora 7\\Aide.lnk\r\n"
        "Shell Link: %T\\Desktop\\Glintora 7.lnk\r\n";
    const std::string twoLevelLog =
        "Made Dir: %T\\Programs\\Morvane\\Glintora 7\r\n"
        "Shell Link: %T\\Programs\\Morvane\\Glintora 7\\Glintora 7.lnk\r\n"
        "Shell Link: %T\\Programs\\Morvane\\Glintora 7\\Aide.lnk\r\n";
    const std::vector<std::wstring> oneLevelGone = {L"Programs\\Glintora 7\\", L"Programs\\Glintora 7\\Glintora 7.lnk",
                                                    L"Programs\\Glintora 7\\Aide.lnk", L"Desktop\\Glintora 7.lnk"};
    const std::vector<std::wstring> setupLinksOnly = {L"Programs\\Glintora 7\\Glintora 7.lnk",
                                                      L"Programs\\Glintora 7\\Aide.lnk", L"Desktop\\Glintora 7.lnk"};

    const MenuCase cases[] = {
        // The desktop is left although it is empty now: no "Made Dir: " line names it.
        {"one-level group", oneLevel, oneLevelLog, oneLevelGone},
        {"a shortcut of the user's own keeps the group", plus(oneLevel, {L"Programs\\Glintora 7\\Mine.lnk"}),
         oneLevelLog, setupLinksOnly},
        {"a subfolder of the user's own keeps the group", plus(oneLevel, {L"Programs\\Glintora 7\\Extras\\"}),
         oneLevelLog, setupLinksOnly},
        // The inner folder is the only one logged; the walk climbs to the maker folder and ends at
        // the programs folder, which holds another product's shortcut.
        {"two-level group", twoLevels, twoLevelLog, plus(twoLevels, {})},
        {"a maker folder shared with another product stays",
         plus(twoLevels, {L"Programs\\Morvane\\Autre\\", L"Programs\\Morvane\\Autre\\Autre.lnk"}), twoLevelLog,
         {L"Programs\\Morvane\\Glintora 7\\", L"Programs\\Morvane\\Glintora 7\\Glintora 7.lnk",
          L"Programs\\Morvane\\Glintora 7\\Aide.lnk"}},
        {"the user's shortcut in the inner folder keeps both levels",
         plus(twoLevels, {L"Programs\\Morvane\\Glintora 7\\Mine.lnk"}), twoLevelLog,
         {L"Programs\\Morvane\\Glintora 7\\Glintora 7.lnk", L"Programs\\Morvane\\Glintora 7\\Aide.lnk"}},
        // Shortcuts go first whatever the order of the lines.
        {"group listed after its shortcuts and before them", oneLevel,
         "Shell Link: %T\\Programs\\Glintora 7\\Glintora 7.lnk\n"
         "Made Dir: %T\\Programs\\Glintora 7\n"
         "Shell Link: %T\\Programs\\Glintora 7\\Aide.lnk",
         {L"Programs\\Glintora 7\\", L"Programs\\Glintora 7\\Glintora 7.lnk", L"Programs\\Glintora 7\\Aide.lnk"}},
        // A group folder that is gone already ends the walk before it starts: the empty maker folder
        // above it is not the setup's to judge.
        {"a missing group folder leaves its parents", {L"Programs\\Morvane\\"}, twoLevelLog, {}},
        {"trailing blanks, a CR and a trailing backslash", oneLevel,
         "Made Dir: %T\\Programs\\Glintora 7\\ \t\r\n"
         "Shell Link: %T\\Programs\\Glintora 7\\Glintora 7.lnk  \r\r\n"
         "Shell Link: %T\\Programs\\Glintora 7\\Aide.lnk\t\r\n",
         {L"Programs\\Glintora 7\\", L"Programs\\Glintora 7\\Glintora 7.lnk", L"Programs\\Glintora 7\\Aide.lnk"}},
        {"lines of no kind", oneLevel,
         "shell link: %T\\Programs\\Glintora 7\\Glintora 7.lnk\r\n"
         " Shell Link: %T\\Programs\\Glintora 7\\Aide.lnk\r\n"
         "Shell Link:%T\\Desktop\\Glintora 7.lnk\r\n"
         "Made dir: %T\\Programs\\Glintora 7\r\n"
         "File Del: %T\\Programs\\Other.lnk\r\n"
         "Make Dir: %T\\Desktop\r\n",
         {}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::wstring> entries = plus(kStartMenu, c.group);
        ASSERT_TRUE(MakeTree(dir.path(), entries));
        ASSERT_TRUE(dir.WriteFile(L"logs\\GltUnInst.log", WithFolder(c.log, dir.path())));
        entries.push_back(L"logs\\GltUnInst.log");

        RemoveLinksAndMadeDirs(dir.Path(L"logs\\GltUnInst.log"));
        EXPECT_EQ(ListTree(dir.path()), Without(entries, c.gone));
    }
}

TEST(RemoveLinksAndMadeDirs, ChangesNoAttributeOfAShortcut) {
    TempDir dir;
    ASSERT_TRUE(MakeTree(dir.path(), {L"Glintora 7\\", L"Glintora 7\\Aide.lnk", L"Glintora 7\\Glintora 7.lnk"}));
    ASSERT_TRUE(SetFileAttributesW(dir.Path(L"Glintora 7\\Aide.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(dir.WriteFile(L"log", WithFolder("Made Dir: %T\\Glintora 7\r\n"
                                                 "Shell Link: %T\\Glintora 7\\Aide.lnk\r\n"
                                                 "Shell Link: %T\\Glintora 7\\Glintora 7.lnk\r\n",
                                                 dir.path())));
    RemoveLinksAndMadeDirs(dir.Path(L"log"));
    EXPECT_EQ(ListTree(dir.path()), std::set<std::wstring>({L"Glintora 7\\", L"Glintora 7\\Aide.lnk", L"log"}));
    EXPECT_TRUE(GetFileAttributesW(dir.Path(L"Glintora 7\\Aide.lnk").c_str()) & FILE_ATTRIBUTE_READONLY);
}

// The current folder and the current folder of drive C: are the process's own; every test that
// changes them gets them back.
class CurrentFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH] = {};
        ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, folder), 0u);
        savedFolder_ = folder;
        wchar_t driveC[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableW(L"=C:", driveC, MAX_PATH);
        if (n > 0 && n < MAX_PATH) savedDriveC_ = driveC;
    }
    void TearDown() override {
        SetCurrentDirectoryW(savedFolder_.c_str());
        SetEnvironmentVariableW(L"=C:", savedDriveC_ ? savedDriveC_->c_str() : nullptr);
    }

    TempDir dir_;

private:
    std::wstring savedFolder_;
    std::optional<std::wstring> savedDriveC_;
};

// A relative path would be resolved against whatever the uninstaller's current folder is.
TEST_F(CurrentFolderTest, RelativeShortcutAndGroupPathsAreSkipped) {
    const std::vector<std::wstring> entries = {L"Programs\\", L"Programs\\Glintora 7\\", L"Programs\\Other.lnk",
                                               L"Empty\\", L"log"};
    ASSERT_TRUE(MakeTree(dir_.path(), entries));
    ASSERT_TRUE(dir_.WriteFile(L"log", "Shell Link: Other.lnk\r\n"
                                       "Made Dir: Glintora 7\r\n"
                                       "Made Dir: ..\\Empty\r\n"));
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.Path(L"Programs").c_str()));
    RemoveLinksAndMadeDirs(dir_.Path(L"log"));
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::wstring>(entries.begin(), entries.end()));
}

// A group right below the root of C: walks on to "C:", which names the drive's current folder,
// not its root; that folder is the one the walk would remove next.
TEST_F(CurrentFolderTest, TheWalkNeverTakesADriveForItsCurrentFolder) {
    std::wstring otherDrive;
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'D'; letter <= L'Z' && otherDrive.empty(); ++letter)
        if ((drives >> (letter - L'A')) & 1) {
            const std::wstring root = std::wstring(1, letter) + L":\\";
            if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED && SetCurrentDirectoryW(root.c_str())) otherDrive = root;
        }
    if (otherDrive.empty()) GTEST_SKIP() << "no second fixed drive to stand in the current folder";

    ASSERT_TRUE(MakeTree(dir_.path(), {L"drive folder\\"}));
    ASSERT_TRUE(SetEnvironmentVariableW(L"=C:", dir_.Path(L"drive folder").c_str()));
    // The group itself must lie right below the root of C: for the walk to get there.
    const std::wstring group = L"C:\\glt-replay-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(group.c_str(), nullptr));
    ASSERT_TRUE(dir_.WriteFile(L"log", "Made Dir: " + Narrow(group) + "\r\n"));

    RemoveLinksAndMadeDirs(dir_.Path(L"log"));
    const bool groupLeft = GetFileAttributesW(group.c_str()) != INVALID_FILE_ATTRIBUTES;
    RemoveDirectoryW(group.c_str());
    EXPECT_FALSE(groupLeft);
    EXPECT_TRUE(dir_.Exists(L"drive folder"));
}

// A line longer than 511 characters comes in pieces; its first piece names a shorter path, here
// one that exists.
TEST(RemoveLinksAndMadeDirs, NeverActsOnAPathCutShortOrTooLong) {
    TempDir dir;
    const std::wstring a(200, L'a');
    const std::wstring b(200, L'b');
    const std::wstring link = dir.path() + L"\\" + a + L"\\" + b + L"\\" + std::wstring(150, L'c') + L".lnk";
    const std::wstring firstPiece = link.substr(0, kMaxLogPieceChars - std::wstring(kShellLink).size());
    const std::wstring cutName = firstPiece.substr(dir.path().size() + 1);
    const std::wstring linkName = link.substr(dir.path().size() + 1);
    // Complete paths, but past 259 characters: the setup never makes one.
    const std::wstring longGroup = a + L"\\" + b + L"\\group\\";
    const std::wstring longLink = a + L"\\" + b + L"\\long.lnk";
    const std::vector<std::wstring> entries = {a + L"\\", a + L"\\" + b + L"\\", cutName, linkName, longGroup, longLink};
    ASSERT_TRUE(MakeTree(dir.path(), entries));
    ASSERT_TRUE(dir.WriteFile(L"log", "Shell Link: " + Narrow(link) + "\r\n"
                                      "Shell Link: " + Narrow(dir.Path(longLink)) + "\r\n"
                                      "Made Dir: " + Narrow(dir.Path(longGroup)) + "\r\n"));

    RemoveLinksAndMadeDirs(dir.Path(L"log"));
    std::set<std::wstring> expected(entries.begin(), entries.end());
    expected.insert(L"log");
    EXPECT_EQ(ListTree(dir.path()), expected);
    RemoveLongTree(dir.path());
}

// ---- Payload files and folders

// An installation folder "Glintora 7" inside a parent folder "Programmes", which holds the
// portable starter and a file of its own; the test's folder above both holds one more file.
const std::vector<std::wstring> kPayload = {
    L"outside.txt",
    L"logs\\",
    L"Programmes\\",
    L"Programmes\\Portable.exe",
    L"Programmes\\outside.txt",
    L"Programmes\\vide\\",
    L"Programmes\\Glintora 7\\",
    L"Programmes\\Glintora 7\\Glintr7.exe",
    L"Programmes\\Glintora 7\\readme.txt",
    L"Programmes\\Glintora 7\\liesmich.txt",
    L"Programmes\\Glintora 7\\old.dll",
    L"Programmes\\Glintora 7\\old2.dll",
    L"Programmes\\Glintora 7\\keep.cfg",
    L"Programmes\\Glintora 7\\Portable.exe",
    L"Programmes\\Glintora 7\\x64\\",
    L"Programmes\\Glintora 7\\x64\\ThumbDgl64.dll",
    L"Programmes\\Glintora 7\\lang\\",
    L"Programmes\\Glintora 7\\lang\\fr.dll",
    L"Programmes\\Glintora 7\\lang\\de.dll",
    L"Programmes\\Glintora 7\\lang\\notes.txt",
    L"Programmes\\Glintora 7\\empty\\",
};

std::wstring Installed(const std::wstring& name) { return L"Programmes\\Glintora 7\\" + name; }

std::vector<std::wstring> InstalledAll(std::initializer_list<const wchar_t*> names) {
    std::vector<std::wstring> out;
    for (const wchar_t* name : names) out.push_back(Installed(name));
    return out;
}

struct ReplayCase {
    const char* name;
    std::string log;
    std::vector<std::wstring> gone;
};

// Replays log over a fresh kPayload tree and compares everything that is left.
void ExpectReplay(const ReplayCase& c, const wchar_t* kind, const std::wstring& folderSuffix = L"") {
    TempDir dir;
    std::vector<std::wstring> entries = kPayload;
    ASSERT_TRUE(MakeTree(dir.path(), entries));
    ASSERT_TRUE(dir.WriteFile(L"logs\\GltUnInst.log", c.log));
    entries.push_back(L"logs\\GltUnInst.log");

    ReplayLog(dir.Path(L"logs\\GltUnInst.log"), dir.Path(L"Programmes\\Glintora 7") + folderSuffix, kind);
    EXPECT_EQ(ListTree(dir.path()), Without(entries, c.gone));
}

TEST(ReplayLog, DeletesWhatTheFileLinesName) {
    const ReplayCase cases[] = {
        {"copy", "File Copy: Glintr7.exe\r\n", InstalledAll({L"Glintr7.exe"})},
        {"the destination, not the source", "File Copy: readme.txt > liesmich.txt\r\n",
         InstalledAll({L"liesmich.txt"})},
        {"blanks around the arrow, LF alone", "File Copy: readme.txt \t>\t  liesmich.txt\n",
         InstalledAll({L"liesmich.txt"})},
        {"a subfolder", "File Copy x64: x64\\ThumbDgl64.dll\r\n", InstalledAll({L"x64\\ThumbDgl64.dll"})},
        {"a wildcard in a subfolder", "File Copy ind: lang\\*.dll\r\n", InstalledAll({L"lang\\fr.dll", L"lang\\de.dll"})},
        {"overwrite", "File Overwrite: old.dll\r\n", InstalledAll({L"old.dll"})},
        {"delete", "File Del: old.dll\r\n", InstalledAll({L"old.dll"})},
        // The portable starter lies beside the installation folder, never in it.
        {"portable, in the parent folder", "File Copy prt: Portable.exe\r\n", {L"Programmes\\Portable.exe"}},
        {"every file of the folder, no subfolder", "File Copy: *\r\n",
         InstalledAll({L"Glintr7.exe", L"readme.txt", L"liesmich.txt", L"old.dll", L"old2.dll", L"keep.cfg",
                       L"Portable.exe"})},
        {"a \"..\" that stays inside", "File Del: lang\\..\\old.dll\r\n", InstalledAll({L"old.dll"})},
        {"several lines, the last without a line end", "File Copy: Glintr7.exe\r\nFile Del: old2.dll",
         InstalledAll({L"Glintr7.exe", L"old2.dll"})},
    };
    for (const ReplayCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplay(c, nullptr);
    }
}

TEST(ReplayLog, TheRemarkNeverReachesTheFileSpecification) {
    const ReplayCase cases[] = {
        {"a name", "File Del: old.dll | old2.dll\r\n", InstalledAll({L"old.dll"})},
        {"a \">\" in the remark", "File Del: old.dll | renamed > keep.cfg\r\n", InstalledAll({L"old.dll"})},
        {"a wildcard in the remark", "File Overwrite: old.dll | *.*\r\n", InstalledAll({L"old.dll"})},
        {"after a destination", "File Copy: readme.txt > liesmich.txt | was > readme.txt\r\n",
         InstalledAll({L"liesmich.txt"})},
        {"blanks before the remark", "File Del: old.dll   | obsolete\r\n", InstalledAll({L"old.dll"})},
        // The cut is at the first " | ", even when more follow.
        {"two remarks", "File Del: old2.dll | a | keep.cfg\r\n", InstalledAll({L"old2.dll"})},
        // A "|" without its blanks is no remark: the name is then no file's name.
        {"a bar without blanks", "File Del: old.dll|old2.dll\r\n", {}},
    };
    for (const ReplayCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplay(c, nullptr);
    }
}

// Lines that name no file, or a file outside the folder they belong to, delete nothing.
TEST(ReplayLog, DeletesNothingForLinesThatNameNothingOrReachOutside) {
    const ReplayCase cases[] = {
        {"lines of no kind",
         "file copy: Glintr7.exe\r\n File Copy: Glintr7.exe\r\nFile Copy:Glintr7.exe\r\nFile Copy Glintr7.exe\r\n"
         "\r\nShell Link: old.dll\r\nMade Dir: old2.dll\r\nFile Copy x86: keep.cfg\r\n",
         {}},
        // The remark may begin at the blank that ends the prefix.
        {"only a remark", "File Copy: | Glintr7.exe\r\nFile Copy:  | Glintr7.exe\r\nFile Del:    | *\r\n", {}},
        // The destination is empty: the source is not what was installed.
        {"an arrow without destination", "File Copy: readme.txt >\r\nFile Copy: readme.txt > | liesmich.txt\r\n", {}},
        {"parent of the installation folder", "File Del: ..\\outside.txt\r\nFile Del: ../outside.txt\r\n", {}},
        {"climbing through a subfolder", "File Del: lang\\..\\..\\outside.txt\r\nFile Del: lang/../../outside.txt\r\n",
         {}},
        {"a destination outside", "File Copy: readme.txt > ..\\outside.txt\r\n", {}},
        {"wildcards outside", "File Del: ..\\*.txt\r\nFile Del: ..\\*\r\n", {}},
        {"portable lines climbing above the parent", "File Copy prt: ..\\outside.txt\r\n", {}},
    };
    for (const ReplayCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplay(c, nullptr);
    }
}

TEST(ReplayLog, AKindRestrictsTheFileLines) {
    const std::string log =
        "File Copy: Glintr7.exe\r\n"
        "File Copy x64: x64\\ThumbDgl64.dll\r\n"
        "File Copy ind: lang\\fr.dll\r\n"
        "File Copy prt: Portable.exe\r\n"
        "File Overwrite: readme.txt\r\n"
        "File Del: old.dll | old2.dll\r\n"
        "Shell Link: old2.dll\r\n"
        "Make Dir: keep.cfg\r\n";
    const std::vector<std::wstring> all = {Installed(L"Glintr7.exe"), Installed(L"x64\\ThumbDgl64.dll"),
                                           Installed(L"lang\\fr.dll"), L"Programmes\\Portable.exe",
                                           Installed(L"readme.txt"),   Installed(L"old.dll")};
    const std::wstring fileDelCopy = L"File Del: ";
    struct Case {
        const char* name;
        const wchar_t* kind;
        std::vector<std::wstring> gone;
    };
    const Case cases[] = {
        {"none", nullptr, all},
        {"empty", L"", all},
        {"File Copy", kFileCopy, {Installed(L"Glintr7.exe")}},
        {"File Copy x64", kFileCopyX64, {Installed(L"x64\\ThumbDgl64.dll")}},
        {"File Copy ind", kFileCopyInd, {Installed(L"lang\\fr.dll")}},
        {"File Copy prt", kFileCopyPrt, {L"Programmes\\Portable.exe"}},
        {"File Overwrite", kFileOverwrite, {Installed(L"readme.txt")}},
        {"File Del", kFileDel, {Installed(L"old.dll")}},
        // Given as text, not as one of the constants.
        {"File Del as a copy", fileDelCopy.c_str(), {Installed(L"old.dll")}},
        // Not a file kind: the first pass acts on nothing.
        {"Make Dir", kMakeDir, {}},
        {"Shell Link", kShellLink, {}},
        {"a part of a prefix", L"File ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplay({c.name, log, c.gone}, c.kind);
    }
}

TEST(ReplayLog, RemovesTheMadeFoldersOnceTheirFilesAreGone) {
    const ReplayCase cases[] = {
        // The folders come first in the log, their files after them: files go first all the same.
        {"folders listed before their files",
         "Make Dir: lang\r\nMake Dir: x64\r\nFile Copy: lang\\*.*\r\nFile Copy x64: x64\\ThumbDgl64.dll\r\n",
         InstalledAll({L"lang\\", L"lang\\fr.dll", L"lang\\de.dll", L"lang\\notes.txt", L"x64\\",
                       L"x64\\ThumbDgl64.dll"})},
        {"an empty folder", "Make Dir: empty\r\n", InstalledAll({L"empty\\"})},
        // A folder that still holds something stays now (it is left to the restart).
        {"a folder that is not empty", "Make Dir: lang\r\nFile Del: lang\\fr.dll\r\n", InstalledAll({L"lang\\fr.dll"})},
        {"a folder outside", "Make Dir: ..\\vide\r\nMake Dir: empty\\..\\..\\vide\r\n", {}},
    };
    for (const ReplayCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplay(c, nullptr);
    }
}

// The install-time call with the obsolete files' kind still runs over the folders.
TEST(ReplayLog, TheFolderPassRunsWhateverTheKind) {
    ExpectReplay({"install time",
                  "Make Dir: x64\r\nMake Dir: empty\r\nFile Copy x64: x64\\ThumbDgl64.dll\r\nFile Del: old.dll\r\n",
                  InstalledAll({L"empty\\", L"old.dll"})},
                 kFileDel);
}

TEST(ReplayLog, TheFolderMayEndWithASeparator) {
    const ReplayCase c = {"separator",
                          "File Copy prt: Portable.exe\r\nFile Del: lang\\*.dll\r\nMake Dir: empty\r\nMake Dir: x64\r\n"
                          "File Copy x64: x64\\ThumbDgl64.dll\r\n",
                          {L"Programmes\\Portable.exe", Installed(L"lang\\fr.dll"), Installed(L"lang\\de.dll"),
                           Installed(L"empty\\"), Installed(L"x64\\"), Installed(L"x64\\ThumbDgl64.dll")}};
    for (const wchar_t* suffix : {L"", L"\\", L"/"}) {
        SCOPED_TRACE(Narrow(suffix));
        ExpectReplay(c, nullptr, suffix);
    }
}

// A folder path past 259 characters is never composed into a removal.
TEST(ReplayLog, NeverRemovesAFolderPastThePathLimit) {
    TempDir dir;
    const std::wstring install = dir.Path(L"Glintora 7");
    const std::wstring deep = std::wstring(150, L'd') + L"\\" + std::wstring(120, L'e');
    ASSERT_TRUE(MakeTree(dir.path(), {L"Glintora 7\\", L"Glintora 7\\" + std::wstring(150, L'd') + L"\\",
                                      L"Glintora 7\\" + deep + L"\\"}));
    ASSERT_GT(install.size() + 1 + deep.size(), 259u);
    ASSERT_TRUE(dir.WriteFile(L"log", "Make Dir: " + Narrow(deep) + "\r\n"));
    ReplayLog(dir.Path(L"log"), install, nullptr);
    EXPECT_TRUE(ListTree(dir.path()).count(L"Glintora 7\\" + deep + L"\\"));
    RemoveLongTree(dir.path());
}

// Without a folder the names would be taken relative to the current folder: a portable
// installation at the root of a drive has no parent folder for its "File Copy prt: " lines.
TEST_F(CurrentFolderTest, NoFolderMeansNoFileAndNoFolderIsTouched) {
    std::vector<std::wstring> entries = kPayload;
    ASSERT_TRUE(MakeTree(dir_.path(), entries));
    // A folder line would be composed below the root of the current drive.
    const std::wstring rootFolder = L"glt-replay-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW((L"C:\\" + rootFolder).c_str(), nullptr));
    ASSERT_TRUE(dir_.WriteFile(L"logs\\GltUnInst.log", "File Copy: Glintr7.exe\r\nFile Copy prt: readme.txt\r\n"
                                                        "Make Dir: " + Narrow(rootFolder) + "\r\n"));
    entries.push_back(L"logs\\GltUnInst.log");
    ASSERT_TRUE(SetCurrentDirectoryW(dir_.Path(L"Programmes\\Glintora 7").c_str()));

    ReplayLog(dir_.Path(L"logs\\GltUnInst.log"), L"", nullptr);
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::wstring>(entries.begin(), entries.end()));
    EXPECT_NE(GetFileAttributesW((L"C:\\" + rootFolder).c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveDirectoryW((L"C:\\" + rootFolder).c_str());

    ReplayLog(dir_.Path(L"logs\\GltUnInst.log"), L"C:\\", kFileCopyPrt);
    EXPECT_EQ(ListTree(dir_.path()), std::set<std::wstring>(entries.begin(), entries.end()));
}

// ---- Logs that cannot be read

TEST(LogReplay, ALogThatCannotBeOpenedChangesNothing) {
    for (const wchar_t* log : {L"logs\\missing.log", L"logs"}) {
        SCOPED_TRACE(Narrow(log));
        TempDir dir;
        ASSERT_TRUE(MakeTree(dir.path(), kPayload));
        RemoveLinksAndMadeDirs(dir.Path(log));
        ReplayLog(dir.Path(log), dir.Path(L"Programmes\\Glintora 7"), nullptr);
        EXPECT_EQ(ListTree(dir.path()), std::set<std::wstring>(kPayload.begin(), kPayload.end()));
    }
}

}  // namespace
