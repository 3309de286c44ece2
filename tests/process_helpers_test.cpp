// Starting programs, reading version resources, telling the Windows version, privileges of a
// token, and the stop on a damaged payload - against real processes, files and message boxes.
#include "app/process_helpers.h"
#include "app/setup_options.h"
#include "app/system_entry_points.h"
#include "instances/instance_list.h"
#include "product/product_names.h"
#include "res/resource.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

using glt::test::ChildProcess;
using glt::test::MessageBoxAnswerer;
using glt::test::Narrow;
using glt::test::Quote;
using glt::test::TempDir;
using glt::test::TestkitExe;
using glt::test::TestRegKey;

// Restores the process-wide records that a test changes.
class HelpersTest : public ::testing::Test {
protected:
    void TearDown() override {
        g_options = savedOptions_;
        g_entryPoints = savedEntryPoints_;
    }

private:
    SetupOptions savedOptions_ = g_options;
    SystemEntryPoints savedEntryPoints_ = g_entryPoints;
};

std::wstring Recorder() { return TestkitExe(L"command_recorder.exe"); }

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// What command_recorder wrote: "pid", "dir", "cmd" and every "arg", in order.
struct Record {
    bool exists = false;
    std::map<std::wstring, std::vector<std::wstring>> values;
    std::wstring One(const std::wstring& key) const {
        auto it = values.find(key);
        return it == values.end() || it->second.empty() ? L"" : it->second.front();
    }
    std::vector<std::wstring> Args() const {
        auto it = values.find(L"arg");
        return it == values.end() ? std::vector<std::wstring>{} : it->second;
    }
};

Record ReadRecord(const TempDir& dir, const std::wstring& name) {
    Record record;
    record.exists = dir.Exists(name);
    std::wstring text = Wide(dir.ReadFile(name));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        size_t eq = line.find(L'=');
        if (eq != std::wstring::npos) record.values[line.substr(0, eq)].push_back(line.substr(eq + 1));
        start = end + 1;
    }
    return record;
}

// A recorded program that may still run: ended at the end of the test whatever happens.
class RecordedProcess {
public:
    explicit RecordedProcess(DWORD pid)
        : handle_(pid ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid) : nullptr) {}
    ~RecordedProcess() {
        if (!handle_) return;
        if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(handle_, 999);
            WaitForSingleObject(handle_, 5000);
        }
        CloseHandle(handle_);
    }
    RecordedProcess(const RecordedProcess&) = delete;
    RecordedProcess& operator=(const RecordedProcess&) = delete;
    bool Found() const { return handle_ != nullptr; }
    bool Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

private:
    HANDLE handle_;
};

DWORD RecordedPid(const Record& record) { return static_cast<DWORD>(std::wcstoul(record.One(L"pid").c_str(), nullptr, 10)); }

ULONGLONG Elapsed(ULONGLONG since) { return GetTickCount64() - since; }

// ---- RunProgram

using RunProgramTest = HelpersTest;

TEST_F(RunProgramTest, CommandLineOf519CharactersRunsWhole) {
    TempDir dir;
    std::wstring command = Quote(Recorder()) + L" " + Quote(dir.Path(L"record.txt")) + L" ";
    ASSERT_LT(command.size(), 400u);
    const std::wstring padding(519 - command.size(), L'x');
    command += padding;
    ASSERT_EQ(command.size(), 519u);

    EXPECT_NE(RunProgram(command, dir.path(), 30000), 0);
    const Record record = ReadRecord(dir, L"record.txt");
    ASSERT_TRUE(record.exists) << "the program was not started, or not waited for";
    EXPECT_EQ(Narrow(record.One(L"cmd")), Narrow(command));
    EXPECT_EQ(record.Args(), std::vector<std::wstring>{padding});
}

