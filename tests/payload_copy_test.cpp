// The payload copy: which lines of the payload's list copy what to where, for 64-bit and 32-bit
// Windows, portable and ordinary installations; the library probe; copying by pattern.
#include "install/payload_copy.h"

#include "app/process_helpers.h"
#include "app/setup_options.h"
#include "product/product_names.h"

#include "support/payload_builder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace glt::test;
using Tree = std::map<std::wstring, std::string>;


// The product's files as the archive unpacks them. ThumbDgl32.dll is no real library, so the
// system cannot load it.
const std::vector<TreeEntry> kPayload = {
    {L"Glintr7.exe", "product"},
    {L"GltUnInst.exe", "uninstaller"},
    {L"readme.txt", "readme"},
    {L"HomePage.url", "home"},
    {L"ThumbDgl32.dll", "thumb32"},
    {L"x64\\ThumbDgl64.dll", "thumb64"},
    {L"Starter.exe", "starter"},
    {L"help\\Glintr7Man.chm", "manual"},
    {L"help\\Astuces.chm", "tips"},
    {L"help\\notes.txt", "notes"},
    {L"lang\\fr\\strings.ini", "fr"},
    {L"a\\b\\deep.txt", "deep"},
};

// A payload folder, and an installation folder "Programmes\Glintora 7" beside it, with the
// options pointing at them. The options are put back at the end.
class Bench {
public:
    Bench(const std::vector<TreeEntry>& payload, const std::vector<std::string>& list, bool portable = false,
          bool makeInstallDir = true)
        : saved_(g_options) {
        payload_ = dir_.Path(L"payload");
        programs_ = dir_.Path(L"Programmes");
        built_ = BuildPayload(payload_, payload, list);
        if (makeInstallDir) built_ = built_ && LayOutTree(programs_, {{L"Glintora 7\\", ""}});
        g_options.sourceDir = payload_;
        g_options.installDir = programs_ + L"\\Glintora 7";
        g_options.installType = portable ? InstallPortable : InstallAllUsers;
        g_options.restartNeeded = 0;
    }
    ~Bench() { g_options = saved_; }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    bool built() const { return built_; }
    std::wstring List() const { return payload_ + L"\\" + product::kInstallLog; }
    std::wstring Payload(const std::wstring& relative = L"") const {
        return relative.empty() ? payload_ : payload_ + L"\\" + relative;
    }
    std::wstring InstallDir() const { return g_options.installDir; }
    // Everything in the folder that holds the installation folder.
    Tree Programs() const { return ReadTree(programs_); }
    Tree PayloadTree() const { return ReadTree(payload_); }

private:
    SetupOptions saved_;
    TempDir dir_;
    std::wstring payload_, programs_;
    bool built_ = false;
};

// What the folder "Programmes" holds: the installation folder with the entries inside it,
// and the entries beside it.
Tree Installed(const std::vector<TreeEntry>& inside, const std::vector<TreeEntry>& beside = {}) {
    Tree tree{{L"Glintora 7\\", ""}};
    for (const auto& e : inside) tree[L"Glintora 7\\" + e.path] = e.content;
    for (const auto& e : beside) tree[e.path] = e.content;
    return tree;
}

