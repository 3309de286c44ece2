// The registration of a normal installation with Windows, against the machine's real keys under
// HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT (serial: every key touched is saved first and put
// back as it was), and the real regsvr32.exe with the stand-in thumbnail handler.
#include "install/system_registration.h"

#include "app/setup_options.h"
#include "support/registry.h"
#include "support/registry_tree.h"
#include "support/test_support.h"
#include "support/thumbnail_standin.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using glt::test::Narrow;

constexpr const wchar_t* kEarlier = L"Applications\\Glintr7.exe";
constexpr const wchar_t* kWindows8 = L"Glintora.7";

// The keys whose values the registration writes, written out from the product's tables: the
// tests compare against these, not against the code's own constants.
constexpr const wchar_t* kProduct = L"SOFTWARE\\Morvane\\Glintora 7";
constexpr const wchar_t* kAssociations = L"SOFTWARE\\Morvane\\Glintora 7\\Capabilities\\FileAssociations";
constexpr const wchar_t* kRegistered = L"SOFTWARE\\RegisteredApplications";
constexpr const wchar_t* kAppPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Glintr7.exe";
constexpr const wchar_t* kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glintora 7";
constexpr const wchar_t* kProgIdCommand = L"Glintora.7\\shell\\open\\command";
constexpr const wchar_t* kOpenWithCommand = L"Applications\\Glintr7.exe\\shell\\open\\command";

const wchar_t* const kExtensions[] = {L".bmp", L".dib", L".gif", L".jpg",  L".jpeg", L".tif", L".tiff",
                                      L".png", L".cmp", L".tga", L".wpg", L".jp2", L".j2k", L".dgl"};

// The trees in which all of those keys lie; saved, emptied for each case, and put back.
struct Tree {
    HKEY root;
    const wchar_t* subkey;
};
const Tree kTrees[] = {
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Morvane"},
    {HKEY_LOCAL_MACHINE, kRegistered},
    {HKEY_LOCAL_MACHINE, kAppPath},
    {HKEY_LOCAL_MACHINE, kUninstall},
    {HKEY_CLASSES_ROOT, L"Glintora.7"},
    {HKEY_CLASSES_ROOT, L"Applications\\Glintr7.exe"},
};

struct Value {
    HKEY root;
    std::wstring key;
    std::wstring name;  // empty: the default value
    DWORD type;
    std::wstring text;
    DWORD number;
};

std::string Label(HKEY root, const std::wstring& key, const std::wstring& name) {
    return std::string(root == HKEY_CLASSES_ROOT ? "HKCR\\" : "HKLM\\") + Narrow(key) + " : " +
           (name.empty() ? std::string("(default)") : Narrow(name));
}
std::string Label(const Value& v) { return Label(v.root, v.key, v.name); }

// Data as a comparable text: a REG_SZ must be stored with its terminating zero, and only one.
std::string Render(DWORD type, const std::vector<BYTE>& bytes) {
    if (type == REG_DWORD && bytes.size() == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, bytes.data(), sizeof number);
        return "REG_DWORD " + std::to_string(number);
    }
    if (type == REG_SZ && bytes.size() % 2 == 0 && bytes.size() >= 2) {
        std::wstring text(bytes.size() / 2, L'\0');
        memcpy(text.data(), bytes.data(), bytes.size());
        if (text.back() == L'\0' && text.find(L'\0') == text.size() - 1) {
            text.pop_back();
            return "REG_SZ " + Narrow(text);
        }
    }
    return "type " + std::to_string(type) + ", " + std::to_string(bytes.size()) + " bytes, not as written";
}

std::string Render(const Value& v) {
    return v.type == REG_DWORD ? "REG_DWORD " + std::to_string(v.number) : "REG_SZ " + Narrow(v.text);
}

std::string ReadBack(const Value& v) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(v.root, v.key.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "(no key)";
    const wchar_t* name = v.name.empty() ? nullptr : v.name.c_str();
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    std::vector<BYTE> data;
    LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_SUCCESS) {
        data.resize(bytes);
        status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes);
        data.resize(bytes);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? Render(type, data) : "(no value)";
}