TEST_F(RunProgramTest, LongerOrCutCommandLinesAreRefusedAndNothingStarts) {
    TempDir dir;
    const std::wstring start = Quote(Recorder()) + L" " + Quote(dir.Path(L"record.txt")) + L" ";
    const struct {
        const char* name;
        std::wstring command;
    } cases[] = {
        {"520 characters", start + std::wstring(520 - start.size(), L'x')},
        {"far too long", start + std::wstring(5000, L'x')},
        // Everything before the zero would be a command that works.
        {"a zero inside", start + std::wstring(1, L'\0') + L"-wait 0 tail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ULONGLONG t0 = GetTickCount64();
        EXPECT_EQ(RunProgram(c.command, dir.path(), 5000), 0);
        EXPECT_LT(Elapsed(t0), 1000u);
    }
    // Had anything been started, it would have written its record by now.
    Sleep(1500);
    EXPECT_FALSE(dir.Exists(L"record.txt"));
}

TEST_F(RunProgramTest, MissingProgramOrFolderGivesZeroAtOnce) {
    TempDir dir;
    const struct {
        const char* name;
        std::wstring command;
        std::wstring folder;
    } cases[] = {
        {"missing program", L"\"C:\\glt-tests\\no such folder\\Glintr7.exe\" -unregonly", dir.path()},
        {"empty command line", L"", dir.path()},
        {"missing working folder", Quote(Recorder()) + L" " + Quote(dir.Path(L"record.txt")), dir.Path(L"gone")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ULONGLONG t0 = GetTickCount64();
        EXPECT_EQ(RunProgram(c.command, c.folder, 5000), 0);
        EXPECT_LT(Elapsed(t0), 1000u);
    }
    EXPECT_FALSE(dir.Exists(L"record.txt"));
}

TEST_F(RunProgramTest, WorkingFolderIsTheGivenOneElseTheInstallationFolder) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"given").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"Glintora 7").c_str(), nullptr));
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const struct {
        const char* name;
        std::wstring installDir;
        std::wstring folder;
        std::wstring expected;
    } cases[] = {
        {"given folder", dir.Path(L"Glintora 7"), dir.Path(L"given"), dir.Path(L"given")},
        {"none: the installation folder", dir.Path(L"Glintora 7"), L"", dir.Path(L"Glintora 7")},
        {"none and no installation folder: the setup's own", L"", L"", current},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring name = L"record" + std::to_wstring(++n) + L".txt";
        g_options.installDir = c.installDir;
        EXPECT_NE(RunProgram(Quote(Recorder()) + L" " + Quote(dir.Path(name)), c.folder, 30000), 0);
        const Record record = ReadRecord(dir, name);
        ASSERT_TRUE(record.exists);
        EXPECT_EQ(Narrow(record.One(L"dir")), Narrow(c.expected));
    }
}

TEST_F(RunProgramTest, WaitsUpToTheTimeOutAndLeavesTheProgramRunning) {
    TempDir dir;
    const ULONGLONG t0 = GetTickCount64();
    EXPECT_NE(RunProgram(Quote(Recorder()) + L" " + Quote(dir.Path(L"long.txt")) + L" -wait 60000", L"", 5000), 0);
    const ULONGLONG waited = Elapsed(t0);
    EXPECT_GE(waited, 4900u);
    EXPECT_LT(waited, 9000u);
    // Under load the program may take a while to write its record.
    ASSERT_TRUE(glt::test::WaitUntil([&] { return ReadRecord(dir, L"long.txt").exists; }, 15000));
    RecordedProcess program(RecordedPid(ReadRecord(dir, L"long.txt")));
    ASSERT_TRUE(program.Found());
    EXPECT_TRUE(program.Running()) << "the program was ended at the time-out";
}

TEST_F(RunProgramTest, TimeOutZeroDoesNotWaitAndAShortProgramEndsTheWait) {
    TempDir dir;
    ULONGLONG t0 = GetTickCount64();
    EXPECT_NE(RunProgram(Quote(Recorder()) + L" " + Quote(dir.Path(L"long.txt")) + L" -wait 60000", L"", 0), 0);
    EXPECT_LT(Elapsed(t0), 3000u);
    ASSERT_TRUE(glt::test::WaitUntil([&] { return dir.Exists(L"long.txt"); }, 15000));
    RecordedProcess program(RecordedPid(ReadRecord(dir, L"long.txt")));
    EXPECT_TRUE(program.Running());

    // A program that ends by itself ends the wait: its record is there as soon as the call returns.
    t0 = GetTickCount64();
    EXPECT_NE(RunProgram(Quote(Recorder()) + L" " + Quote(dir.Path(L"short.txt")), L"", 20000), 0);
    EXPECT_LT(Elapsed(t0), 4000u);
    EXPECT_TRUE(dir.Exists(L"short.txt"));
}

