// What is handed to the next restart, end to end: schedule, let a simulated restart of Windows
// carry it out, then look. Reads and runs the machine's pending operations and "WININIT.INI",
// so it never runs beside another program of this kind.
#include "uninstall/deferred_operations.h"

#include "app/setup_options.h"

#include "support/restart_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using namespace glt::test;

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";
const wchar_t kDamagedMark[] = L"glt-damaged";

PendingOperation Deletion(const std::wstring& path) { return {path, L""}; }

bool WriteWininit(const std::string& bytes) {
    FILE* f = _wfopen(WininitPath().c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WininitExists() { return GetFileAttributesW(WininitPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every test starts without a "WININIT.INI" and leaves the one it found, if any, as it was.
class RestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        RepairPendingList();
        hadWininit_ = ReadWininitBytes(savedWininit_);
        DeleteFileW(WininitPath().c_str());
        ASSERT_FALSE(WininitExists());
        g_options.restartNeeded = 0;
    }
    void TearDown() override {
        if (hadWininit_)
            WriteWininit(savedWininit_);
        else
            DeleteFileW(WininitPath().c_str());
    }

    // A run that ended while it had damaged the list (see DamagedPendingList) must not leave
    // the machine unable to schedule anything.
    static void RepairPendingList() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key)) return;
        wchar_t data[64] = {};
        DWORD type = 0, size = sizeof data - sizeof(wchar_t);
        if (RegQueryValueExW(key, kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && std::wstring(data) == kDamagedMark)
            RegDeleteValueW(key, kPendingValue);
        RegCloseKey(key);
    }

    TempDir dir_;

private:
    bool hadWininit_ = false;
    std::string savedWininit_;
};

// ---- The system's list of pending operations

TEST_F(RestartTest, ScheduledDeletionsAndRenamesTakeEffect) {
    ASSERT_TRUE(dir_.WriteFile(L"delete.me", "x"));
    ASSERT_TRUE(dir_.WriteFile(L"old.name", "moved"));
    ASSERT_TRUE(CreateDirectoryW(dir_.Path(L"empty").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir_.Path(L"full").c_str(), nullptr));
    ASSERT_TRUE(dir_.WriteFile(L"full\\kept", "kept"));

    DeleteAtRestart(dir_.Path(L"delete.me"));
    DeleteAtRestart(dir_.Path(L"empty"));
    RenameAtRestart(dir_.Path(L"old.name"), dir_.Path(L"new.name"));
    DeleteAtRestart(dir_.Path(L"full"));
    EXPECT_EQ(g_options.restartNeeded, 1);

    // Registered with the system, in order; nothing went to the fallback; nothing moved yet.
    EXPECT_EQ(PendingOperationsIn(dir_.path()),
              (std::vector<PendingOperation>{Deletion(dir_.Path(L"delete.me")), Deletion(dir_.Path(L"empty")),
                                             {dir_.Path(L"old.name"), dir_.Path(L"new.name")},
                                             Deletion(dir_.Path(L"full"))}));
    EXPECT_FALSE(WininitExists());
    EXPECT_TRUE(dir_.Exists(L"delete.me"));
    EXPECT_EQ(dir_.ReadFile(L"old.name"), "moved");

    ASSERT_TRUE(RunRestart());
    EXPECT_FALSE(dir_.Exists(L"delete.me"));
    EXPECT_FALSE(dir_.Exists(L"empty"));
    EXPECT_FALSE(dir_.Exists(L"old.name"));
    EXPECT_EQ(dir_.ReadFile(L"new.name"), "moved");
    // A folder that still holds something survives the restart, with what it holds.
    EXPECT_EQ(dir_.ReadFile(L"full\\kept"), "kept");
    EXPECT_TRUE(PendingOperationsIn(dir_.path()).empty());
}