TEST(PayloadCopy, EachLineCopiesWhatItNamesWhereItBelongs) {
    struct Row {
        const char* what;
        std::vector<std::string> lines;
        bool wow64;
        bool portable;
        std::vector<TreeEntry> inside;       // below the installation folder
        std::vector<TreeEntry> beside = {};  // in the folder above it
    };
    const std::vector<std::string> productList = {
        "File Copy: Glintr7.exe",     "File Copy: GltUnInst.exe",           "File Copy: help\\*.chm",
        "File Copy: HomePage.url",    "File Copy ind: ThumbDgl32.dll",      "File Copy x64: x64\\ThumbDgl64.dll",
        "File Copy prt: Starter.exe", "Make Dir: Plugins",                  "File Del: Glintr6.exe",
    };
    const std::vector<TreeEntry> everywhere = {
        {L"Glintr7.exe", "product"},         {L"GltUnInst.exe", "uninstaller"}, {L"help\\", ""},
        {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"},    {L"HomePage.url", "home"},
        {L"ThumbDgl32.dll", "thumb32"},      {L"Plugins\\", ""},
    };
    auto with = [](std::vector<TreeEntry> a, const std::vector<TreeEntry>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<TreeEntry> x64 = {{L"x64\\", ""}, {L"x64\\ThumbDgl64.dll", "thumb64"}};
    const std::vector<TreeEntry> starter = {{L"Starter.exe", "starter"}};

    const Row rows[] = {
        // A whole list in each of the four situations.
        {"64-bit Windows", productList, true, false, with(everywhere, x64)},
        {"32-bit Windows", productList, false, false, everywhere},
        {"portable on 32-bit Windows", productList, false, true, with(everywhere, x64), starter},
        {"portable on 64-bit Windows", productList, true, true, with(everywhere, x64), starter},

        // Single files under another name; no folder is made for them.
        {"new name", {"File Copy: readme.txt > liesmich.txt"}, true, false, {{L"liesmich.txt", "readme"}}},
        {"blanks around the >", {"File Copy: readme.txt  \t>   liesmich.txt"}, true, false,
         {{L"liesmich.txt", "readme"}}},
        {"new name in a missing folder", {"File Copy: readme.txt > docs\\liesmich.txt"}, true, false, {}},
        {"new name in a folder made before",
         {"Make Dir: docs", "File Copy: readme.txt > docs\\liesmich.txt"}, true, false,
         {{L"docs\\", ""}, {L"docs\\liesmich.txt", "readme"}}},
        {"portable starter under another name", {"File Copy prt: Starter.exe > Glintora 7 portable.exe"}, false,
         true, {}, {{L"Glintora 7 portable.exe", "starter"}}},
        {"x64 entry under another name", {"File Copy x64: x64\\ThumbDgl64.dll > ThumbDgl64.dll"}, true, false,
         {{L"ThumbDgl64.dll", "thumb64"}}},

        // Patterns, and the subfolders they need.
        {"pattern in a subfolder", {"File Copy: help\\*.chm"}, false, false,
         {{L"help\\", ""}, {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"}}},
        {"two levels made for one file", {"File Copy: lang\\fr\\strings.ini"}, false, false,
         {{L"lang\\", ""}, {L"lang\\fr\\", ""}, {L"lang\\fr\\strings.ini", "fr"}}},
        {"forward slashes taken as backslashes", {"File Copy: help/*.chm", "File Copy: lang/fr/strings.ini"}, false,
         false,
         {{L"help\\", ""}, {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"}, {L"lang\\", ""},
          {L"lang\\fr\\", ""}, {L"lang\\fr\\strings.ini", "fr"}}},
        {"patterns that match nothing",
         {"File Copy: *.nomatch", "File Copy: help\\*.nomatch", "File Copy: nowhere\\*.txt",
          "File Copy x64: x64\\*.exe", "File Copy prt: *.nomatch"},
         true, true, {}},

        // "Make Dir: " makes one level only.
        {"Make Dir of two levels", {"Make Dir: a\\b"}, false, false, {}},
        {"Make Dir level by level", {"Make Dir: a", "Make Dir: a\\b"}, false, false, {{L"a\\", ""}, {L"a\\b\\", ""}}},
        {"a copy makes what Make Dir could not", {"Make Dir: a\\b", "File Copy: a\\b\\deep.txt"}, false, false,
         {{L"a\\", ""}, {L"a\\b\\", ""}, {L"a\\b\\deep.txt", "deep"}}},

        // Lines of no kind, or of a kind the copy leaves alone.
        {"lines the copy ignores",
         {" File Copy: Glintr7.exe", "\tFile Copy: Glintr7.exe", "file copy: Glintr7.exe", "FILE COPY: Glintr7.exe",
          "File Copy:Glintr7.exe", "File copy x64: x64\\ThumbDgl64.dll", " Make Dir: spaced", "make dir: lower",
          "File Del: Glintr7.exe", "File Overwrite: Glintr7.exe", "Made Dir: made", "Shell Link: Glintr7.exe", "",
          "   "},
         true, true, {}},
        {"trailing blanks and CR are no part of the operand",
         {"File Copy: Glintr7.exe \t ", "File Copy: readme.txt > liesmich.txt   \r\r", "Make Dir: docs \t"}, false,
         false, {{L"Glintr7.exe", "product"}, {L"liesmich.txt", "readme"}, {L"docs\\", ""}}},

        // Outside a portable installation these need 64-bit Windows, or a portable installation.
        {"x64 entry on 32-bit Windows", {"File Copy x64: x64\\ThumbDgl64.dll"}, false, false, {}},
        {"portable starter outside a portable installation", {"File Copy prt: Starter.exe"}, true, false, {}},
        {"library the system cannot load", {"File Copy ind: ThumbDgl32.dll"}, false, false,
         {{L"ThumbDgl32.dll", "thumb32"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Bench bench(kPayload, row.lines, row.portable);
        ASSERT_TRUE(bench.built());
        const Tree payloadBefore = bench.PayloadTree();
        CopyPayload(bench.List(), row.wow64);
        EXPECT_EQ(bench.Programs(), Installed(row.inside, row.beside));
        EXPECT_EQ(bench.PayloadTree(), payloadBefore);
        EXPECT_EQ(g_options.restartNeeded, 0);
    }
}

// Without the answer given, the copy asks IsWow64 itself.
TEST(PayloadCopy, ListAloneAsksWhichWindowsRuns) {
    Bench bench(kPayload, {"File Copy x64: x64\\ThumbDgl64.dll"});
    ASSERT_TRUE(bench.built());
    CopyPayload(bench.List());
    EXPECT_EQ(bench.Programs(), IsWow64() ? Installed({{L"x64\\", ""}, {L"x64\\ThumbDgl64.dll", "thumb64"}})
                                          : Installed({}));
}

TEST(PayloadCopy, MissingFoldersAndListsCopyNothing) {
    {
        SCOPED_TRACE("no list");
        Bench bench(kPayload, {"File Copy: Glintr7.exe"});
        ASSERT_TRUE(DeleteFileW(bench.List().c_str()));
        CopyPayload(bench.List(), true);
        EXPECT_EQ(bench.Programs(), Installed({}));
    }
    {
        SCOPED_TRACE("no installation folder yet");
        Bench bench(kPayload, {"File Copy: readme.txt > liesmich.txt", "Make Dir: docs\\sub"}, false, false);
        CopyPayload(bench.List(), true);
        EXPECT_EQ(bench.Programs(), Tree{});
        // The first file copied by a pattern makes the installation folder and those above it.
        Bench second(kPayload, {"File Copy: readme.txt > liesmich.txt", "File Copy: Glintr7.exe"}, false, false);
        CopyPayload(second.List(), true);
        EXPECT_EQ(second.Programs(), Installed({{L"Glintr7.exe", "product"}}));
    }
    {
        SCOPED_TRACE("empty installation folder in the options");
        // An empty folder joined with a name is a path on the current drive's root: run from a
        // folder on C: and look there.
        Bench bench({{L"GltEmptyInstallDir.txt", "x"}},
                    {"File Copy: GltEmptyInstallDir.txt", "Make Dir: GltEmptyInstallDir"});
        ASSERT_TRUE(bench.built());
        ASSERT_EQ(GetFileAttributesW(L"C:\\GltEmptyInstallDir.txt"), INVALID_FILE_ATTRIBUTES);
        g_options.installDir.clear();
        wchar_t saved[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, saved);
        ASSERT_TRUE(SetCurrentDirectoryW(bench.Payload().c_str()));
        CopyPayload(bench.List(), true);
        SetCurrentDirectoryW(saved);
        EXPECT_EQ(bench.Programs(), Installed({}));
        EXPECT_EQ(GetFileAttributesW(L"C:\\GltEmptyInstallDir.txt"), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesW(L"C:\\GltEmptyInstallDir"), INVALID_FILE_ATTRIBUTES);
        // A faulty copy must not spoil the next run.
        DeleteFileW(L"C:\\GltEmptyInstallDir.txt");
        RemoveDirectoryW(L"C:\\GltEmptyInstallDir");
    }
}

// The file that cannot be copied ends its pattern, and only that: later lines still copy.
TEST(PayloadCopy, FileThatCannotBeReadEndsItsPatternOnly) {
    Bench bench({{L"docs\\a.txt", "a"}, {L"docs\\b.txt", "b"}, {L"docs\\c.txt", "c"}, {L"docs\\d.txt", "d"},
                 {L"Glintr7.exe", "product"}},
                {"File Copy: docs\\*.txt", "File Copy: Glintr7.exe"});
    ASSERT_TRUE(bench.built());
    // The walk's own order decides which files come before the one that fails.
    std::vector<std::wstring> order;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(bench.Payload(L"docs\\*.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do order.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    ASSERT_EQ(order.size(), 4u);

    const Tree payload = bench.PayloadTree();
    // Held open without sharing: it cannot even be read.
    const std::wstring blocked = order[2];
    HANDLE lock = CreateFileW(bench.Payload(L"docs\\" + blocked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyMatchingFiles(L"docs\\*.txt", bench.Payload(), bench.InstallDir()), 2);
    Tree copied = Installed({{L"docs\\", ""}, {L"docs\\" + order[0], payload.at(L"docs\\" + order[0])},
                             {L"docs\\" + order[1], payload.at(L"docs\\" + order[1])}});
    EXPECT_EQ(bench.Programs(), copied);

    RemoveTree(bench.InstallDir() + L"\\docs");
    CopyPayload(bench.List(), true);
    copied[L"Glintora 7\\Glintr7.exe"] = "product";
    EXPECT_EQ(bench.Programs(), copied);
    CloseHandle(lock);
}

// A wildcard that matches folders as well as files copies the files, before and after the
// folders, and makes none of the folders.
TEST(PayloadCopy, MatchingFoldersAreSkipped) {
    const std::vector<TreeEntry> plugins = {
        {L"Plugins\\a.plg", "a"}, {L"Plugins\\b.plg\\inside.txt", "inside"}, {L"Plugins\\c.plg", "c"},
        {L"Plugins\\d.plg\\", ""}, {L"Plugins\\e.plg", "e"}};
    Bench bench(plugins, {"File Copy: Plugins\\*"});
    ASSERT_TRUE(bench.built());
    // Only meaningful when the search returns a folder before some file.
    bool folderSeen = false, fileAfterFolder = false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(bench.Payload(L"Plugins\\*.plg").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folderSeen = true;
        else if (folderSeen)
            fileAfterFolder = true;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    ASSERT_TRUE(fileAfterFolder);

    const Tree expected =
        Installed({{L"Plugins\\", ""}, {L"Plugins\\a.plg", "a"}, {L"Plugins\\c.plg", "c"}, {L"Plugins\\e.plg", "e"}});
    EXPECT_EQ(CopyMatchingFiles(L"Plugins\\*.plg", bench.Payload(), bench.InstallDir()), 3);
    EXPECT_EQ(bench.Programs(), expected);
    RemoveTree(bench.InstallDir() + L"\\Plugins");
    CopyPayload(bench.List(), true);  // "*" matches "." and ".." too
    EXPECT_EQ(bench.Programs(), expected);
    // A pattern that matches folders only makes nothing.
    RemoveTree(bench.InstallDir() + L"\\Plugins");
    EXPECT_EQ(CopyMatchingFiles(L"Plugins\\b.plg", bench.Payload(), bench.InstallDir()), 0);
    EXPECT_EQ(CopyMatchingFiles(L"Plugins\\d.plg", bench.Payload(), bench.InstallDir()), 0);
    EXPECT_EQ(bench.Programs(), Installed({}));
}

TEST(PayloadCopy, MatchingFilesCountsAndPlacesThem) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* toSuffix;  // appended to the installation folder
        int copied;
        std::vector<TreeEntry> inside;
    };
    const Case cases[] = {
        {L"help\\*.chm", L"", 2, {{L"help\\", ""}, {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"}}},
        {L"help\\*.chm", L"\\", 2, {{L"help\\", ""}, {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"}}},
        {L"help/*.chm", L"/", 2, {{L"help\\", ""}, {L"help\\Glintr7Man.chm", "manual"}, {L"help\\Astuces.chm", "tips"}}},
        {L"help\\*", L"\\new\\deeper", 3,
         {{L"new\\", ""}, {L"new\\deeper\\", ""}, {L"new\\deeper\\help\\", ""},
          {L"new\\deeper\\help\\Glintr7Man.chm", "manual"}, {L"new\\deeper\\help\\Astuces.chm", "tips"},
          {L"new\\deeper\\help\\notes.txt", "notes"}}},
        {L"Glintr7.*", L"", 1, {{L"Glintr7.exe", "product"}}},
        {L"*.nomatch", L"\\never", 0, {}},
        {L"missing\\*.*", L"", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(c.pattern) + L" into" + c.toSuffix));
        Bench bench(kPayload, {});
        ASSERT_TRUE(bench.built());
        EXPECT_EQ(CopyMatchingFiles(c.pattern, bench.Payload(), bench.InstallDir() + c.toSuffix), c.copied);
        EXPECT_EQ(bench.Programs(), Installed(c.inside));
    }
    // From a folder into itself: every file is already in place and counts, nothing changes.
    Bench bench(kPayload, {});
    const Tree before = bench.PayloadTree();
    EXPECT_EQ(CopyMatchingFiles(L"help\\*.chm", bench.Payload(), bench.Payload()), 2);
    EXPECT_EQ(bench.PayloadTree(), before);
}

// ---- The library probe

bool NoFileEndsWith(const Tree& tree, const std::wstring& suffix) {
    for (const auto& [path, content] : tree)
        if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
            return false;
    return true;
}

// Libraries of the system: the payload's copies of them are not installed, and are found under
// their own names again afterwards. A portable installation takes them along all the same.
TEST(LibraryProbe, LibraryTheSystemLoadsIsNotCopied) {
    const std::vector<TreeEntry> payload = {{L"version.dll", "payload's version.dll"},
                                            {L"shlwapi.dll", "payload's shlwapi.dll"}};
    const std::vector<std::string> list = {"File Copy ind: version.dll", "File Copy ind: shlwapi.dll > shlwapi.dll"};
    for (const bool portable : {false, true}) {
        SCOPED_TRACE(portable ? "portable" : "not portable");
        Bench bench(payload, list, portable);
        ASSERT_TRUE(bench.built());
        const Tree before = bench.PayloadTree();
        CopyPayload(bench.List(), true);
        EXPECT_EQ(bench.Programs(), portable ? Installed(payload) : Installed({}));
        EXPECT_EQ(bench.PayloadTree(), before);
        EXPECT_TRUE(NoFileEndsWith(bench.PayloadTree(), L".toinst"));
    }
}

// A library that the system finds only as the payload's own copy. The setup's folder holds the
// payload and is searched first; here the current folder, which the search also covers, plays
// that part. The probe must hide the copy to learn that the system lacks the library.
TEST(LibraryProbe, LibraryOnlyThePayloadHoldsIsCopied) {
    const std::string library = ReadFileBytes(TestkitExe(L"GltProbe.dll"));
    ASSERT_FALSE(library.empty());
    Bench bench({{L"GltProbe.dll", library}},
                {"File Copy ind: GltProbe.dll", "File Copy ind: GltProbe.dll  > ThumbDglXP32.dll"});
    ASSERT_TRUE(bench.built());
    const Tree payloadBefore = bench.PayloadTree();

    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(bench.Payload().c_str()));
    // Without hiding the copy, the search would find it.
    HMODULE found = LoadLibraryW(L"GltProbe.dll");
    EXPECT_NE(found, nullptr);
    if (found) FreeLibrary(found);
    ASSERT_EQ(GetModuleHandleW(L"GltProbe.dll"), nullptr);

    CopyPayload(bench.List(), true);
    SetCurrentDirectoryW(saved);

    EXPECT_EQ(bench.Programs(), Installed({{L"GltProbe.dll", library}, {L"ThumbDglXP32.dll", library}}));
    EXPECT_EQ(bench.PayloadTree(), payloadBefore);
    EXPECT_EQ(GetModuleHandleW(L"GltProbe.dll"), nullptr);
}

}  // namespace