// Every value present in the trees, by label.
std::set<std::string> PresentValues() {
    std::set<std::string> present;
    for (const Tree& tree : kTrees) {
        const glt::test::RegTree contents = glt::test::ReadRegTree(tree.root, tree.subkey);
        for (const auto& [where, data] : contents.values) {
            const std::wstring key =
                where.first.empty() ? tree.subkey : std::wstring(tree.subkey) + L"\\" + where.first;
            present.insert(Label(tree.root, key, where.second));
        }
    }
    return present;
}

struct Case {
    std::wstring dir;
    int installType = InstallAllUsers;
    DWORD osMajor = 6, osMinor = 1;
    ProductVersion version = {7, 1, 3, 9};
};

struct Expectation {
    std::wstring allUsers = L"B";
    std::wstring association = kEarlier;
    std::wstring displayVersion = L"7.01.03";
    std::wstring versionMajor = L"7", versionMinor = L"1";
    DWORD major = 7, minor = 1;
};

// The values of the tables, in the order of the registration's steps.
std::vector<Value> ExpectedValues(const std::wstring& dir, const Expectation& e) {
    const HKEY lm = HKEY_LOCAL_MACHINE;
    const HKEY cr = HKEY_CLASSES_ROOT;
    const std::wstring command = L"\"" + dir + L"\\Glintr7.exe\" \"%1\"";
    std::vector<Value> values = {
        {lm, kProduct, L"AllUsers", REG_SZ, e.allUsers, 0},
        {lm, kProduct, L"Path", REG_SZ, dir, 0},
        {cr, kProgIdCommand, L"", REG_SZ, command, 0},
    };
    for (const wchar_t* extension : kExtensions)
        values.push_back({lm, kAssociations, extension, REG_SZ, e.association, 0});
    const std::vector<Value> rest = {
        {lm, kRegistered, L"Glintora.7", REG_SZ, L"SOFTWARE\\Morvane\\Glintora 7\\Capabilities", 0},
        {lm, kAppPath, L"", REG_SZ, dir + L"\\Glintr7.exe", 0},
        {lm, kAppPath, L"Path", REG_SZ, dir, 0},
        {lm, kUninstall, L"Contact", REG_SZ, L"Support", 0},
        {lm, kUninstall, L"DisplayName", REG_SZ, L"Glintora 7", 0},
        {lm, kUninstall, L"InstallLocation", REG_SZ, dir, 0},
        {lm, kUninstall, L"DisplayVersion", REG_SZ, e.displayVersion, 0},
        {lm, kUninstall, L"VersionMajor", REG_SZ, e.versionMajor, 0},
        {lm, kUninstall, L"VersionMinor", REG_SZ, e.versionMinor, 0},
        {lm, kUninstall, L"MajorVersion", REG_DWORD, L"", e.major},
        {lm, kUninstall, L"MinorVersion", REG_DWORD, L"", e.minor},
        {lm, kUninstall, L"Publisher", REG_SZ, L"Morvane Technology LLC", 0},
        {lm, kUninstall, L"UninstallString", REG_SZ, dir + L"\\GltUnInst.exe", 0},
        {lm, kUninstall, L"URLInfoAbout", REG_SZ, L"http://www.morvane.com", 0},
        {cr, kOpenWithCommand, L"", REG_SZ, command, 0},
    };
    values.insert(values.end(), rest.begin(), rest.end());
    return values;
}

// Every expected value is there with its type and data, and nothing else is in the trees.
void ExpectExactly(const std::vector<Value>& expected) {
    std::set<std::string> labels;
    for (const Value& v : expected) {
        labels.insert(Label(v));
        EXPECT_EQ(ReadBack(v), Render(v)) << Label(v);
    }
    EXPECT_EQ(PresentValues(), labels);
}

class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[2048] = {};
        const DWORD length = GetEnvironmentVariableW(name, old, 2048);
        had_ = length > 0 && length < 2048;
        old_ = had_ ? std::wstring(old, length) : std::wstring();
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

