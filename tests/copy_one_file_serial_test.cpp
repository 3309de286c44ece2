// Copying over files that are in use, up to the restart that finishes the exchange: a running
// product, a loaded library, files held open by another program. Reads the machine's pending
// operations and runs the simulated restart, so it never runs beside another such program.
#include "install/copy_one_file.h"

#include "app/setup_options.h"

#include "support/payload_builder.h"
#include "support/restart_support.h"
#include "support/standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using namespace glt::test;
using Tree = std::map<std::wstring, std::string>;
using Pending = std::vector<PendingOperation>;

PendingOperation Deletion(const std::wstring& path) { return {path, L""}; }


// A library loaded by this process: it can be renamed, not deleted or overwritten.
class LoadedLibrary {
public:
    bool Load(const std::wstring& path) {
        module_ = LoadLibraryW(path.c_str());
        return module_ != nullptr;
    }
    void Free() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    ~LoadedLibrary() { Free(); }

private:
    HMODULE module_ = nullptr;
};

// A file that this process holds open for reading, sharing reading only: it can be neither
// deleted, nor moved, nor written.
class ReadLock {
public:
    bool Hold(const std::wstring& path) {
        handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    void Release() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    ~ReadLock() { Release(); }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// What the previous version of the product left in the destination folder, and the new version
// in the source folder. Every test ends with a restart that must leave nothing of its own pending.
class InUseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LayOutTree(dir_.path(), {{L"src\\", ""}, {L"dst\\", ""}}));
        src_ = dir_.Path(L"src");
        dst_ = dir_.Path(L"dst");
        standinBytes_ = ReadFileBytes(TestkitExe(L"Glintr7.exe"));
        libraryBytes_ = ReadFileBytes(TestkitExe(L"GltProbe.dll"));
        ASSERT_FALSE(standinBytes_.empty());
        ASSERT_FALSE(libraryBytes_.empty());
        ASSERT_TRUE(PendingHere().empty());
        g_options.restartNeeded = 0;
    }

    Pending PendingHere() const { return PendingOperationsIn(dir_.path()); }
    std::wstring Dst(const std::wstring& name) const { return dst_ + L"\\" + name; }

    // Starts the program at path (bytes of the stand-in product, whatever follows them) and
    // waits for its window.
    ::testing::AssertionResult Run(StandIn& standIn, const std::wstring& path, const std::wstring& log) {
        if (!standIn.Start(dir_, log, L"-noregister", path)) return ::testing::AssertionFailure() << "not started";
        if (!standIn.WaitReady()) return ::testing::AssertionFailure() << "no window";
        return ::testing::AssertionSuccess();
    }

    TempDir dir_;
    std::wstring src_, dst_;
    std::string standinBytes_, libraryBytes_;
};

// The product still runs, or a library of it is loaded: the file moves aside to ".old", the new
// one takes its place at once, and only the ".old" is left for the restart to delete.
TEST_F(InUseTest, FileInUseIsMovedAsideAndReplacedAtOnce) {
    for (const bool running : {true, false}) {
        SCOPED_TRACE(running ? "running product" : "loaded library");
        const std::wstring name = running ? L"Glintr7.exe" : L"ThumbDgl32.dll";
        const std::string& oldBytes = running ? standinBytes_ : libraryBytes_;
        ASSERT_TRUE(dir_.WriteFile(L"dst\\" + name, oldBytes));
        ASSERT_TRUE(dir_.WriteFile(L"src\\" + name, "new version"));
        StandIn standIn;
        LoadedLibrary library;
        if (running)
            ASSERT_TRUE(Run(standIn, Dst(name), L"standin.log"));
        else
            ASSERT_TRUE(library.Load(Dst(name)));
        ASSERT_FALSE(DeleteFileW(Dst(name).c_str()));  // really in use

        EXPECT_TRUE(CopyOneFile(name, src_, dst_));
        EXPECT_EQ(ReadTree(dst_), (Tree{{name, "new version"}, {name + L".old", oldBytes}}));
        EXPECT_EQ(PendingHere(), (Pending{Deletion(Dst(name + L".old"))}));
        EXPECT_EQ(g_options.restartNeeded, 0);
        if (running) {
            EXPECT_TRUE(standIn.process.Running());
        }

        standIn.process.Kill();
        library.Free();
        ASSERT_TRUE(RunRestart());
        EXPECT_EQ(ReadTree(dst_), (Tree{{name, "new version"}}));
        EXPECT_TRUE(PendingHere().empty());
        RemoveTree(dst_);
        ASSERT_TRUE(CreateDirectoryW(dst_.c_str(), nullptr));
    }
}

