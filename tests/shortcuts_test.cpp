// Shell links written into private folders and read back through the shell, and the program
// group with its shortcuts made below folders that stand for the shell's folders. The real
// start menu, desktop and start-up folders are in shortcuts_serial_test.
#include "install/shortcuts.h"

#include "app/setup_options.h"
#include "uninstall/installation_log.h"

#include "support/shell_links.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <io.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace glt::test;

const std::wstring kCaption = L"Glintora - Installation";
const HRESULT kTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A path of exactly length characters below folder, in components the file system takes.
std::wstring PathOfLength(const std::wstring& folder, size_t length, const std::wstring& extension = L"") {
    std::wstring path = folder;
    while (path.size() + 1 + 200 + extension.size() < length) path += L"\\" + std::wstring(199, L'd');
    path += L"\\";
    path += std::wstring(length - path.size() - extension.size(), L'n');
    return path + extension;
}

// The options as a test left them are put back; every box is recorded and answered with OK.
class OptionsAndBoxes {
public:
    OptionsAndBoxes() : saved_(g_options) {}
    ~OptionsAndBoxes() { g_options = saved_; }
    OptionsAndBoxes(const OptionsAndBoxes&) = delete;
    OptionsAndBoxes& operator=(const OptionsAndBoxes&) = delete;

    std::vector<std::wstring> BoxTexts() const {
        std::vector<std::wstring> texts;
        for (const RecordedBox& box : boxes_.Boxes()) texts.push_back(box.text);
        return texts;
    }
    std::vector<RecordedBox> Boxes() const { return boxes_.Boxes(); }

private:
    SetupOptions saved_;
    MessageBoxAnswerer boxes_{GetCurrentProcessId(), std::vector<int>(50, IDOK)};
};

// A folder with an installation folder (holding the product and its help) and a folder for
// the links.
class CreateShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        install_ = dir_.Path(L"install");
        links_ = dir_.Path(L"links");
        ASSERT_TRUE(CreateDirectoryW(install_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(links_.c_str(), nullptr));
        ASSERT_TRUE(dir_.WriteFile(L"install\\Glintr7.exe", "MZ"));
        ASSERT_TRUE(dir_.WriteFile(L"install\\Glintr7Man.chm", "ITSF"));
        g_options.installDir = install_;
        g_options.uiMode = UiSilent;
    }

    std::vector<std::wstring> Log() const { return ReadLogLines(install_ + L"\\GltUnInst.log"); }

    OptionsAndBoxes state_;
    TempDir dir_;
    std::wstring install_, links_;
};

TEST_F(CreateShortcutTest, WritesTheLinkAsAskedAndLogsIt) {
    const std::wstring exe = install_ + L"\\Glintr7.exe";
    const std::wstring pictures = dir_.path();
    struct Case {
        const char* what;
        std::wstring target;
        std::wstring description;
        int showCommand;
        const wchar_t* arguments;
        const wchar_t* workingFolder;
        std::wstring storedTarget;
    };
    const Case cases[] = {
        {"plain, as the installation asks", exe, L"", SW_SHOWNORMAL, nullptr, nullptr, exe},
        {"quoted", L"\"" + exe + L"\"", L"", SW_SHOWNORMAL, nullptr, nullptr, exe},
        {"leading quote only", L"\"" + exe, L"", SW_SHOWNORMAL, nullptr, nullptr, exe},
        {"trailing quote only", exe + L"\"", L"", SW_SHOWNORMAL, nullptr, nullptr, exe},
        {"everything given", exe, L"Capture d'\u00e9cran", SW_SHOWMAXIMIZED, L"-regonly", pictures.c_str(), exe},
        {"minimised", install_ + L"\\Glintr7Man.chm", L"Aide", SW_SHOWMINNOACTIVE, L"", install_.c_str(),
         install_ + L"\\Glintr7Man.chm"},
    };
    std::vector<std::wstring> expectedLog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring link = links_ + L"\\link" + std::to_wstring(++n) + L".lnk";
        EXPECT_EQ(CreateShortcut(c.target, link, c.description, c.showCommand, c.arguments, c.workingFolder), S_OK);
        expectedLog.push_back(kShellLink + link);

        const auto read = ReadShellLink(link);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(Narrow(read->target), Narrow(c.storedTarget));
        EXPECT_EQ(Narrow(read->description), Narrow(c.description));
        EXPECT_EQ(read->showCommand, c.showCommand);
        EXPECT_EQ(Narrow(read->arguments), Narrow(c.arguments ? c.arguments : L""));
        EXPECT_EQ(Narrow(read->workingFolder), Narrow(c.workingFolder ? c.workingFolder : L""));
    }
    EXPECT_EQ(Log(), expectedLog);
    EXPECT_TRUE(state_.BoxTexts().empty());
}