// The exchange of a file that was in use: its deletion, then the rename of the staged copy
// onto its name. Without the deletion first the restart refuses to replace the file.
TEST_F(RestartTest, DeletionBeforeRenameMakesRoomForIt) {
    for (bool deleteFirst : {true, false}) {
        SCOPED_TRACE(deleteFirst ? "deletion first" : "rename alone");
        TempDir dir;
        ASSERT_TRUE(dir.WriteFile(L"Glintr7.exe", "old"));
        ASSERT_TRUE(dir.WriteFile(L"Glintr7.exe.new", "new"));
        if (deleteFirst) DeleteAtRestart(dir.Path(L"Glintr7.exe"));
        RenameAtRestart(dir.Path(L"Glintr7.exe.new"), dir.Path(L"Glintr7.exe"));
        EXPECT_EQ(g_options.restartNeeded, 1);
        ASSERT_TRUE(RunRestart());
        EXPECT_EQ(dir.ReadFile(L"Glintr7.exe"), deleteFirst ? "new" : "old");
        EXPECT_EQ(dir.Exists(L"Glintr7.exe.new"), !deleteFirst);
    }
}

TEST_F(RestartTest, ARenameToNothingIsNeverADeletion) {
    ASSERT_TRUE(dir_.WriteFile(L"file", "x"));
    RenameAtRestart(dir_.Path(L"file"), L"");
    EXPECT_EQ(g_options.restartNeeded, 0);
    EXPECT_TRUE(PendingOperationsIn(dir_.path()).empty());
    EXPECT_FALSE(WininitExists());
}

// ---- Deleting by pattern

// A program group folder as the uninstallation finds it: its shortcuts, one of them in use,
// a read-only and a hidden one, and an empty subfolder.
TEST_F(RestartTest, LockedFileAndItsFolderGoAtTheRestart) {
    const std::wstring group = dir_.Path(L"Glintora 7");
    ASSERT_TRUE(CreateDirectoryW(group.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((group + L"\\Extras").c_str(), nullptr));
    for (const wchar_t* name : {L"Glintora 7.lnk", L"Aide.lnk", L"Lisez-moi.lnk", L"Désinstaller.lnk"})
        ASSERT_TRUE(dir_.WriteFile(std::wstring(L"Glintora 7\\") + name, "link"));
    ASSERT_TRUE(SetFileAttributesW((group + L"\\Aide.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW((group + L"\\Lisez-moi.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({group + L"\\Glintora 7.lnk"}));

    EXPECT_EQ(DeleteMatchingFiles(group, L"*.*"), 3);
    EXPECT_TRUE(dir_.Exists(L"Glintora 7\\Glintora 7.lnk"));

    // The locked file and the subfolder, in the order the search found them; the group folder
    // after them, so that it is empty when its turn comes; never the folder above it.
    std::vector<PendingOperation> pending = PendingOperationsIn(dir_.path());
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_EQ(std::set<std::wstring>({pending[0].path, pending[1].path}),
              std::set<std::wstring>({group + L"\\Glintora 7.lnk", group + L"\\Extras"}));
    EXPECT_EQ(pending[0].newPath + pending[1].newPath, L"");
    EXPECT_EQ(pending[2], Deletion(group));

    holder.Release();
    ASSERT_TRUE(RunRestart());
    EXPECT_FALSE(dir_.Exists(L"Glintora 7"));
    EXPECT_NE(GetFileAttributesW(dir_.path().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Two files, a subfolder that holds a file, and a folder named like a text file that holds one.
void MakeInstallFolder(const TempDir& dir) {
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"nested.txt").c_str(), nullptr));
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"sub\\c.txt", L"nested.txt\\d.log"})
        ASSERT_TRUE(dir.WriteFile(name, "x")) << Narrow(name);
}

TEST_F(RestartTest, DeleteMatchingFilesSchedulesOnlyWhatItCouldNotDelete) {
    struct Case {
        const wchar_t* folderSuffix;
        const wchar_t* pattern;
        int deleted;
        std::vector<std::wstring> scheduled;  // relative to the folder; "" is the folder itself
    };
    const Case cases[] = {
        {L"", L"a.txt", 1, {}},
        // A folder that matches is scheduled by its own path.
        {L"", L"*.txt", 2, {L"nested.txt"}},
        // Through "." the searched folder itself, after its subfolders; never its parent.
        {L"", L"*.*", 2, {L"sub", L"nested.txt", L""}},
        {L"\\", L"*.*", 2, {L"sub", L"nested.txt", L""}},
        {L"/", L"*", 2, {L"sub", L"nested.txt", L""}},
        {L"", L"sub\\*", 1, {L"sub"}},
        {L"", L"sub\\*.txt", 1, {}},
        {L"", L"*.none", 0, {}},
        {L"", L"missing\\*.*", 0, {}},
        {L"\\missing", L"*.*", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(L"folder") + c.folderSuffix + L" pattern " + c.pattern));
        TempDir dir;
        MakeInstallFolder(dir);
        EXPECT_EQ(DeleteMatchingFiles(dir.path() + c.folderSuffix, c.pattern), c.deleted);
        // The search may find the subfolders in either order; the folder itself comes last.
        std::multiset<std::wstring> expected, scheduled;
        for (const auto& rel : c.scheduled) expected.insert(rel.empty() ? dir.path() : dir.Path(rel));
        const std::vector<PendingOperation> pending = PendingOperationsIn(dir.path());
        for (const auto& op : pending) scheduled.insert(op.newPath.empty() ? op.path : op.path + L" -> " + op.newPath);
        EXPECT_EQ(scheduled, expected);
        if (!c.scheduled.empty() && c.scheduled.back().empty() && !pending.empty()) {
            EXPECT_EQ(pending.back(), Deletion(dir.path()));
        }
    }
    EXPECT_FALSE(WininitExists());
}