// An earlier update left a ".old" that cannot be deleted yet (held open by another program):
// it is scheduled again, and the file in use moves to ".old2" instead, replacing a stale one.
TEST_F(InUseTest, LockedOldSendsTheFileInUseToOld2) {
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll", libraryBytes_));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll.old", "from an earlier update"));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll.old2", "from an update before that"));
    ASSERT_TRUE(dir_.WriteFile(L"src\\ThumbDgl32.dll", "new version"));
    LoadedLibrary library;
    ASSERT_TRUE(library.Load(Dst(L"ThumbDgl32.dll")));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({Dst(L"ThumbDgl32.dll.old")}));

    EXPECT_TRUE(CopyOneFile(L"ThumbDgl32.dll", src_, dst_));
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"ThumbDgl32.dll", "new version"},
                                    {L"ThumbDgl32.dll.old", "from an earlier update"},
                                    {L"ThumbDgl32.dll.old2", libraryBytes_}}));
    EXPECT_EQ(PendingHere(),
              (Pending{Deletion(Dst(L"ThumbDgl32.dll.old")), Deletion(Dst(L"ThumbDgl32.dll.old2"))}));
    EXPECT_EQ(g_options.restartNeeded, 0);

    holder.Release();
    library.Free();
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"ThumbDgl32.dll", "new version"}}));
    EXPECT_TRUE(PendingHere().empty());
}

// Two updates without a restart between them while the product keeps running: the copy started
// before the first update still runs from ".old", the one started after it from the target.
TEST_F(InUseTest, SecondUpdateOfARunningProductUsesOld2) {
    // Bytes after the image do not stop it from running, and tell the versions apart.
    const std::string first = standinBytes_ + std::string("\0first", 6);
    const std::string second = standinBytes_ + std::string("\0second", 7);
    ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.exe", first));
    ASSERT_TRUE(LayOutTree(dir_.path(), {{L"src\\1\\Glintr7.exe", second}, {L"src\\2\\Glintr7.exe", "third"}}));
    const std::wstring exe = Dst(L"Glintr7.exe");

    StandIn before, after;
    ASSERT_TRUE(Run(before, exe, L"before.log"));
    EXPECT_TRUE(CopyOneFile(L"Glintr7.exe", dir_.Path(L"src\\1"), dst_));
    ASSERT_TRUE(Run(after, exe, L"after.log"));
    EXPECT_TRUE(CopyOneFile(L"Glintr7.exe", dir_.Path(L"src\\2"), dst_));

    EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.exe", "third"}, {L"Glintr7.exe.old", first},
                                    {L"Glintr7.exe.old2", second}}));
    // The first update scheduled ".old"; the second could not delete it and scheduled it again.
    EXPECT_EQ(PendingHere(), (Pending{Deletion(exe + L".old"), Deletion(exe + L".old"), Deletion(exe + L".old2")}));
    EXPECT_EQ(g_options.restartNeeded, 0);
    EXPECT_TRUE(before.process.Running());
    EXPECT_TRUE(after.process.Running());

    before.process.Kill();
    after.process.Kill();
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.exe", "third"}}));
}

// A file held open without FILE_SHARE_DELETE can be neither deleted nor moved: the new file is
// staged as ".new", the target's deletion and then the rename are scheduled, and a restart is
// asked for. A stale ".new" of an earlier attempt is replaced. The restart finishes the exchange.
TEST_F(InUseTest, LockedFileIsExchangedAtTheRestart) {
    struct Case {
        const char* what;
        bool sharesWriting;  // the holder lets others write the file
    };
    // A holder that shares writing lets the final copy overwrite the file in place (Wine does);
    // one that shares reading only keeps the old content until the restart.
    for (const Case& c : {Case{"holder sharing reading and writing", true}, Case{"holder sharing reading", false}}) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini", "old settings"));
        ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini.new", "stale"));
        ASSERT_TRUE(dir_.WriteFile(L"src\\Glintr7.ini", "new settings"));
        const std::wstring target = Dst(L"Glintr7.ini");
        FileHolder holder;
        ReadLock lock;
        if (c.sharesWriting)
            ASSERT_TRUE(holder.Hold({target}));
        else
            ASSERT_TRUE(lock.Hold(target));

        EXPECT_EQ(CopyOneFile(L"Glintr7.ini", src_, dst_), c.sharesWriting);
        EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.ini", c.sharesWriting ? "new settings" : "old settings"},
                                        {L"Glintr7.ini.new", "new settings"}}));
        EXPECT_EQ(PendingHere(), (Pending{Deletion(target), {target + L".new", target}}));
        EXPECT_EQ(g_options.restartNeeded, 1);

        holder.Release();
        lock.Release();
        ASSERT_TRUE(RunRestart());
        EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.ini", "new settings"}}));
        EXPECT_TRUE(PendingHere().empty());
        g_options.restartNeeded = 0;
    }
}