// ---- ReadProductVersion

using ReadProductVersionTest = HelpersTest;

TEST_F(ReadProductVersionTest, TakesTheFixedFileVersionOrZeros) {
    TempDir dir;
    ASSERT_TRUE(dir.WriteFile(L"Glintr7.exe", "not a program"));
    const struct {
        const char* name;
        std::wstring path;
        unsigned major, minor, build, revision;
    } cases[] = {
        {"stand-in product", TestkitExe(L"Glintr7.exe"), 7, 1, 2, 3},
        // File and product versions differ; every part needs its 16 bits.
        {"file version, not product version", TestkitExe(L"version_sample.exe"), 7, 300, 65535, 1024},
        {"program without version resource", Recorder(), 0, 0, 0, 0},
        {"text file", dir.Path(L"Glintr7.exe"), 0, 0, 0, 0},
        {"missing file", dir.Path(L"missing\\Glintr7.exe"), 0, 0, 0, 0},
        {"empty path", L"", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // What an earlier read left must not survive.
        g_options.productVersion = {9, 9, 9, 9};
        ReadProductVersion(c.path);
        const ProductVersion& v = g_options.productVersion;
        EXPECT_EQ(v.major, c.major);
        EXPECT_EQ(v.minor, c.minor);
        EXPECT_EQ(v.build, c.build);
        EXPECT_EQ(v.revision, c.revision);
    }
}

// ---- IsWindows8OrLater, IsWow64

using WindowsVersionTest = HelpersTest;

TEST_F(WindowsVersionTest, Windows8OrLaterFromTheRecordedVersion) {
    const struct {
        DWORD major, minor;
        bool expected;
    } cases[] = {
        {5, 1, false}, {5, 2, false}, {5, 9, false}, {6, 0, false}, {6, 1, false},
        {6, 2, true},  {6, 3, true},  {10, 0, true}, {7, 0, true},  {0xFFFFFFFF, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        g_options.osVersion.dwMajorVersion = c.major;
        g_options.osVersion.dwMinorVersion = c.minor;
        EXPECT_EQ(IsWindows8OrLater(), c.expected);
    }
}

BOOL WINAPI SaysWow64ButFails(HANDLE, PBOOL wow64) {
    *wow64 = TRUE;
    return FALSE;
}
BOOL WINAPI SucceedsWithoutAnswer(HANDLE, PBOOL) { return TRUE; }
BOOL WINAPI Wow64OnlyForThisProcess(HANDLE process, PBOOL wow64) {
    *wow64 = process == GetCurrentProcess();
    return TRUE;
}

TEST_F(WindowsVersionTest, Wow64AnswerIsWhatTheEntryPointFillsIn) {
    EXPECT_FALSE(Wow64ProcessAnswer(nullptr));
    EXPECT_TRUE(Wow64ProcessAnswer(&SaysWow64ButFails));
    EXPECT_FALSE(Wow64ProcessAnswer(&SucceedsWithoutAnswer));
    EXPECT_TRUE(Wow64ProcessAnswer(&Wow64OnlyForThisProcess));
    // A 64-bit process is no WOW64 process...
    ASSERT_NE(g_entryPoints.isWow64Process, nullptr);
    EXPECT_FALSE(Wow64ProcessAnswer(g_entryPoints.isWow64Process));
    // ...but the 64-bit setup runs on 64-bit Windows all the same, entry point or not.
    EXPECT_TRUE(IsWow64());
    g_entryPoints.isWow64Process = nullptr;
    EXPECT_TRUE(IsWow64());
}

// ---- EnablePrivilege

// The state of one privilege in a token: absent, or present and enabled or not.
struct PrivilegeState {
    bool present = false;
    bool enabled = false;
};

PrivilegeState StateOf(const std::wstring& name) {
    PrivilegeState state;
    LUID luid;
    if (!LookupPrivilegeValueW(nullptr, name.c_str(), &luid)) return state;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return state;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
            const LUID& l = list->Privileges[i].Luid;
            if (l.LowPart == luid.LowPart && l.HighPart == luid.HighPart) {
                state.present = true;
                state.enabled = (list->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
            }
        }
    }
    CloseHandle(token);
    return state;
}

class EnablePrivilegeTest : public HelpersTest {
protected:
    void SetUp() override {
        // Opened the way the install driver opens it before asking for a restart.
        ASSERT_NE(g_entryPoints.openProcessToken, nullptr);
        ASSERT_TRUE(g_entryPoints.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token_));
        initial_ = StateOf(kShutdown);
        ASSERT_TRUE(initial_.present) << "the token of this process has no shutdown privilege";
    }
    void TearDown() override {
        HelpersTest::TearDown();  // the entry points first: they undo the change below
        if (token_) {
            EnablePrivilege(token_, kShutdown, initial_.enabled);
            CloseHandle(token_);
        }
    }

    static constexpr const wchar_t* kShutdown = L"SeShutdownPrivilege";
    HANDLE token_ = nullptr;
    PrivilegeState initial_;
};