TEST_F(CreateShortcutTest, ReplacesAnEarlierLinkOfTheSameName) {
    const std::wstring link = links_ + L"\\Glintora 7.lnk";
    ASSERT_EQ(CreateShortcut(install_ + L"\\Glintr7Man.chm", link, L"old", SW_SHOWNORMAL, nullptr, nullptr), S_OK);
    ASSERT_EQ(CreateShortcut(install_ + L"\\Glintr7.exe", link, L"", SW_SHOWNORMAL, nullptr, nullptr), S_OK);
    const auto read = ReadShellLink(link);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(Narrow(read->target), Narrow(install_ + L"\\Glintr7.exe"));
    EXPECT_EQ(Narrow(read->description), "");
}

TEST_F(CreateShortcutTest, RefusesPathsLongerThanItsBuffersWithoutAnyTrace) {
    const std::wstring exe = install_ + L"\\Glintr7.exe";
    struct Case {
        size_t targetLength;  // 0: the product
        size_t linkLength;    // 0: a short one
        bool accepted;
    };
    const Case cases[] = {
        {511, 0, true},
        {512, 0, false},
        {0, 259, true},
        {0, 260, false},
        {512, 260, false},
    };
    std::vector<std::wstring> expectedLog;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "target " << c.targetLength << ", link " << c.linkLength);
        const std::wstring target = c.targetLength ? PathOfLength(install_, c.targetLength) : exe;
        const std::wstring link = c.linkLength ? PathOfLength(links_ + L"\\" + std::to_wstring(++n), c.linkLength, L".lnk")
                                               : links_ + L"\\short" + std::to_wstring(++n) + L".lnk";
        ASSERT_EQ(target.size(), c.targetLength ? c.targetLength : exe.size());
        if (c.linkLength) {
            ASSERT_EQ(link.size(), c.linkLength);
        }
        // The link's folder exists: only the length can stop it.
        const std::wstring folder = link.substr(0, link.rfind(L'\\'));
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(Exists(folder));

        const HRESULT hr = CreateShortcut(target, link, L"", SW_SHOWNORMAL, nullptr, nullptr);
        if (c.accepted) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_TRUE(Exists(link));
            expectedLog.push_back(kShellLink + link);
        } else {
            EXPECT_EQ(hr, kTooLong);
            EXPECT_FALSE(Exists(link));
        }
        EXPECT_EQ(Log(), expectedLog);
    }
    EXPECT_TRUE(state_.BoxTexts().empty());
}

TEST_F(CreateShortcutTest, ALinkThatCannotBeSavedIsNotLogged) {
    ASSERT_TRUE(dir_.WriteFile(L"links\\plain file", "x"));
    const std::wstring exe = install_ + L"\\Glintr7.exe";
    const std::wstring linkPaths[] = {
        links_ + L"\\no such folder\\Glintora 7.lnk",
        links_ + L"\\plain file\\Glintora 7.lnk",
        L"",
    };
    for (const std::wstring& link : linkPaths) {
        SCOPED_TRACE(Narrow(link));
        EXPECT_TRUE(FAILED(CreateShortcut(exe, link, L"", SW_SHOWNORMAL, nullptr, nullptr)));
        if (!link.empty()) {
            EXPECT_FALSE(Exists(link));
        }
    }
    EXPECT_FALSE(Exists(install_ + L"\\GltUnInst.log"));
    EXPECT_TRUE(state_.BoxTexts().empty());
}

