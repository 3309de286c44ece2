// The decisions of start-up and the installer's option reader, from argument vectors.
#include "app/setup_options.h"
#include "app/startup.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using glt::test::Narrow;

struct Argv {
    explicit Argv(std::vector<std::wstring> a) : args(std::move(a)) {
        for (auto& s : args) pointers.push_back(s.c_str());
    }
    int argc() const { return static_cast<int>(pointers.size()); }
    const wchar_t* const* argv() const { return pointers.data(); }
    std::vector<std::wstring> args;
    std::vector<const wchar_t*> pointers;
};

const wchar_t* RoleName(SetupRole role) {
    switch (role) {
    case SetupRole::Installer: return L"installer";
    case SetupRole::Uninstaller: return L"uninstaller";
    case SetupRole::FinishUninstall: return L"finish";
    }
    return L"?";
}

struct StartupCase {
    const wchar_t* module;
    std::vector<std::wstring> args;  // after the program name
    SetupRole role;
    int uiMode;
    bool silentFlag;
    bool closeQuestionSuppressed;
};

TEST(Startup, CommandLineAndFileNameDecideRoleAndMode) {
    const wchar_t* setup = L"C:\\Payload\\setup.exe";
    const wchar_t* uninst = L"C:\\Program Files\\Glintora 7\\GltUnInst.exe";
    const StartupCase cases[] = {
        {setup, {}, SetupRole::Installer, UiInteractive, false, false},
        {setup, {L"-s"}, SetupRole::Installer, UiSilent, true, false},  // argv[1] is not examined for the question
        {setup, {L"/S"}, SetupRole::Installer, UiInteractive, false, false},
        {setup, {L"-sconf"}, SetupRole::Installer, UiSilentFinish, false, false},
        {setup, {L"-SConf", L"-v"}, SetupRole::Installer, UiSilentFinish, false, false},
        {setup, {L"-v", L"-s"}, SetupRole::Installer, UiInteractive, false, true},
        {setup, {L"-s", L"-v"}, SetupRole::Installer, UiInteractive, true, false},
        {setup, {L"-install", L"-s"}, SetupRole::Installer, UiSilent, true, true},
        {setup, {L"-instdir", L"D:\\Outils", L"/s"}, SetupRole::Installer, UiInteractive, false, true},
        {setup, {L"-s", L"-S"}, SetupRole::Installer, UiSilent, true, true},
        {setup, {L"-unknown", L"--s", L"s"}, SetupRole::Installer, UiInteractive, false, false},
        {uninst, {}, SetupRole::Uninstaller, UiSilent, false, false},
        {uninst, {L"-v"}, SetupRole::Uninstaller, UiInteractive, false, false},
        {uninst, {L"-V", L"-s"}, SetupRole::Uninstaller, UiInteractive, false, true},
        {uninst, {L"-sconf"}, SetupRole::Uninstaller, UiSilentFinish, false, false},
        {uninst, {L"-s"}, SetupRole::Uninstaller, UiSilent, true, false},
        {uninst, {L"-INSTALL"}, SetupRole::Installer, UiInteractive, false, false},
        {uninst, {L"x", L"-install"}, SetupRole::Uninstaller, UiSilent, false, false},
        {L"C:\\Temp\\MySetup.EXE", {}, SetupRole::Installer, UiInteractive, false, false},
        {L"C:\\setup.exe files\\GltUnInst.exe", {}, SetupRole::Installer, UiInteractive, false, false},
        {L"C:\\setup.ex\\GltUnInst.exe", {}, SetupRole::Uninstaller, UiSilent, false, false},
        {L"C:\\Temp\\uni1A2B.TMP", {L"-delself", uninst}, SetupRole::FinishUninstall, UiInteractive, false, false},
        {L"C:\\Temp\\uni1A2B.TMP", {L"-delself", uninst, L"-s"}, SetupRole::FinishUninstall, UiSilent, true, true},
        {L"C:\\Temp\\uni1A2B.TMP", {L"-delself", uninst, L"-sconf"}, SetupRole::FinishUninstall, UiSilentFinish, false, false},
        // Case matters for -delself, and it needs its path.
        {L"C:\\Temp\\uni1A2B.TMP", {L"-DelSelf", uninst}, SetupRole::Uninstaller, UiSilent, false, false},
        {L"C:\\Temp\\uni1A2B.TMP", {L"-delself"}, SetupRole::Uninstaller, UiSilent, false, false},
        {setup, {L"-delself"}, SetupRole::Installer, UiInteractive, false, false},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> all{c.module};
        all.insert(all.end(), c.args.begin(), c.args.end());
        Argv a(all);
        std::wstring line;
        for (auto& s : all) line += s + L" ";
        SCOPED_TRACE(Narrow(line));
        bool silent = true;
        int scanned = ScanUiMode(a.argc(), a.argv(), silent);
        SetupRole role = DecideRole(a.argc(), a.argv(), c.module);
        EXPECT_STREQ(RoleName(role), RoleName(c.role));
        EXPECT_EQ(SettleUiMode(role, scanned, silent), c.uiMode);
        EXPECT_EQ(silent, c.silentFlag);
        EXPECT_EQ(CloseQuestionSuppressed(a.argc(), a.argv()), c.closeQuestionSuppressed);
    }
}