// Paths and captions, without regard to case.
bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// An installation folder (with a blank in its name) holding the stand-in under all three names
// of the thumbnail handler.
std::wstring MakeInstallFolder(const glt::test::TempDir& tmp) {
    const std::wstring dir = tmp.Path(L"Glintora 7");
    if (!CreateDirectoryW(dir.c_str(), nullptr) || !CreateDirectoryW((dir + L"\\x64").c_str(), nullptr)) return {};
    for (const wchar_t* name : {L"x64\\ThumbDgl64.dll", L"ThumbDgl32.dll", L"ThumbDglXP32.dll"})
        if (!glt::test::CopyFileTo(glt::test::ThumbnailStandIn(), dir + L"\\" + name)) return {};
    return dir;
}

// Long enough for a regsvr32 run that was started to have recorded: the runs that do register
// record within a second here.
constexpr DWORD kNoRegistrationWaitMs = 3000;

class SystemRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Tree& tree : kTrees)
            trees_.push_back(std::make_unique<glt::test::SavedRegTree>(tree.root, tree.subkey));
        ASSERT_TRUE(ClearAll());
    }
    void TearDown() override { g_options = savedOptions_; }

    bool ClearAll() const {
        bool cleared = true;
        for (const auto& tree : trees_) cleared &= tree->Clear();
        return cleared && PresentValues().empty();
    }

    static void Apply(const Case& c) {
        g_options.installDir = c.dir;
        g_options.installType = c.installType;
        g_options.osVersion.dwMajorVersion = c.osMajor;
        g_options.osVersion.dwMinorVersion = c.osMinor;
        g_options.productVersion = c.version;
    }

    SetupOptions savedOptions_ = g_options;
    std::vector<std::unique_ptr<glt::test::SavedRegTree>> trees_;
};

TEST_F(SystemRegistration, WritesEveryValueOfTheTablesAndNothingElse) {
    glt::test::TempDir tmp;
    // Not created: no regsvr32 can start in it, and the values do not depend on the folder.
    const std::wstring dir = tmp.Path(L"Glintora 7");
    const struct {
        const char* name;
        int installType;
        DWORD major, minor;
        const wchar_t* allUsers;
        const wchar_t* association;
    } cases[] = {
        {"all users on Windows 7", InstallAllUsers, 6, 1, L"B", kEarlier},
        {"current user on Windows 7: the same but AllUsers", InstallCurrentUser, 6, 1, L"A", kEarlier},
        {"all users on Windows 8", InstallAllUsers, 6, 2, L"B", kWindows8},
        {"current user on Windows 10", InstallCurrentUser, 10, 0, L"A", kWindows8},
        {"Windows Vista", InstallAllUsers, 6, 0, L"B", kEarlier},
        {"Windows XP", InstallAllUsers, 5, 1, L"B", kEarlier},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ClearAll());
        Apply({dir, c.installType, c.major, c.minor});
        RegisterWithSystem();
        Expectation e;
        e.allUsers = c.allUsers;
        e.association = c.association;
        ExpectExactly(ExpectedValues(dir, e));
    }
}

TEST_F(SystemRegistration, ValuesComeInTheOrderOfTheSteps) {
    const std::wstring dir = L"C:\\Program Files\\Glintora 7";
    Apply({dir, InstallCurrentUser, 10, 0});
    Expectation e;
    e.allUsers = L"A";
    e.association = kWindows8;
    std::vector<std::string> expected, planned;
    for (const Value& v : ExpectedValues(dir, e)) expected.push_back(Label(v) + " = " + Render(v));
    for (const RegistrationValue& v : RegistrationValues()) {
        Value seen{v.root, v.subkey, v.name ? v.name : L"", v.type, v.text, v.number};
        planned.push_back(Label(seen) + " = " + Render(seen));
    }
    EXPECT_EQ(planned, expected);
}