TEST_F(CreateShortcutTest, AFailingSetPathIsShownInEveryModeAndTheLinkStillMade) {
    // A target of blanks only is one that the shell link object refuses; find out first that
    // it does so here, so that the test shows the program's answer to a real failure.
    const std::wstring blanks = L"   ";
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        IShellLinkW* probe = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&probe)),
                  S_OK);
        const HRESULT refused = probe->SetPath(blanks.c_str());
        probe->Release();
        CoUninitialize();
        if (SUCCEEDED(refused)) GTEST_SKIP() << "SetPath takes a target of blanks on this system";
    }

    const int modes[] = {UiInteractive, UiSilent, UiSilentFinish};
    std::vector<std::wstring> expectedLog;
    for (int mode : modes) {
        SCOPED_TRACE(mode);
        g_options.uiMode = mode;
        const size_t before = state_.Boxes().size();
        const std::wstring link = links_ + L"\\mode" + std::to_wstring(mode) + L".lnk";
        // Quoted, so that the quotes are gone before the shell sees the blanks.
        EXPECT_EQ(CreateShortcut(L"\"" + blanks + L"\"", link, L"kept", SW_SHOWMAXIMIZED, L"-a", install_.c_str()),
                  S_OK);
        const auto boxes = state_.Boxes();
        ASSERT_EQ(boxes.size(), before + 1);
        EXPECT_EQ(Narrow(boxes.back().text), "SetPath failed!");
        EXPECT_EQ(Narrow(boxes.back().caption), Narrow(kCaption));
        EXPECT_EQ(boxes.back().buttons, std::vector<int>{IDOK});
        // Wine shows a blank icon control in a box without icon: no system icon is what counts.
        EXPECT_TRUE(!boxes.back().hasIcon || boxes.back().icon == L"other") << Narrow(boxes.back().icon);

        // The rest of the request went through, and the saved link is logged.
        const auto read = ReadShellLink(link);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(Narrow(read->description), "kept");
        EXPECT_EQ(read->showCommand, SW_SHOWMAXIMIZED);
        EXPECT_EQ(Narrow(read->arguments), "-a");
        EXPECT_EQ(Narrow(read->workingFolder), Narrow(install_));
        expectedLog.push_back(kShellLink + link);
    }
    EXPECT_EQ(Log(), expectedLog);
}

// Ends the thread's apartment to count it, and puts it back.
TEST_F(CreateShortcutTest, InitialisesComOnceAndLeavesItInitialised) {
    const std::wstring exe = install_ + L"\\Glintr7.exe";
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(CreateShortcut(exe, links_ + L"\\c" + std::to_wstring(i) + L".lnk", L"", SW_SHOWNORMAL, nullptr,
                                 nullptr),
                  S_OK);
    // Still in the single-threaded apartment of the first call...
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    // ...held once: one release ends it, whatever the number of shortcuts made.
    CoUninitialize();
    const HRESULT afterOneRelease = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(afterOneRelease, S_OK);
    if (SUCCEEDED(afterOneRelease)) CoUninitialize();
    // Whatever happened, the thread gets its apartment back for the shortcuts made after this.
    while (CoInitialize(nullptr) == RPC_E_CHANGED_MODE) CoUninitialize();
    EXPECT_EQ(CreateShortcut(exe, links_ + L"\\after.lnk", L"", SW_SHOWNORMAL, nullptr, nullptr), S_OK);
}