// A path cut to 259 characters would name another file, here one that exists.
TEST_F(RestartTest, AnEntryPastTheLimitIsNeitherDeletedNorScheduled) {
    const std::wstring folder = dir_.Path(std::wstring(199 - dir_.path().size(), L'f'));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring longName = std::wstring(70, L'x') + L".long";
    const std::wstring cutName = longName.substr(0, 259 - folder.size() - 1);
    for (const std::wstring& name : {longName, cutName}) {
        HANDLE h = CreateFileW((L"\\\\?\\" + folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    // Held, so that an attempt to delete it would show as a scheduling.
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({L"\\\\?\\" + folder + L"\\" + longName}));
    EXPECT_EQ(DeleteMatchingFiles(folder, L"*.long"), 0);
    EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + folder + L"\\" + cutName).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(PendingOperationsIn(dir_.path()).empty());
    EXPECT_FALSE(WininitExists());
}

// ---- The "rename" section of "WININIT.INI"

TEST_F(RestartTest, WininitEntriesFollowThoseAlreadyThere) {
    struct Case {
        const char* before;  // the file as found; nullptr for none
        std::vector<std::wstring> after;
    };
    const Case cases[] = {
        {nullptr, {L"[rename]", L"NUL=C:\\Glintora\\a.dll", L"C:\\Glintora\\b.dll=C:\\Glintora\\b.dll.new"}},
        {"[boot]\r\nshell=x\r\n",
         {L"[boot]", L"shell=x", L"[rename]", L"NUL=C:\\Glintora\\a.dll", L"C:\\Glintora\\b.dll=C:\\Glintora\\b.dll.new"}},
        {"[rename]\r\nNUL=C:\\Old\\1\r\nC:\\Old\\2=C:\\Old\\3\r\n[after]\r\nk=v\r\n",
         {L"[rename]", L"NUL=C:\\Old\\1", L"C:\\Old\\2=C:\\Old\\3", L"NUL=C:\\Glintora\\a.dll",
          L"C:\\Glintora\\b.dll=C:\\Glintora\\b.dll.new", L"[after]", L"k=v"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before ? c.before : "no file");
        DeleteFileW(WininitPath().c_str());
        if (c.before) {
            ASSERT_TRUE(WriteWininit(c.before));
        }
        EXPECT_TRUE(ScheduleInWininit(L"NUL", L"C:\\Glintora\\a.dll"));
        EXPECT_TRUE(ScheduleInWininit(L"C:\\Glintora\\b.dll", L"C:\\Glintora\\b.dll.new"));
        EXPECT_EQ(ReadWininitLines(), c.after);
    }
}

// "one" goes to "two" by the entry that was there, then to "three" by a new one: only in the
// order written does it arrive.
TEST_F(RestartTest, RestartRunsWininitEntriesInTheOrderWritten) {
    ASSERT_TRUE(dir_.WriteFile(L"one", "payload"));
    ASSERT_TRUE(dir_.WriteFile(L"four", "x"));
    const std::string before = "[rename]\r\n" + Narrow(dir_.Path(L"two")) + "=" + Narrow(dir_.Path(L"one")) + "\r\n";
    ASSERT_TRUE(WriteWininit(before));
    EXPECT_TRUE(ScheduleInWininit(dir_.Path(L"three"), dir_.Path(L"two")));
    EXPECT_TRUE(ScheduleInWininit(L"NUL", dir_.Path(L"four")));

    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(dir_.ReadFile(L"three"), "payload");
    EXPECT_FALSE(dir_.Exists(L"one"));
    EXPECT_FALSE(dir_.Exists(L"two"));
    EXPECT_FALSE(dir_.Exists(L"four"));
    EXPECT_FALSE(WininitExists()) << "the restart consumes the file";
}

// After a restart has carried out and removed the file, a new entry must not bring back the
// ones it had.
TEST_F(RestartTest, WininitIsReadAfreshEachTime) {
    ASSERT_TRUE(dir_.WriteFile(L"first", "x"));
    ASSERT_TRUE(dir_.WriteFile(L"second", "x"));
    EXPECT_TRUE(ScheduleInWininit(L"NUL", dir_.Path(L"first")));
    ASSERT_TRUE(RunRestart());
    ASSERT_FALSE(dir_.Exists(L"first"));
    EXPECT_TRUE(ScheduleInWininit(L"NUL", dir_.Path(L"second")));
    EXPECT_EQ(ReadWininitLines(), (std::vector<std::wstring>{L"[rename]", L"NUL=" + dir_.Path(L"second")}));
}

// A character outside the ANSI code page would reach the file as a look-alike, and the restart
// would delete the look-alike's file.
TEST_F(RestartTest, WininitKeepsEveryCharacterOfAPath) {
    const std::wstring omega = dir_.Path(L"\x03A9.dat");
    BOOL lossy = FALSE;
    char narrow[8];
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\x03A9", 1, narrow, sizeof narrow, nullptr, &lossy);
    if (!lossy) GTEST_SKIP() << "the ANSI code page holds the test's character";
    ASSERT_TRUE(dir_.WriteFile(L"\x03A9.dat", "x"));
    ASSERT_TRUE(dir_.WriteFile(L"O.dat", "look-alike"));

    // In a file that the entry creates, the path arrives whole and the restart deletes it.
    EXPECT_TRUE(ScheduleInWininit(L"NUL", omega));
    EXPECT_EQ(ReadWininitLines(), (std::vector<std::wstring>{L"[rename]", L"NUL=" + omega}));
    ASSERT_TRUE(RunRestart());
    EXPECT_FALSE(dir_.Exists(L"\x03A9.dat"));
    EXPECT_EQ(dir_.ReadFile(L"O.dat"), "look-alike");

    // A file in the ANSI code page cannot carry it: refused, the file left as it was.
    ASSERT_TRUE(dir_.WriteFile(L"\x03A9.dat", "x"));
    const std::string ansi = "[rename]\r\nNUL=C:\\Old\\1\r\n";
    ASSERT_TRUE(WriteWininit(ansi));
    EXPECT_FALSE(ScheduleInWininit(L"NUL", omega));
    std::string bytes;
    ASSERT_TRUE(ReadWininitBytes(bytes));
    EXPECT_EQ(bytes, ansi);
}

// The existing section and the new entry, each entry ended by a NUL and the block by one more,
// must fit 16384 characters; otherwise nothing is written.
TEST_F(RestartTest, WininitNeverOverrunsItsBlock) {
    // A section whose entries take exactly `used` characters of the block, NULs included.
    auto section = [](size_t used) {
        auto entry = [](size_t n, size_t length) {
            const std::string head = "NUL=C:\\pad\\" + std::to_string(n) + "\\";
            return head + std::string(length - head.size(), 'p') + "\r\n";
        };
        size_t full = used / 100, rest = used % 100;
        if (rest && rest < 30 && full) --full, rest += 100;
        std::string text = "[rename]\r\n";
        for (size_t i = 0; i < full; ++i) text += entry(i, 99);
        if (rest) text += entry(full, rest - 1);
        return text;
    };
    auto lines = [](const std::string& text) {
        std::vector<std::wstring> out;
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            out.emplace_back(text.begin() + static_cast<std::ptrdiff_t>(start), text.begin() + static_cast<std::ptrdiff_t>(end));
        return out;
    };
    struct Case {
        size_t used;       // characters of the entries already there
        size_t entry;      // characters of the new entry, "NUL=" and the path
        bool written;
    };
    const Case cases[] = {
        {0, 259 + 4, true},
        {16384 - 2 - 263, 263, true},          // exactly full
        {16384 - 2 - 263 + 1, 263, false},     // one character over
        {16384 - 2 - 10, 10, true},
        {16384 - 2 - 9, 10, false},
        {16382, 10, false},                    // the section alone fills the block
        {20000, 10, false},                    // more than the block holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("entries " + std::to_string(c.used) + " new " + std::to_string(c.entry));
        const std::string before = c.used ? section(c.used) : "";
        if (c.used) {
            ASSERT_TRUE(WriteWininit(before));
            std::vector<wchar_t> check(40000);
            ASSERT_EQ(GetPrivateProfileSectionW(L"rename", check.data(), 40000, L"WININIT.INI"), c.used);
        } else {
            DeleteFileW(WininitPath().c_str());
        }
        const std::wstring path = L"C:\\G\\" + std::wstring(c.entry - 4 - 5, L'n');
        EXPECT_EQ(ScheduleInWininit(L"NUL", path), c.written);
        std::string after;
        const bool exists = ReadWininitBytes(after);
        if (c.written) {
            std::vector<std::wstring> expected = c.used ? lines(before) : std::vector<std::wstring>{L"[rename]"};
            expected.push_back(L"NUL=" + path);
            EXPECT_EQ(ReadWininitLines(), expected);
        } else {
            EXPECT_EQ(exists, c.used != 0);
            EXPECT_EQ(after, before) << "the file is left as it was";
        }
    }
}

TEST_F(RestartTest, WininitRefusesEntriesItCannotCarry) {
    struct Case {
        std::wstring key, value;
    } const cases[] = {
        {L"", L"C:\\Glintora\\a"},
        {L"NUL", L""},
        {L"C:\\Glintora\\a=b", L"C:\\Glintora\\c"},  // the "=" would end the key early
        {L"NUL", L"C:\\Glintora\\a\r\nNUL=C:\\Windows"},
        {L"C:\\Glintora\\a\n", L"C:\\Glintora\\c"},
        {L"NUL", std::wstring(L"C:\\Glintora\\a\0b", 15)},
        {L"NUL", L"C:\\" + std::wstring(16384, L'n')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.key.substr(0, 40) + L" = " + c.value.substr(0, 40)));
        EXPECT_FALSE(ScheduleInWininit(c.key, c.value));
        EXPECT_FALSE(WininitExists());
    }
    // An "=" in the value is no boundary: the first one ends the key.
    const std::wstring source = dir_.Path(L"a=b");
    ASSERT_TRUE(dir_.WriteFile(L"a=b", "moved"));
    EXPECT_TRUE(ScheduleInWininit(dir_.Path(L"c"), source));
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(dir_.ReadFile(L"c"), "moved");
}

// ---- The fallback reached through the routines

// A list of pending operations that the system cannot extend: a value of another type under its
// name makes MoveFileExW with delay fail. The list is put back at once, before anything is checked.
class DamagedPendingList {
public:
    DamagedPendingList() {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_)) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        if (RegQueryValueExW(key_, kPendingValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            had_ = RegQueryValueExW(key_, kPendingValue, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
            saved_.resize(size);
        }
        damaged_ = RegSetValueExW(key_, kPendingValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(kDamagedMark),
                                  sizeof kDamagedMark) == ERROR_SUCCESS;
    }
    ~DamagedPendingList() { Repair(); }
    bool damaged() const { return damaged_; }
    void Repair() {
        if (!key_) return;
        if (had_)
            RegSetValueExW(key_, kPendingValue, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        else
            RegDeleteValueW(key_, kPendingValue);
        RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
    DWORD type_ = 0;
    std::vector<BYTE> saved_;
    bool had_ = false;
    bool damaged_ = false;
};

TEST_F(RestartTest, WhatTheSystemRefusesGoesToWininit) {
    ASSERT_TRUE(dir_.WriteFile(L"delete.me", "x"));
    ASSERT_TRUE(dir_.WriteFile(L"Glintr7.exe", "old"));
    ASSERT_TRUE(dir_.WriteFile(L"Glintr7.exe.new", "new"));
    bool damaged = false;
    {
        DamagedPendingList list;
        damaged = list.damaged();
        DeleteAtRestart(dir_.Path(L"delete.me"));
        DeleteAtRestart(dir_.Path(L"Glintr7.exe"));
        RenameAtRestart(dir_.Path(L"Glintr7.exe.new"), dir_.Path(L"Glintr7.exe"));
    }
    ASSERT_TRUE(damaged);
    EXPECT_EQ(g_options.restartNeeded, 1);
    EXPECT_TRUE(PendingOperationsIn(dir_.path()).empty());
    EXPECT_EQ(ReadWininitLines(), (std::vector<std::wstring>{L"[rename]", L"NUL=" + dir_.Path(L"delete.me"),
                                                             L"NUL=" + dir_.Path(L"Glintr7.exe"),
                                                             dir_.Path(L"Glintr7.exe") + L"=" +
                                                                 dir_.Path(L"Glintr7.exe.new")}));

    ASSERT_TRUE(RunRestart());
    EXPECT_FALSE(dir_.Exists(L"delete.me"));
    EXPECT_EQ(dir_.ReadFile(L"Glintr7.exe"), "new");
    EXPECT_FALSE(dir_.Exists(L"Glintr7.exe.new"));
}

// A path longer than the system takes, and too long for the block: refused by both, so nothing
// at all is scheduled, and the rename's failure clears the restart flag that an earlier one set.
TEST_F(RestartTest, WhatBothRefuseLeavesNoTrace) {
    const std::wstring impossible = dir_.Path(std::wstring(40000, L'y'));
    DeleteAtRestart(impossible);
    RenameAtRestart(dir_.Path(L"a.new"), dir_.Path(L"a"));
    EXPECT_EQ(g_options.restartNeeded, 1);
    RenameAtRestart(dir_.Path(L"b.new"), impossible);
    EXPECT_EQ(g_options.restartNeeded, 0);
    EXPECT_EQ(PendingOperationsIn(dir_.path()), (std::vector<PendingOperation>{{dir_.Path(L"a.new"), dir_.Path(L"a")}}));
    EXPECT_FALSE(WininitExists());
}

}  // namespace