TEST_F(EnablePrivilegeTest, EnablesAndDisablesAPrivilegeTheTokenHolds) {
    // A stale ERROR_NOT_ALL_ASSIGNED from before must not count.
    SetLastError(ERROR_NOT_ALL_ASSIGNED);
    EXPECT_TRUE(EnablePrivilege(token_, kShutdown, true));
    EXPECT_TRUE(StateOf(kShutdown).enabled);
    EXPECT_TRUE(EnablePrivilege(token_, kShutdown, false));
    EXPECT_FALSE(StateOf(kShutdown).enabled);
    EXPECT_TRUE(EnablePrivilege(token_, kShutdown, true));
    EXPECT_TRUE(StateOf(kShutdown).enabled);
}

TEST_F(EnablePrivilegeTest, PrivilegeTheTokenLacksGivesFalse) {
    // Wine's tokens, like those of an administrator on Windows, hold no right to create tokens.
    ASSERT_FALSE(StateOf(L"SeCreateTokenPrivilege").present);
    EXPECT_FALSE(EnablePrivilege(token_, L"SeCreateTokenPrivilege", true));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
    EXPECT_FALSE(StateOf(L"SeCreateTokenPrivilege").present);
}

TEST_F(EnablePrivilegeTest, UnknownNameWrongTokenOrMissingEntryPointsGiveFalse) {
    EXPECT_FALSE(EnablePrivilege(token_, L"SeNoSuchPrivilege", true));
    EXPECT_FALSE(EnablePrivilege(nullptr, kShutdown, true));

    HANDLE queryOnly = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &queryOnly));
    EXPECT_FALSE(EnablePrivilege(queryOnly, kShutdown, !initial_.enabled));
    CloseHandle(queryOnly);
    EXPECT_EQ(StateOf(kShutdown).enabled, initial_.enabled);

    const SystemEntryPoints all = g_entryPoints;
    g_entryPoints.lookupPrivilegeValue = nullptr;
    EXPECT_FALSE(EnablePrivilege(token_, kShutdown, !initial_.enabled));
    g_entryPoints = all;
    g_entryPoints.adjustTokenPrivileges = nullptr;
    EXPECT_FALSE(EnablePrivilege(token_, kShutdown, !initial_.enabled));
    g_entryPoints = all;
    EXPECT_EQ(StateOf(kShutdown).enabled, initial_.enabled);
}

// ---- AbortDamagedPayload

// The child half runs in a copy of this program started by the test below; it never reaches
// GoogleTest (see main at the end).
constexpr const wchar_t* kChildList = L"GLT_ABORT_LIST";        // instance list the child enters
constexpr const wchar_t* kChildClasses = L"GLT_ABORT_CLASSES";  // HKCU key that stands in for HKCR
constexpr const wchar_t* kChildHandler = L"GLT_ABORT_HANDLER";  // the http command registered there

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[2048] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : std::wstring();
}

// Exit codes of the child that say why it did not get as far as AbortDamagedPayload.
constexpr int kChildNoClasses = 70, kChildNoOverride = 71, kChildWrongHandler = 72;

int RunAbortChild() {
    // Like the setup's own list object: a static that only the normal exit takes away.
    static COXInstanceManager listed(Environment(kChildList), 1024, true);

    // The shell of this process sees the test's key as HKEY_CLASSES_ROOT, so "http" opens the
    // recorder and no browser of the host is ever reached.
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Environment(kChildClasses).c_str(), 0, KEY_READ, &classes) != ERROR_SUCCESS)
        return kChildNoClasses;
    const LSTATUS overridden = RegOverridePredefKey(HKEY_CLASSES_ROOT, classes);
    RegCloseKey(classes);
    if (overridden != ERROR_SUCCESS) return kChildNoOverride;
    wchar_t command[1024] = {};
    DWORD bytes = sizeof command;
    if (RegGetValueW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr, RRF_RT_REG_SZ, nullptr, command,
                     &bytes) != ERROR_SUCCESS ||
        command != Environment(kChildHandler))
        return kChildWrongHandler;

    AbortDamagedPayload();
}