TEST(NormaliseGroupName, TurnsSlashesAndTrimsBothEnds) {
    struct Case {
        std::wstring name;
        std::wstring normalised;
    };
    const Case cases[] = {
        {L"Glintora 7", L"Glintora 7"},
        {L" /Outils/Glintora 7\\ ", L"Outils\\Glintora 7"},
        {L"\t\r\nOutils\\Glintora 7\r\n", L"Outils\\Glintora 7"},
        {L"A/B/C", L"A\\B\\C"},
        {L"//\\\\Glintora//", L"Glintora"},
        {L"Outils / Glintora", L"Outils \\ Glintora"},  // only the ends are trimmed
        {L"A\\\\B", L"A\\\\B"},
        {L"\u00a0Glintora\f", L"\u00a0Glintora\f"},  // other white space is part of the name
        {L" \t/\\\r\n", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(NormaliseGroupName(c.name), c.normalised) << Narrow(c.name);
}

// The shell's folders, stood for by folders of a private folder; the lookup records what is
// asked. Each stage is one installation.
class Stage {
public:
    Stage() {
        const std::pair<int, const wchar_t*> standIns[] = {
            {CSIDL_COMMON_PROGRAMS, L"common\\Programs"}, {CSIDL_COMMON_DESKTOPDIRECTORY, L"common\\Desktop"},
            {CSIDL_COMMON_STARTUP, L"common\\Programs\\StartUp"}, {CSIDL_PROGRAMS, L"user\\Programs"},
            {CSIDL_DESKTOP, L"user\\Desktop"}, {CSIDL_STARTUP, L"user\\Programs\\StartUp"},
            {CSIDL_MYPICTURES, L"user\\Pictures"},
        };
        for (const auto& [csidl, relative] : standIns) folders_[csidl] = MakeFolders(relative);
        install_ = MakeFolders(L"Program Files\\Glintora 7");
        g_options.installDir = install_;
        g_options.groupName = L"Glintora 7";
        g_options.uiMode = UiSilent;
    }

    // The folder the lookup gives for csidl from now on.
    void SetFolder(int csidl, const std::wstring& folder) { folders_[csidl] = folder; }
    std::wstring Folder(int csidl) const { return folders_.at(csidl); }
    const std::wstring& path() const { return dir_.path(); }
    const std::wstring& install() const { return install_; }

    KnownFolderLookup Lookup() {
        return [this](int csidl) {
            asked_.push_back(csidl);
            auto found = folders_.find(csidl);
            return found == folders_.end() ? std::wstring() : found->second;
        };
    }
    const std::vector<int>& Asked() const { return asked_; }

    std::vector<std::wstring> Log() const { return ReadLogLines(install_ + L"\\GltUnInst.log"); }
    std::vector<std::wstring> Links() const { return FindLinks(dir_.path()); }

private:
    std::wstring MakeFolders(const std::wstring& relative) {
        std::wstring path = dir_.path();
        size_t start = 0;
        for (;;) {
            const size_t end = relative.find(L'\\', start);
            path += L"\\" + relative.substr(start, end - start);
            CreateDirectoryW(path.c_str(), nullptr);
            if (end == std::wstring::npos) return path;
            start = end + 1;
        }
    }

    TempDir dir_;
    std::map<int, std::wstring> folders_;
    std::wstring install_;
    std::vector<int> asked_;
};

// What every product shortcut of the installation holds; the help shortcut, its own.
void ExpectProductLink(const Stage& stage, const std::wstring& link) {
    SCOPED_TRACE(Narrow(link));
    const auto read = ReadShellLink(link);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(Narrow(read->target), Narrow(stage.install() + L"\\Glintr7.exe"));
    EXPECT_EQ(Narrow(read->workingFolder), Narrow(stage.Folder(CSIDL_MYPICTURES)));
    EXPECT_EQ(Narrow(read->description), "");
    EXPECT_EQ(Narrow(read->arguments), "");
    EXPECT_EQ(read->showCommand, SW_SHOWNORMAL);
}

void ExpectHelpLink(const Stage& stage, const std::wstring& link) {
    SCOPED_TRACE(Narrow(link));
    const auto read = ReadShellLink(link);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(Narrow(read->target), Narrow(stage.install() + L"\\Glintr7Man.chm"));
    EXPECT_EQ(Narrow(read->workingFolder), "");
    EXPECT_EQ(Narrow(read->description), "");
    EXPECT_EQ(Narrow(read->arguments), "");
    EXPECT_EQ(read->showCommand, SW_SHOWNORMAL);
}

// A group or a shortcut made from a folder that the shell could not name lands in the root of
// a drive: found there, it fails the test and is removed.
void ExpectNothingInTheRoots(const std::wstring& groupName) {
    for (const wchar_t* root : {L"C:\\", L"\\"}) {
        for (const std::wstring& name : {groupName, std::wstring(L"Glintora 7.lnk")}) {
            const std::wstring stray = root + name;
            EXPECT_FALSE(Exists(stray)) << Narrow(stray);
            if (IsFolder(stray)) RemoveTree(stray);
            else if (Exists(stray)) DeleteFileW(stray.c_str());
        }
    }
}

// A group name that no other program uses, so that a stray one is this test's own.
std::wstring UniqueGroupName() { return L"glt-tests-group." + std::to_wstring(GetCurrentProcessId()); }

std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::wstring> ShellLinkLines(const std::vector<std::wstring>& links) {
    std::vector<std::wstring> lines;
    for (const auto& link : links) lines.push_back(kShellLink + link);
    return lines;
}

TEST(ProgramGroup, MakesTheShortcutsOfTheInstallationInTheirOrder) {
    struct Case {
        const char* what;
        int installType;
        int desktopIcon;
        int autoStart;
    };
    const Case cases[] = {
        {"all users, group only", InstallAllUsers, 0, 0},
        {"all users, everything", InstallAllUsers, 1, 1},
        {"current user, desktop", InstallCurrentUser, 1, 0},
        {"current user, start-up", InstallCurrentUser, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsAndBoxes state;
        Stage stage;
        g_options.installType = c.installType;
        g_options.desktopIcon = c.desktopIcon;
        g_options.autoStart = c.autoStart;
        const bool all = c.installType == InstallAllUsers;

        CreateProgramGroupAndShortcuts(stage.Lookup());

        const std::wstring group = stage.Folder(all ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + L"\\Glintora 7";
        std::vector<std::wstring> links = {group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk"};
        if (c.desktopIcon)
            links.push_back(stage.Folder(all ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP) + L"\\Glintora 7.lnk");
        if (c.autoStart)
            links.push_back(stage.Folder(all ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP) + L"\\Glintora 7.lnk");

        std::vector<std::wstring> expectedLog = {kMadeDir + group};
        for (const auto& line : ShellLinkLines(links)) expectedLog.push_back(line);
        EXPECT_EQ(stage.Log(), expectedLog);
        EXPECT_EQ(stage.Links(), Sorted(links)) << "no shortcut anywhere else";
        ExpectHelpLink(stage, links[1]);
        for (size_t i = 0; i < links.size(); ++i)
            if (i != 1) ExpectProductLink(stage, links[i]);
        EXPECT_EQ(g_options.installType, c.installType);
        EXPECT_TRUE(state.BoxTexts().empty());
    }
}

TEST(ProgramGroup, WithoutAUsableCommonProgramsFolderInstallsForTheCurrentUser) {
    struct Case {
        const char* what;
        std::wstring commonPrograms;
        bool fallsBack;
    };
    const Case cases[] = {
        {"none", L"", true},
        {"a drive", L"C:", true},
        {"a drive's root", L"C:\\", true},
        // Four characters are a folder: here one that cannot be made, so the group is missing.
        {"a folder on no drive", L"Q:\\x", false},
    };
    ASSERT_EQ(GetDriveTypeW(L"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR)) << "the test needs Q: to be no drive";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsAndBoxes state;
        Stage stage;
        g_options.installType = InstallAllUsers;
        g_options.desktopIcon = 1;
        g_options.autoStart = 1;
        stage.SetFolder(CSIDL_COMMON_PROGRAMS, c.commonPrograms);
        g_options.groupName = UniqueGroupName();

        CreateProgramGroupAndShortcuts(stage.Lookup());

        if (c.fallsBack) {
            EXPECT_EQ(g_options.installType, InstallCurrentUser);
            const std::wstring group = stage.Folder(CSIDL_PROGRAMS) + L"\\" + UniqueGroupName();
            const std::vector<std::wstring> links = {
                group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk",
                stage.Folder(CSIDL_DESKTOP) + L"\\Glintora 7.lnk", stage.Folder(CSIDL_STARTUP) + L"\\Glintora 7.lnk"};
            std::vector<std::wstring> expectedLog = {kMadeDir + group};
            for (const auto& line : ShellLinkLines(links)) expectedLog.push_back(line);
            EXPECT_EQ(stage.Log(), expectedLog);
            EXPECT_EQ(stage.Links(), Sorted(links));
            for (int common : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTUP})
                EXPECT_EQ(std::count(stage.Asked().begin(), stage.Asked().end(), common), 0);
        } else {
            EXPECT_EQ(g_options.installType, InstallAllUsers);
            const std::vector<std::wstring> links = {stage.Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Glintora 7.lnk",
                                                     stage.Folder(CSIDL_COMMON_STARTUP) + L"\\Glintora 7.lnk"};
            std::vector<std::wstring> expectedLog = {kMadeDir + c.commonPrograms + L"\\" + UniqueGroupName()};
            for (const auto& line : ShellLinkLines(links)) expectedLog.push_back(line);
            EXPECT_EQ(stage.Log(), expectedLog);
            EXPECT_EQ(stage.Links(), Sorted(links));
            EXPECT_EQ(std::count(stage.Asked().begin(), stage.Asked().end(), CSIDL_PROGRAMS), 0);
        }
        EXPECT_TRUE(state.BoxTexts().empty());
        ExpectNothingInTheRoots(UniqueGroupName());
    }
}

TEST(ProgramGroup, MakesEveryLevelOfTheNormalisedGroupName) {
    struct Case {
        std::wstring name;
        std::wstring group;
        std::vector<std::wstring> levels;
    };
    const Case cases[] = {
        {L" /Outils/Glintora 7\\ ", L"Outils\\Glintora 7", {L"Outils", L"Outils\\Glintora 7"}},
        {L"\tA/B/C\r\n", L"A\\B\\C", {L"A", L"A\\B", L"A\\B\\C"}},
        {L"Glintora 7", L"Glintora 7", {L"Glintora 7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        OptionsAndBoxes state;
        Stage stage;
        g_options.installType = InstallCurrentUser;
        g_options.desktopIcon = 0;
        g_options.autoStart = 0;
        g_options.groupName = c.name;

        CreateProgramGroupAndShortcuts(stage.Lookup());

        EXPECT_EQ(g_options.groupName, c.group);
        const std::wstring programs = stage.Folder(CSIDL_PROGRAMS);
        for (const auto& level : c.levels) {
            EXPECT_TRUE(IsFolder(programs + L"\\" + level)) << Narrow(level);
        }
        const std::wstring group = programs + L"\\" + c.group;
        const std::vector<std::wstring> links = {group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk"};
        EXPECT_EQ(stage.Log(), (std::vector<std::wstring>{kMadeDir + group, kShellLink + links[0], kShellLink + links[1]}));
        EXPECT_EQ(stage.Links(), Sorted(links));
    }
}

TEST(ProgramGroup, AnEmptyGroupNamePutsTheShortcutsIntoTheProgramsFolder) {
    OptionsAndBoxes state;
    Stage stage;
    g_options.installType = InstallAllUsers;
    g_options.desktopIcon = 0;
    g_options.autoStart = 0;
    g_options.groupName = L" \\ ";

    CreateProgramGroupAndShortcuts(stage.Lookup());

    EXPECT_EQ(g_options.groupName, L"");
    const std::wstring programs = stage.Folder(CSIDL_COMMON_PROGRAMS);
    const std::vector<std::wstring> links = {programs + L"\\Glintora 7.lnk", programs + L"\\Aide d'Glintora 7.lnk"};
    EXPECT_EQ(stage.Log(),
              (std::vector<std::wstring>{kMadeDir + programs + L"\\", kShellLink + links[0], kShellLink + links[1]}));
    EXPECT_EQ(stage.Links(), Sorted(links));
}

TEST(ProgramGroup, GroupShortcutsThatCannotBeMadeLeaveTheMadeDirLineAndTheRestGoesOn) {
    struct Case {
        const char* what;
        bool fileInTheWay;  // else a group folder that fits, with links in it that would not
    };
    const Case cases[] = {
        {"a file where the group would be", true},
        {"links too long for their buffer", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsAndBoxes state;
        Stage stage;
        g_options.installType = InstallCurrentUser;
        g_options.desktopIcon = 1;
        g_options.autoStart = 0;
        const std::wstring programs = stage.Folder(CSIDL_PROGRAMS);
        // 245 characters: a folder that can be made, but "\\Glintora 7.lnk" takes it to 260.
        g_options.groupName = c.fileInTheWay ? L"Glintora 7" : std::wstring(245 - programs.size() - 1, L'g');
        const std::wstring group = programs + L"\\" + g_options.groupName;
        if (c.fileInTheWay) {
            FILE* file = _wfopen(group.c_str(), L"wb");
            ASSERT_NE(file, nullptr);
            fclose(file);
        }

        CreateProgramGroupAndShortcuts(stage.Lookup());

        EXPECT_EQ(IsFolder(group), !c.fileInTheWay);
        const std::wstring desktop = stage.Folder(CSIDL_DESKTOP) + L"\\Glintora 7.lnk";
        EXPECT_EQ(stage.Log(), (std::vector<std::wstring>{kMadeDir + group, kShellLink + desktop}));
        EXPECT_EQ(stage.Links(), std::vector<std::wstring>{desktop});
        EXPECT_TRUE(state.BoxTexts().empty());
    }
}

TEST(ProgramGroup, AFolderTheShellCannotNameIsNotUsed) {
    const std::wstring groupName = UniqueGroupName();
    struct Case {
        const char* what;
        int installType;
        int emptyFolder;  // given as "" by the lookup
        bool groupMade;
        bool desktopMade;
    };
    const Case cases[] = {
        {"current user without a programs folder", InstallCurrentUser, CSIDL_PROGRAMS, false, true},
        {"all users without any programs folder", InstallAllUsers, CSIDL_PROGRAMS, false, true},
        {"current user without a desktop", InstallCurrentUser, CSIDL_DESKTOP, true, false},
        {"all users without a common desktop", InstallAllUsers, CSIDL_COMMON_DESKTOPDIRECTORY, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsAndBoxes state;
        Stage stage;
        g_options.installType = c.installType;
        g_options.desktopIcon = 1;
        g_options.autoStart = 1;
        g_options.groupName = groupName;
        stage.SetFolder(c.emptyFolder, L"");
        if (c.emptyFolder == CSIDL_PROGRAMS) stage.SetFolder(CSIDL_COMMON_PROGRAMS, L"");

        CreateProgramGroupAndShortcuts(stage.Lookup());

        const bool all = g_options.installType == InstallAllUsers;
        std::vector<std::wstring> links;
        std::vector<std::wstring> expectedLog;
        if (c.groupMade) {
            const std::wstring group = stage.Folder(all ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + L"\\" + groupName;
            links = {group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk"};
            expectedLog.push_back(kMadeDir + group);
        }
        if (c.desktopMade)
            links.push_back(stage.Folder(all ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP) + L"\\Glintora 7.lnk");
        links.push_back(stage.Folder(all ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP) + L"\\Glintora 7.lnk");
        for (const auto& line : ShellLinkLines(links)) expectedLog.push_back(line);
        EXPECT_EQ(stage.Log(), expectedLog);
        EXPECT_EQ(stage.Links(), Sorted(links));
        ExpectNothingInTheRoots(groupName);
    }
}

TEST(ProgramGroup, APortableInstallationGetsNoShortcutAndNoGroup) {
    OptionsAndBoxes state;
    Stage stage;
    g_options.installType = InstallPortable;
    g_options.desktopIcon = 1;
    g_options.autoStart = 1;
    g_options.groupName = L" /Outils/Glintora 7";

    CreateProgramGroupAndShortcuts(stage.Lookup());

    EXPECT_TRUE(stage.Asked().empty());
    EXPECT_TRUE(stage.Links().empty());
    EXPECT_FALSE(Exists(stage.install() + L"\\GltUnInst.log"));
    EXPECT_FALSE(Exists(stage.Folder(CSIDL_PROGRAMS) + L"\\Outils"));
    EXPECT_EQ(g_options.installType, InstallPortable);
}

TEST(ProgramGroup, AnExistingGroupIsUsedAndLoggedAsMade) {
    OptionsAndBoxes state;
    Stage stage;
    g_options.installType = InstallCurrentUser;
    g_options.desktopIcon = 0;
    g_options.autoStart = 0;
    const std::wstring group = stage.Folder(CSIDL_PROGRAMS) + L"\\Glintora 7";
    ASSERT_TRUE(CreateDirectoryW(group.c_str(), nullptr));
    // An earlier shortcut of the same name is replaced, a foreign one left alone.
    ASSERT_EQ(CreateShortcut(stage.install() + L"\\Glintr7Man.chm", group + L"\\Glintora 7.lnk", L"old", 3, nullptr,
                             nullptr),
              S_OK);
    ASSERT_EQ(CreateShortcut(stage.install() + L"\\Glintr7Man.chm", group + L"\\Autre.lnk", L"", 1, nullptr, nullptr),
              S_OK);
    DeleteFileW((stage.install() + L"\\GltUnInst.log").c_str());

    CreateProgramGroupAndShortcuts(stage.Lookup());

    const std::vector<std::wstring> links = {group + L"\\Glintora 7.lnk", group + L"\\Aide d'Glintora 7.lnk"};
    EXPECT_EQ(stage.Log(), (std::vector<std::wstring>{kMadeDir + group, kShellLink + links[0], kShellLink + links[1]}));
    EXPECT_EQ(stage.Links(), Sorted({links[0], links[1], group + L"\\Autre.lnk"}));
    ExpectProductLink(stage, links[0]);
}

}  // namespace
