// Deletion by pattern as the uninstallation sees it at once, and the restart flag of the rename
// scheduling. What reaches the next restart is checked by restart_serial_test.
#include "uninstall/deferred_operations.h"

#include "app/setup_options.h"

#include "support/restart_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace glt::test;

// A folder like an installation folder: plain, read-only and hidden files, a subfolder with
// files of its own, and a folder whose name matches the file patterns. Every folder holds a
// file, so that a restart run meanwhile by another test program cannot remove one.
const wchar_t* const kEntries[] = {L"a.txt",      L"b.txt",      L"c.log",      L"d.txt",
                                   L"readonly.txt", L"hidden.txt", L"sub",        L"sub\\d.txt",
                                   L"sub\\e.log",  L"folder.txt", L"folder.txt\\keep.log"};

void Populate(const TempDir& dir) {
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"folder.txt").c_str(), nullptr));
    for (const wchar_t* name : kEntries)
        if (!dir.Exists(name)) {
            ASSERT_TRUE(dir.WriteFile(name, "content")) << Narrow(name);
        }
    ASSERT_TRUE(SetFileAttributesW(dir.Path(L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(dir.Path(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
}

std::set<std::wstring> Remaining(const TempDir& dir) {
    std::set<std::wstring> names;
    for (const wchar_t* name : kEntries)
        if (dir.Exists(name)) names.insert(name);
    return names;
}

std::set<std::wstring> AllBut(std::initializer_list<const wchar_t*> gone) {
    std::set<std::wstring> names(std::begin(kEntries), std::end(kEntries));
    for (const wchar_t* name : gone) names.erase(name);
    return names;
}

TEST(MatchingFiles, DeletesWhatMatchesAndCountsIt) {
    struct Case {
        const wchar_t* folderSuffix;  // appended to the folder's path
        const wchar_t* pattern;
        int deleted;
        std::initializer_list<const wchar_t*> gone;
    };
    const Case cases[] = {
        // Read-only and hidden files go like any other; the folder named like a file stays.
        {L"", L"*.txt", 5, {L"a.txt", L"b.txt", L"d.txt", L"readonly.txt", L"hidden.txt"}},
        {L"", L"?.txt", 3, {L"a.txt", L"b.txt", L"d.txt"}},
        {L"", L"c.log", 1, {L"c.log"}},
        // Every file of the folder, none of the subfolders or what they hold.
        {L"", L"*.*", 6, {L"a.txt", L"b.txt", L"c.log", L"d.txt", L"readonly.txt", L"hidden.txt"}},
        // A subfolder part: the match is deleted inside the subfolder, never the file of the
        // same name beside it.
        {L"", L"sub\\d.txt", 1, {L"sub\\d.txt"}},
        {L"", L"sub\\*", 2, {L"sub\\d.txt", L"sub\\e.log"}},
        {L"", L"sub/d.txt", 1, {L"sub\\d.txt"}},
        // The folder with a trailing separator gives the same paths.
        {L"\\", L"*.txt", 5, {L"a.txt", L"b.txt", L"d.txt", L"readonly.txt", L"hidden.txt"}},
        {L"/", L"sub\\*.log", 1, {L"sub\\e.log"}},
        {L"\\", L"sub\\d.txt", 1, {L"sub\\d.txt"}},
        // Nothing matches, or the folder is not there.
        {L"", L"*.none", 0, {}},
        {L"", L"missing\\*.*", 0, {}},
        {L"\\missing", L"*.*", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(L"folder") + c.folderSuffix + L" pattern " + c.pattern));
        TempDir dir;
        Populate(dir);
        EXPECT_EQ(DeleteMatchingFiles(dir.path() + c.folderSuffix, c.pattern), c.deleted);
        EXPECT_EQ(Remaining(dir), AllBut(c.gone));
    }
}

TEST(MatchingFiles, EmptyFolderTakesThePatternAsThePath) {
    TempDir dir;
    Populate(dir);
    EXPECT_EQ(DeleteMatchingFiles(L"", dir.Path(L"sub\\*.txt")), 1);
    EXPECT_EQ(Remaining(dir), AllBut({L"sub\\d.txt"}));
}

TEST(MatchingFiles, LockedFilesAreNotCountedAndStay) {
    TempDir dir;
    Populate(dir);
    FileHolder holder;
    ASSERT_TRUE(holder.Hold({dir.Path(L"a.txt"), dir.Path(L"readonly.txt")}));
    EXPECT_EQ(DeleteMatchingFiles(dir.path(), L"*.txt"), 3);
    EXPECT_EQ(Remaining(dir), AllBut({L"b.txt", L"d.txt", L"hidden.txt"}));
    EXPECT_EQ(dir.ReadFile(L"a.txt"), "content");
}

// Paths longer than 259 characters are refused whole: a path cut to the limit would name
// another file.
TEST(MatchingFilesLimit, PathsOverTheLimitAreNeverCut) {
    TempDir dir;
    const std::wstring longFolder = dir.Path(std::wstring(199 - dir.path().size(), L'f'));
    ASSERT_EQ(longFolder.size(), 200u);
    ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
    const std::wstring longName = std::wstring(70, L'x') + L".long";  // 276 characters with the folder
    const std::wstring cutName = longName.substr(0, 259 - longFolder.size() - 1);  // what a cut path would name
    for (const std::wstring& name : {longName, cutName, std::wstring(L"short.long")}) {
        std::wstring path = L"\\\\?\\" + longFolder + L"\\" + name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << Narrow(name);
        CloseHandle(h);
    }
    auto exists = [&](const std::wstring& name) {
        return GetFileAttributesW((L"\\\\?\\" + longFolder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };

    // The entry too long, the search itself within the limit: only the short match goes.
    EXPECT_EQ(DeleteMatchingFiles(longFolder, L"*.long"), 1);
    EXPECT_FALSE(exists(L"short.long"));
    EXPECT_TRUE(exists(longName));
    EXPECT_TRUE(exists(cutName));

    // The search path itself too long: nothing is touched.
    const std::wstring longPattern = std::wstring(58, L'x') + L"*";  // 200 + 1 + 59 = 260
    EXPECT_EQ(DeleteMatchingFiles(longFolder, longPattern), 0);
    EXPECT_TRUE(exists(longName));
    EXPECT_TRUE(exists(cutName));
    EXPECT_EQ(DeleteMatchingFiles(longFolder, longPattern.substr(1)), 1) << "259 characters are allowed";
    EXPECT_FALSE(exists(cutName));
    EXPECT_TRUE(exists(longName));
}

// A path the system refuses (longer than any path it can take) and that cannot fit the
// "WININIT.INI" block either: that rename fails completely, whatever WININIT.INI holds.
TEST(RestartFlag, TheLatestRenameDecides) {
    TempDir dir;
    const std::wstring impossible = dir.Path(std::wstring(40000, L'y'));
    struct Call {
        std::wstring existing, newName;
        int restartNeeded;
    };
    const Call calls[] = {
        {dir.Path(L"x.new"), dir.Path(L"x"), 1},
        {dir.Path(L"x.new"), impossible, 0},
        {dir.Path(L"x.new"), dir.Path(L"x"), 1},
        {impossible, dir.Path(L"x"), 0},
        {dir.Path(L"x.new"), L"", 0},
        {L"", dir.Path(L"x"), 0},
    };
    g_options.restartNeeded = 0;
    for (const Call& call : calls) {
        RenameAtRestart(call.existing, call.newName);
        EXPECT_EQ(g_options.restartNeeded, call.restartNeeded)
            << Narrow(call.existing.substr(0, 80)) << " -> " << Narrow(call.newName.substr(0, 80));
    }
}

}  // namespace