TEST(Startup, HostileArgumentsDoNotCrash) {
    std::wstring huge(70000, L'\u00e9');
    std::wstring odd = L"\u202e\uFFFF\U0001F600-s";
    Argv a({L"C:\\x\\setup.exe", huge, odd, L"", huge, L"-delself"});
    bool silent = true;
    EXPECT_EQ(ScanUiMode(a.argc(), a.argv(), silent), UiSilent);
    EXPECT_FALSE(silent);
    EXPECT_EQ(DecideRole(a.argc(), a.argv(), std::wstring(5000, L'a') + L"SETUP.EXE"), SetupRole::Installer);
    SetupOptions options;
    ReadInstallerOptions(options, a.argc(), a.argv());
    EXPECT_EQ(options.installDir, L"");
}

struct OptionCase {
    const char* name;
    std::vector<std::wstring> args;
    int startType;  // installType before the options are read
    std::wstring startDir;
    // expected
    int installType;
    std::wstring installDir;
    int runAfter, autoStart, desktopIcon;
};

TEST(OptionReader, ArgumentVectorsGiveOptions) {
    const OptionCase cases[] = {
        {"nothing", {}, 1, L"C:\\Old", 1, L"C:\\Old", 0, 0, 1},
        {"instdir", {L"-instdir", L"D:\\Outils"}, 1, L"C:\\Old", 1, L"D:\\Outils", 0, 0, 1},
        {"quoted folder with backslash", {L"-instdir", L"D:\\Mon dossier\\\""}, 1, L"", 1, L"D:\\Mon dossier", 0, 0, 1},
        {"forward slash", {L"-instdir", L"D:/Outils/"}, 1, L"", 1, L"D:/Outils", 0, 0, 1},
        {"only one backslash goes", {L"-instdir", L"D:\\Outils\\\\"}, 1, L"", 1, L"D:\\Outils\\", 0, 0, 1},
        {"quote then slash, once each", {L"-instdir", L"D:\\a\\\"\""}, 1, L"", 1, L"D:\\a\\\"", 0, 0, 1},
        {"instdir last changes nothing", {L"-instdir"}, 1, L"C:\\Old", 1, L"C:\\Old", 0, 0, 1},
        {"instport last still portable", {L"-runafter", L"-instport"}, 1, L"C:\\Old", 2, L"C:\\Old", 1, 0, 1},
        {"instport with folder", {L"-instport", L"E:\\"}, 1, L"", 2, L"E:", 0, 0, 1},
        {"later folder wins", {L"-instdir", L"D:\\A", L"-instdir", L"D:\\B"}, 1, L"", 1, L"D:\\B", 0, 0, 1},
        {"capital INSTDIR ignored", {L"-INSTDIR", L"D:\\A"}, 1, L"C:\\Old", 1, L"C:\\Old", 0, 0, 1},
        {"other -inst words passed over", {L"-install", L"-instdirx", L"D:\\A"}, 1, L"C:\\Old", 1, L"C:\\Old", 0, 0, 1},
        {"switches in any case", {L"-RunAfter", L"-AUTOSTART", L"-NoDeskIco"}, 1, L"", 1, L"", 1, 1, 0},
        {"folder is examined as an option too", {L"-instdir", L"-runafter"}, 1, L"", 1, L"-runafter", 1, 0, 1},
        {"allusers keeps all users", {L"-allusers"}, 1, L"", 1, L"", 0, 0, 1},
        {"allusers over current user", {L"-allusers"}, 0, L"", 1, L"", 0, 0, 1},
        {"allusers leaves portable", {L"-instport", L"E:\\P", L"-allusers"}, 1, L"", 2, L"E:\\P", 0, 0, 1},
        {"empty folder argument keeps the old one", {L"-instdir", L""}, 1, L"C:\\Old", 1, L"C:\\Old", 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::wstring> all{L"C:\\Payload\\setup.exe"};
        all.insert(all.end(), c.args.begin(), c.args.end());
        Argv a(all);
        SetupOptions options;
        options.installType = c.startType;
        options.installDir = c.startDir;
        ReadInstallerOptions(options, a.argc(), a.argv());
        EXPECT_EQ(options.installType, c.installType);
        EXPECT_EQ(Narrow(options.installDir), Narrow(c.installDir));
        EXPECT_EQ(options.runAfter, c.runAfter);
        EXPECT_EQ(options.autoStart, c.autoStart);
        EXPECT_EQ(options.desktopIcon, c.desktopIcon);
    }
}

TEST(SetupOptionsRecord, StartsWithTheDocumentedValues) {
    SetupOptions o;
    EXPECT_EQ(o.uiMode, UiSilent);
    EXPECT_EQ(o.installType, InstallAllUsers);
    EXPECT_EQ(o.desktopIcon, 1);
    EXPECT_EQ(o.autoStart + o.runAfter + o.restartNeeded + o.freshInstall + o.upgradeInstall + o.configCarried, 0);
    EXPECT_TRUE(o.installDir.empty() && o.sourceDir.empty() && o.groupName.empty());
}

}  // namespace