TEST_F(SystemRegistration, VersionTextsPadMinorAndBuildOnly) {
    const std::wstring dir = L"C:\\Program Files\\Glintora 7";
    const struct {
        ProductVersion version;
        const wchar_t* display;
        const wchar_t* major;
        const wchar_t* minor;
    } cases[] = {
        {{7, 1, 3, 9}, L"7.01.03", L"7", L"1"},
        {{7, 12, 345, 0}, L"7.12.345", L"7", L"12"},
        {{10, 0, 0, 0}, L"10.00.00", L"10", L"0"},
        {{0, 0, 0, 0}, L"0.00.00", L"0", L"0"},
        {{65535, 65535, 65535, 65535}, L"65535.65535.65535", L"65535", L"65535"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.display));
        ASSERT_TRUE(ClearAll());
        Apply({dir, InstallAllUsers, 6, 1, c.version});
        WriteRegistrationValues();
        const HKEY lm = HKEY_LOCAL_MACHINE;
        for (const Value& v : {Value{lm, kUninstall, L"DisplayVersion", REG_SZ, c.display, 0},
                               Value{lm, kUninstall, L"VersionMajor", REG_SZ, c.major, 0},
                               Value{lm, kUninstall, L"VersionMinor", REG_SZ, c.minor, 0},
                               Value{lm, kUninstall, L"MajorVersion", REG_DWORD, L"", c.version.major},
                               Value{lm, kUninstall, L"MinorVersion", REG_DWORD, L"", c.version.minor}})
            EXPECT_EQ(ReadBack(v), Render(v)) << Label(v);
    }
}

