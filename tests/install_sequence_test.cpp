// The install sequence on real folders, where it touches neither the registry nor the start
// menu (a portable installation), and the install driver's version and group rules.
#include "app/install_driver.h"
#include "app/setup_options.h"
#include "install/install_sequence.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace glt::test;

class InstallSequence : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = g_options;
        g_options = SetupOptions{};
        _wputenv(L"sfxname=");
        CreateDirectoryW(dir_.Path(L"Payload").c_str(), nullptr);
        CreateDirectoryW(dir_.Path(L"Payload\\lang").c_str(), nullptr);
        CreateDirectoryW(dir_.Path(L"Payload\\x64").c_str(), nullptr);
        CreateDirectoryW(dir_.Path(L"Out").c_str(), nullptr);
        for (const wchar_t* f : {L"Glintr7.exe", L"HomePage.url", L"lang\\fr.txt", L"lang\\de.txt", L"StartGT7.exe",
                                 L"x64\\ThumbDgl64.dll"})
            ASSERT_TRUE(dir_.WriteFile(std::wstring(L"Payload\\") + f, Narrow(f)));
        g_options.sourceDir = dir_.Path(L"Payload");
        g_options.installDir = dir_.Path(L"Out\\Glintora 7");
        g_options.installType = InstallPortable;
        g_options.freshInstall = 1;
    }
    void TearDown() override {
        _wputenv(L"sfxname=");
        g_options = saved_;
    }

    TempDir dir_;
    const std::string payloadLog_ =
        "Make Dir: lang\r\nFile Copy: Glintr7.exe\r\nFile Copy: HomePage.url\r\nFile Copy: lang\\*.txt\r\n"
        "File Copy prt: StartGT7.exe\r\nFile Copy x64: x64\\ThumbDgl64.dll\r\nFile Del: old.dll | gone since 7.1";

private:
    SetupOptions saved_;
};

TEST_F(InstallSequence, APortableInstallationCopiesThePayloadAndItsLogAndNothingElse) {
    ASSERT_TRUE(dir_.WriteFile(L"Payload\\GltUnInst.log", payloadLog_));
    EXPECT_EQ(RunInstallSequence(), 0);
    for (const wchar_t* f : {L"Glintr7.exe", L"HomePage.url", L"lang\\fr.txt", L"lang\\de.txt", L"x64\\ThumbDgl64.dll"})
        EXPECT_EQ(dir_.ReadFile(std::wstring(L"Out\\Glintora 7\\") + f), Narrow(f)) << Narrow(f);
    EXPECT_EQ(dir_.ReadFile(L"Out\\StartGT7.exe"), "StartGT7.exe");  // the starter goes above the folder
    // The payload log ends without a line end: the appended empty line ends it, and nothing else
    // (no program group, no shortcut) is recorded.
    EXPECT_EQ(dir_.ReadFile(L"Out\\Glintora 7\\GltUnInst.log"), payloadLog_ + "\r\n");
    EXPECT_EQ(g_options.configCarried, 0);
}