// Sets the child's variables for as long as it is being started.
class ChildEnvironment {
public:
    ChildEnvironment(std::initializer_list<std::pair<const wchar_t*, std::wstring>> values) {
        for (const auto& [name, value] : values) {
            SetEnvironmentVariableW(name, value.c_str());
            names_.push_back(name);
        }
    }
    ~ChildEnvironment() {
        for (const wchar_t* name : names_) SetEnvironmentVariableW(name, nullptr);
    }
    ChildEnvironment(const ChildEnvironment&) = delete;
    ChildEnvironment& operator=(const ChildEnvironment&) = delete;

private:
    std::vector<const wchar_t*> names_;
};

bool Listed(COXInstanceManager& list, DWORD pid) {
    std::vector<DWORD> ids;
    if (!list.GetInstanceList(ids)) return false;
    for (DWORD id : ids)
        if (id == pid) return true;
    return false;
}

TEST(AbortDamagedPayload, ShowsMessage18OpensTheMakersSiteAndExitsWithCode1) {
    TempDir dir;
    TestRegKey classes;
    const std::wstring handler = Quote(Recorder()) + L" " + Quote(dir.Path(L"opened.txt")) + L" \"%1\"";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(classes.root(), (classes.subkey() + L"\\http\\shell\\open\\command").c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(handler.c_str()),
                   static_cast<DWORD>((handler.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    const std::wstring listName = L"GlintoraTests.Abort." + std::to_wstring(GetCurrentProcessId());
    COXInstanceManager list(listName, 1024, false);  // keeps the list alive after the child is gone

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ChildProcess child;
    {
        ChildEnvironment environment{{kChildList, listName}, {kChildClasses, classes.subkey()}, {kChildHandler, handler}};
        ASSERT_TRUE(child.Start(Quote(self)));
    }
    MessageBoxAnswerer answerer(child.pid(), {});
    glt::test::WaitUntil([&] { return !answerer.Boxes().empty() || !child.Running(); }, 30000);
    ASSERT_FALSE(answerer.Boxes().empty()) << "no message box; the child's exit code: " << child.ExitCode();

    const glt::test::RecordedBox box = answerer.Boxes().front();
    EXPECT_EQ(Narrow(box.caption), "Glintora - Installation");
    EXPECT_EQ(Narrow(box.text), Narrow(LoadResString(IDS_DAMAGED_PAYLOAD)));
    EXPECT_NE(box.text.find(std::wstring(L"depuis ") + product::kMakerSite + L" et redémarrer"), std::wstring::npos);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(Narrow(box.icon), "error");
    // The site opens only once the message has been read, and the setup is listed meanwhile.
    Sleep(300);
    EXPECT_FALSE(dir.Exists(L"opened.txt"));
    EXPECT_TRUE(Listed(list, child.pid()));

    answerer.AnswerLast(IDOK);
    ASSERT_TRUE(child.Wait(30000));
    EXPECT_EQ(child.ExitCode(), 1u);
    EXPECT_FALSE(Listed(list, child.pid())) << "the list entry stayed: the process did not end through the normal exit";
    EXPECT_EQ(list.GetInstanceCount(), 0);

    ASSERT_TRUE(glt::test::WaitUntil([&] { return dir.Exists(L"opened.txt"); }, 15000)) << "the site was not opened";
    const Record opened = ReadRecord(dir, L"opened.txt");
    EXPECT_EQ(opened.Args(), std::vector<std::wstring>{product::kMakerSite});
    RecordedProcess recorder(RecordedPid(opened));  // ends within moments; never left behind
}

}  // namespace

// Our own entry point, in place of GoogleTest's: a copy of this program started as the child of
// the damaged-payload test runs only its half and ends through AbortDamagedPayload.
int main(int argc, char** argv) {
    if (!Environment(kChildList).empty()) return RunAbortChild();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