// The file in use, its ".old" and its ".old2" all locked: nothing can be moved, so the exchange
// goes to the restart. The old ".old2" is not the setup's to delete and stays.
TEST_F(InUseTest, EveryAsideNameLockedFallsBackToTheRestart) {
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll", libraryBytes_));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll.old", "old"));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\ThumbDgl32.dll.old2", "old2"));
    ASSERT_TRUE(dir_.WriteFile(L"src\\ThumbDgl32.dll", "new version"));
    const std::wstring target = Dst(L"ThumbDgl32.dll");
    LoadedLibrary library;
    ASSERT_TRUE(library.Load(target));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({target + L".old", target + L".old2"}));

    EXPECT_FALSE(CopyOneFile(L"ThumbDgl32.dll", src_, dst_));
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"ThumbDgl32.dll", libraryBytes_},
                                    {L"ThumbDgl32.dll.new", "new version"},
                                    {L"ThumbDgl32.dll.old", "old"},
                                    {L"ThumbDgl32.dll.old2", "old2"}}));
    EXPECT_EQ(PendingHere(),
              (Pending{Deletion(target + L".old"), Deletion(target), {target + L".new", target}}));
    EXPECT_EQ(g_options.restartNeeded, 1);

    holder.Release();
    library.Free();
    ASSERT_TRUE(RunRestart());
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"ThumbDgl32.dll", "new version"}, {L"ThumbDgl32.dll.old2", "old2"}}));
}

// Where the new file cannot be staged beside the locked one, nothing is scheduled: the restart
// must never delete the old file without a new one to take its place.
TEST_F(InUseTest, UnstageableReplacementSchedulesNothing) {
    ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini", "old settings"));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini.new", "held too"));
    ASSERT_TRUE(dir_.WriteFile(L"src\\Glintr7.ini", "new settings"));
    ReadLock target, staged;
    ASSERT_TRUE(target.Hold(Dst(L"Glintr7.ini")));
    ASSERT_TRUE(staged.Hold(Dst(L"Glintr7.ini.new")));

    EXPECT_FALSE(CopyOneFile(L"Glintr7.ini", src_, dst_));
    EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.ini", "old settings"}, {L"Glintr7.ini.new", "held too"}}));
    EXPECT_TRUE(PendingHere().empty());
    EXPECT_EQ(g_options.restartNeeded, 0);
}

// Within one folder a copy under a new name keeps a target that it cannot delete, and hands
// nothing to the restart.
TEST_F(InUseTest, SameFolderCopyKeepsALockedTarget) {
    ASSERT_TRUE(dir_.WriteFile(L"src\\Glintr7.ini", "settings"));
    ASSERT_TRUE(dir_.WriteFile(L"src\\Glintr7.ini.bak", "backup"));
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({dir_.Path(L"src\\Glintr7.ini.bak")}));

    EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", src_, src_, L"Glintr7.ini.bak"));
    EXPECT_EQ(ReadTree(src_), (Tree{{L"Glintr7.ini", "settings"}, {L"Glintr7.ini.bak", "backup"}}));
    EXPECT_TRUE(PendingHere().empty());
    EXPECT_EQ(g_options.restartNeeded, 0);
}

// A file in use whose aside names would not fit 259 characters is left in place untouched.
TEST_F(InUseTest, NoRoomForTheAsideNamesLeavesTheFileInUse) {
    std::wstring deep = dst_;
    while (deep.size() < 240) {
        deep += L"\\abcdefghij";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    const std::wstring name = std::wstring(259 - deep.size() - 1 - 4, L'n') + L".dll";  // target: 259 chars
    ASSERT_TRUE(dir_.WriteFile(L"src\\" + name, "new version"));
    const std::wstring target = deep + L"\\" + name;
    ASSERT_EQ(target.size(), 259u);
    ASSERT_TRUE(CopyFileTo(TestkitExe(L"GltProbe.dll"), target));
    LoadedLibrary library;
    ASSERT_TRUE(library.Load(target));

    EXPECT_FALSE(CopyOneFile(name, src_, deep));
    EXPECT_EQ(ReadTree(deep), (Tree{{name, libraryBytes_}}));
    EXPECT_TRUE(PendingHere().empty());
    EXPECT_EQ(g_options.restartNeeded, 0);
}

}  // namespace