TEST_F(InstallSequence, ConfigurationIsCarriedFromBesideTheArchiveOnlyWhenTheArchiveIsNamed) {
    ASSERT_TRUE(dir_.WriteFile(L"Payload\\GltUnInst.log", payloadLog_));
    CreateDirectoryW(dir_.Path(L"Archive").c_str(), nullptr);
    CreateDirectoryW(dir_.Path(L"Bare").c_str(), nullptr);
    ASSERT_TRUE(dir_.WriteFile(L"Archive\\Glintr7.ini", "[Capture]\r\nDelay=3\r\n"));
    ASSERT_TRUE(dir_.WriteFile(L"Archive\\Glintr7.reg", "REGEDIT4\r\n"));
    struct Case {
        const char* name;
        std::wstring sfxname;  // empty: not set
        int configCarried;
        bool iniThere, regThere;
    } cases[] = {
        {"no archive named", L"", 0, false, false},
        {"archive beside the files", dir_.Path(L"Archive\\Glintora7-setup.exe"), 1, true, true},
        {"archive without them", dir_.Path(L"Bare\\Glintora7-setup.exe"), 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(dir_.Path(L"Out\\Glintora 7"));
        g_options.configCarried = 0;
        _wputenv((L"sfxname=" + c.sfxname).c_str());
        RunInstallSequence();
        EXPECT_EQ(g_options.configCarried, c.configCarried);
        EXPECT_EQ(dir_.Exists(L"Out\\Glintora 7\\Glintr7.ini"), c.iniThere);
        EXPECT_EQ(dir_.Exists(L"Out\\Glintora 7\\Glintr7.reg"), c.regThere);
        if (c.iniThere) {
            EXPECT_EQ(dir_.ReadFile(L"Out\\Glintora 7\\Glintr7.ini"), "[Capture]\r\nDelay=3\r\n");
        }
    }
}

TEST_F(InstallSequence, AnUpdateRemovesTheEarlierShortcutsGroupAndObsoleteFilesFirst) {
    // The earlier installation in the same folder: its log names a shortcut and its group, and a
    // file that the new payload declares obsolete.
    CreateDirectoryW(dir_.Path(L"Out\\Glintora 7").c_str(), nullptr);
    CreateDirectoryW(dir_.Path(L"Programs").c_str(), nullptr);
    CreateDirectoryW(dir_.Path(L"Programs\\Old Group").c_str(), nullptr);
    ASSERT_TRUE(dir_.WriteFile(L"Programs\\Old Group\\Glintora 7.lnk", "link"));
    ASSERT_TRUE(dir_.WriteFile(L"Programs\\keep.lnk", "another product"));
    ASSERT_TRUE(dir_.WriteFile(L"Out\\Glintora 7\\old.dll", "old"));
    ASSERT_TRUE(dir_.WriteFile(L"Out\\Glintora 7\\GltUnInst.log",
                               "File Copy: Glintr7.exe\r\n\r\nMade Dir: " + Narrow(dir_.Path(L"Programs\\Old Group")) +
                                   "\r\nShell Link: " + Narrow(dir_.Path(L"Programs\\Old Group\\Glintora 7.lnk")) +
                                   "\r\n"));
    ASSERT_TRUE(dir_.WriteFile(L"Payload\\GltUnInst.log", payloadLog_));
    g_options.freshInstall = 0;
    RunInstallSequence();
    EXPECT_FALSE(dir_.Exists(L"Out\\Glintora 7\\old.dll"));
    EXPECT_FALSE(dir_.Exists(L"Programs\\Old Group"));
    EXPECT_TRUE(dir_.Exists(L"Programs\\keep.lnk"));
    EXPECT_EQ(dir_.ReadFile(L"Out\\Glintora 7\\GltUnInst.log"), payloadLog_ + "\r\n");
    EXPECT_EQ(dir_.ReadFile(L"Out\\Glintora 7\\Glintr7.exe"), "Glintr7.exe");
}

TEST(InstallDriver, VersionsCompareByTheirNumber) {
    struct Case {
        unsigned a[4], b[4];
        int order;  // sign of a - b
    } cases[] = {
        {{7, 1, 2, 3}, {7, 1, 2, 4}, -1},
        {{7, 1, 2, 3}, {7, 1, 2, 3}, 0},
        {{7, 2, 0, 0}, {7, 1, 99, 99}, 1},
        {{7, 1, 100, 0}, {7, 2, 0, 0}, 0},  // a part of 100 or more is not isolated
        {{0, 0, 0, 0}, {1, 0, 0, 0}, -1},
    };
    for (const auto& c : cases) {
        unsigned x = VersionNumber(c.a[0], c.a[1], c.a[2], c.a[3]);
        unsigned y = VersionNumber(c.b[0], c.b[1], c.b[2], c.b[3]);
        EXPECT_EQ((x > y) - (x < y), c.order) << x << " " << y;
    }
    EXPECT_EQ(VersionNumber(7, 1, 2, 3), 7010203u);
}

TEST(InstallDriver, TheGroupComesFromTheLastLinkBelowTheProgramsFolder) {
    TempDir dir;
    const std::wstring programs = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    const std::wstring startup = programs + L"\\StartUp";
    struct Case {
        const char* name;
        std::string log;  // null-free bytes
        std::wstring group;
    } cases[] = {
        {"two levels, case as written",
         "Shell Link: C:\\PROGRAMDATA\\Microsoft\\Windows\\Start Menu\\Programs\\Tools\\Glintora\\Glintora 7.lnk\r\n",
         L"Tools\\Glintora"},
        {"directly in the programs folder",
         "Shell Link: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Glintora 7.lnk\r\n", L""},
        {"start-up and desktop links do not count",
         "Shell Link: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Glintora 7.lnk\r\n"
         "Shell Link: C:\\users\\Public\\Desktop\\Glintora 7.lnk\r\n",
         L"Glintora 7"},
        {"the last matching line wins, trailing blanks dropped",
         "Shell Link: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\A\\x.lnk\r\n"
         "Shell Link: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\B\\y.lnk  \t\r\n"
         "shell link: C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\C\\z.lnk\r\n",
         L"B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dir.WriteFile(L"GltUnInst.log", c.log));
        EXPECT_EQ(Narrow(GroupFromEarlierLog(dir.Path(L"GltUnInst.log"), programs, startup, L"Glintora 7")),
                  Narrow(c.group));
    }
    EXPECT_EQ(GroupFromEarlierLog(dir.Path(L"missing.log"), programs, startup, L"Glintora 7"), L"Glintora 7");
}

}  // namespace