TEST_F(SystemRegistration, AValueThatCannotBeWrittenIsSkippedAndTheRestFollows) {
    // A volatile key cannot get a lasting subkey: the ProgID's command and the associations
    // fail, everything else must still be written.
    for (const wchar_t* volatileKey : {L"Glintora.7", L"SOFTWARE\\Morvane\\Glintora 7\\Capabilities"}) {
        const HKEY root = volatileKey[0] == L'G' ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(root, volatileKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegCloseKey(key);
    }
    const std::wstring dir = L"C:\\Program Files\\Glintora 7";
    Apply({dir, InstallAllUsers, 6, 1});
    WriteRegistrationValues();
    std::vector<Value> expected;
    for (const Value& v : ExpectedValues(dir, Expectation{}))
        if (v.key != kProgIdCommand && v.key != kAssociations) expected.push_back(v);
    ExpectExactly(expected);
}

TEST_F(SystemRegistration, PortableOrFolderlessInstallationRegistersNothing) {
    const struct {
        const char* name;
        int installType;
        bool folder;
    } cases[] = {
        {"portable", InstallPortable, true},
        {"no installation folder", InstallAllUsers, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        glt::test::TempDir tmp;
        const std::wstring dir = MakeInstallFolder(tmp);
        ASSERT_FALSE(dir.empty());
        const std::wstring log = tmp.Path(L"thumbnail.log");
        ScopedVariable logTo(glt::test::kThumbnailLogVariable, log);
        Apply({c.folder ? dir : L"", c.installType, 6, 1});
        RegisterWithSystem();
        EXPECT_EQ(PresentValues(), std::set<std::string>{});
        for (const Tree& tree : kTrees)
            EXPECT_FALSE(glt::test::ReadRegTree(tree.root, tree.subkey).exists) << Narrow(tree.subkey);
        Sleep(kNoRegistrationWaitMs);
        EXPECT_EQ(glt::test::ReadThumbnailRecords(log).size(), 0u);
    }
}

TEST(ThumbnailLibrary, ChosenByTheSystemsWidthAndMajorVersion) {
    const struct {
        bool windows64;
        DWORD major;
        const wchar_t* dir;
        const wchar_t* expected;
    } cases[] = {
        {true, 10, L"C:\\Program Files\\Glintora 7", L"C:\\Program Files\\Glintora 7\\x64\\ThumbDgl64.dll"},
        {true, 6, L"C:\\Program Files\\Glintora 7", L"C:\\Program Files\\Glintora 7\\x64\\ThumbDgl64.dll"},
        {true, 5, L"C:\\Program Files\\Glintora 7", L""},
        {false, 10, L"C:\\Program Files\\Glintora 7", L"C:\\Program Files\\Glintora 7\\ThumbDgl32.dll"},
        {false, 6, L"C:\\Program Files\\Glintora 7", L"C:\\Program Files\\Glintora 7\\ThumbDgl32.dll"},
        {false, 5, L"C:\\Program Files\\Glintora 7", L"C:\\Program Files\\Glintora 7\\ThumbDglXP32.dll"},
        {false, 4, L"C:\\Glintora", L"C:\\Glintora\\ThumbDglXP32.dll"},
        // The uninstaller's folder ends with a backslash.
        {true, 6, L"D:\\Outils\\Glintora 7\\", L"D:\\Outils\\Glintora 7\\x64\\ThumbDgl64.dll"},
        {false, 5, L"D:\\Outils\\Glintora 7\\", L"D:\\Outils\\Glintora 7\\ThumbDglXP32.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.windows64 ? "64" : "32") + "-bit, major " + std::to_string(c.major) + ", " +
                     Narrow(c.dir));
        EXPECT_EQ(Narrow(ThumbnailLibrary(c.windows64, c.major, c.dir)), Narrow(c.expected));
    }
}

TEST_F(SystemRegistration, RegistersTheThumbnailHandlerSilentlyWithoutWaitingForIt) {
    glt::test::TempDir tmp;
    const std::wstring dir = MakeInstallFolder(tmp);
    ASSERT_FALSE(dir.empty());
    const std::wstring library = dir + L"\\x64\\ThumbDgl64.dll";
    const std::wstring log = tmp.Path(L"thumbnail.log");
    ScopedVariable logTo(glt::test::kThumbnailLogVariable, log);
    // The handler takes its time: a caller that waited would find the record on its return.
    ScopedVariable slowly(glt::test::kThumbnailDelayVariable, L"1500");
    // Other test programs may show boxes meanwhile: only this program's and regsvr32's count.
    glt::test::MessageBoxAnswerer ownBoxes(GetCurrentProcessId(), {});
    glt::test::MessageBoxAnswerer anyBoxes(0, {});

    Apply({dir, InstallAllUsers, 6, 1});
    RegisterWithSystem();
    EXPECT_EQ(glt::test::ReadThumbnailRecords(log).size(), 0u) << "waited for regsvr32";
    ExpectExactly(ExpectedValues(dir, Expectation{}));

    ASSERT_TRUE(glt::test::WaitUntil([&] { return !glt::test::ReadThumbnailRecords(log).empty(); }, 30000))
        << "the thumbnail handler was never registered";
    // Time for any second registration to show up: there must be none.
    Sleep(kNoRegistrationWaitMs);
    const auto records = glt::test::ReadThumbnailRecords(log);
    ASSERT_EQ(records.size(), 1u);
    const auto& r = records[0];
    EXPECT_EQ(Narrow(r.event), "register");
    EXPECT_TRUE(SameText(r.module, library)) << Narrow(r.module);
    EXPECT_TRUE(SameText(r.folder, dir)) << "working folder " << Narrow(r.folder);
    EXPECT_EQ(Narrow(r.commandLine), Narrow(L"regsvr32.exe /s \"" + library + L"\""));
    // Wine's regsvr32 reports on its console, never in a box (the command line above is what
    // shows "/s" here); on Windows its box would be captioned "RegSvr32".
    EXPECT_EQ(ownBoxes.Boxes().size(), 0u);
    for (const auto& box : anyBoxes.Boxes())
        EXPECT_FALSE(SameText(box.caption, L"RegSvr32")) << "regsvr32 showed: " << Narrow(box.text);
    // regsvr32 lets the library go as it ends; then the folder can go.
    glt::test::WaitUntil([&] { return DeleteFileW(library.c_str()) != 0; }, 10000);
}

// The child side of the next test: registers under the Windows version that Wine gives this
// process, with the folder and the report file that the parent passes in the environment.
constexpr const wchar_t* kChildFolderVariable = L"GLT_REGISTRATION_CHILD_DIR";
constexpr const wchar_t* kChildReportVariable = L"GLT_REGISTRATION_CHILD_REPORT";

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

TEST(RegistrationChild, RegistersUnderThisProcesssWindowsVersion) {
    const std::wstring dir = Variable(kChildFolderVariable);
    const std::wstring report = Variable(kChildReportVariable);
    if (dir.empty() || report.empty())
        GTEST_SKIP() << "runs only as the child of "
                        "SystemRegistration.TheRealWindowsVersionChoosesAssociationsAndLibrary";
    g_options.installDir = dir;
    g_options.installType = InstallAllUsers;
    g_options.productVersion = {7, 1, 3, 0};
    RegisterWithSystem();
    const std::string seen = std::to_string(g_options.osVersion.dwMajorVersion) + "." +
                             std::to_string(g_options.osVersion.dwMinorVersion);
    FILE* f = _wfopen(report.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs(seen.c_str(), f);
    fclose(f);
}

TEST_F(SystemRegistration, TheRealWindowsVersionChoosesAssociationsAndLibrary) {
    // Set for this program alone, so that programs running beside it keep their version.
    const std::wstring self = OwnPath();
    const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\" + self.substr(self.find_last_of(L'\\') + 1);
    glt::test::SavedRegTree savedSetting(HKEY_CURRENT_USER, appDefaults);
    const struct {
        const wchar_t* setting;
        const wchar_t* association;
        bool registers;
        const char* versions;  // what the child may see
    } cases[] = {
        // Without a manifest that names Windows 10, Wine says 6.2 for it, as Windows does.
        {L"win10", kWindows8, true, "6.2 10.0"},
        {L"win7", kEarlier, true, "6.1"},
        {L"winxp64", kEarlier, false, "5.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.setting));
        ASSERT_TRUE(ClearAll());
        glt::test::TempDir tmp;
        const std::wstring dir = MakeInstallFolder(tmp);
        ASSERT_FALSE(dir.empty());
        const std::wstring log = tmp.Path(L"thumbnail.log");
        const std::wstring report = tmp.Path(L"version.txt");
        ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, appDefaults, L"Version", c.setting));
        {
            ScopedVariable logTo(glt::test::kThumbnailLogVariable, log);
            ScopedVariable folder(kChildFolderVariable, dir);
            ScopedVariable reportTo(kChildReportVariable, report);
            const auto run =
                glt::test::RunAndWait(glt::test::Quote(self) + L" --gtest_brief=1 --gtest_filter=RegistrationChild.*");
            ASSERT_TRUE(run.finished);
            EXPECT_EQ(run.exitCode, 0u);
        }
        const std::string seen = tmp.ReadFile(L"version.txt");
        EXPECT_NE((std::string(" ") + c.versions + " ").find(" " + seen + " "), std::string::npos)
            << "the child saw Windows " << seen;
        for (const wchar_t* extension : kExtensions) {
            const Value v{HKEY_LOCAL_MACHINE, kAssociations, extension, REG_SZ, c.association, 0};
            EXPECT_EQ(ReadBack(v), Render(v)) << Label(v);
        }
        if (c.registers) {
            EXPECT_TRUE(glt::test::WaitUntil([&] { return !glt::test::ReadThumbnailRecords(log).empty(); }, 30000));
        } else {
            Sleep(kNoRegistrationWaitMs);
        }
        const auto records = glt::test::ReadThumbnailRecords(log);
        ASSERT_EQ(records.size(), c.registers ? 1u : 0u);
        if (c.registers) {
            const std::wstring library = dir + L"\\x64\\ThumbDgl64.dll";
            EXPECT_TRUE(SameText(records[0].module, library)) << Narrow(records[0].module);
            glt::test::WaitUntil([&] { return DeleteFileW(library.c_str()) != 0; }, 10000);
        }
    }
}

}  // namespace
