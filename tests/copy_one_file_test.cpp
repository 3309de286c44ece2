// Copying one file into place where nothing is in use: new and existing targets, new names,
// copies within one folder, and what is refused. Files in use are in copy_one_file_serial_test.
#include "install/copy_one_file.h"

#include "app/setup_options.h"

#include "support/payload_builder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace glt::test;
using Tree = std::map<std::wstring, std::string>;

// A source folder with one file, and an empty destination folder beside it.
class CopyOneFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LayOutTree(dir_.path(), {{L"src\\Glintr7.ini", "new"}, {L"dst\\", ""}}));
        src_ = dir_.Path(L"src");
        dst_ = dir_.Path(L"dst");
        g_options.restartNeeded = 0;
    }

    TempDir dir_;
    std::wstring src_, dst_;
};

TEST_F(CopyOneFileTest, ReplacesTheTargetWhateverItsAttributes) {
    struct Case {
        const char* what;
        bool exists;
        DWORD attributes;
    };
    const Case cases[] = {
        {"no target", false, 0},
        {"plain target", true, FILE_ATTRIBUTE_NORMAL},
        {"read-only target", true, FILE_ATTRIBUTE_READONLY},
        {"hidden target", true, FILE_ATTRIBUTE_HIDDEN},
        {"read-only hidden target", true, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring target = dir_.Path(L"dst\\Glintr7.ini");
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(target.c_str());
        if (c.exists) {
            ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini", "old"));
            ASSERT_TRUE(SetFileAttributesW(target.c_str(), c.attributes));
        }
        EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", src_, dst_));
        // Replaced at once: nothing moved aside, nothing staged, no restart.
        EXPECT_EQ(ReadTree(dst_), (Tree{{L"Glintr7.ini", "new"}}));
        EXPECT_EQ(g_options.restartNeeded, 0);
    }
}

TEST_F(CopyOneFileTest, FolderSpellingsAndNewNames) {
    ASSERT_TRUE(LayOutTree(dir_.path(), {{L"src\\help\\Glintr7Man.chm", "help"}, {L"dst\\docs\\", ""}}));
    struct Case {
        const wchar_t* name;
        const wchar_t* fromSuffix;  // appended to the source folder
        const wchar_t* toSuffix;    // appended to the destination folder
        const wchar_t* newName;
        const wchar_t* stored;  // where the file is expected below the destination
        const char* content;
    };
    const Case cases[] = {
        {L"Glintr7.ini", L"", L"", L"", L"Glintr7.ini", "new"},
        {L"Glintr7.ini", L"\\", L"\\", L"", L"Glintr7.ini", "new"},
        {L"Glintr7.ini", L"/", L"/", L"", L"Glintr7.ini", "new"},
        {L"Glintr7.ini", L"", L"", L"Glintr7 copie.ini", L"Glintr7 copie.ini", "new"},
        {L"Glintr7.ini", L"", L"", L"docs\\Glintr7.ini", L"docs\\Glintr7.ini", "new"},
        {L"help\\Glintr7Man.chm", L"", L"", L"docs\\Manuel.chm", L"docs\\Manuel.chm", "help"},
        {L"help\\Glintr7Man.chm", L"", L"\\docs", L"", L"docs\\help\\Glintr7Man.chm", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(c.name) + L" -> " + c.toSuffix + L" " + c.newName));
        const bool expected = c.content != nullptr;
        // A subfolder below the destination is never made: that copy fails.
        EXPECT_EQ(CopyOneFile(c.name, src_ + c.fromSuffix, dst_ + c.toSuffix, c.newName), expected);
        Tree wanted{{L"docs\\", ""}};
        if (expected) wanted[c.stored] = c.content;
        EXPECT_EQ(ReadTree(dst_), wanted);
        RemoveTree(dst_);
        ASSERT_TRUE(LayOutTree(dst_, {{L"docs\\", ""}}));
    }
}

TEST_F(CopyOneFileTest, MissingSourceChangesNothing) {
    ASSERT_TRUE(dir_.WriteFile(L"dst\\Glintr7.ini", "old"));
    ASSERT_TRUE(dir_.WriteFile(L"dst\\missing.txt", "kept"));
    const Tree before = ReadTree(dst_);
    EXPECT_FALSE(CopyOneFile(L"missing.txt", src_, dst_));
    EXPECT_FALSE(CopyOneFile(L"missing.txt", src_, dst_, L"Glintr7.ini"));
    EXPECT_FALSE(CopyOneFile(L"Glintr7.ini", dir_.Path(L"nowhere"), dst_));
    EXPECT_EQ(ReadTree(dst_), before);
}

// Source and destination folder are one: without a new name there is nothing to do, however
// the two folders are spelt; deleting the "target" would delete the only copy.
TEST_F(CopyOneFileTest, SameFolderWithoutNewNameTouchesNothing) {
    const std::wstring spellings[] = {src_, src_ + L"\\", dir_.Path(L"SRC"), src_ + L"/",
                                      dir_.Path(L"dst\\..\\src"), dir_.Path(L"src\\.")};
    for (const std::wstring& other : spellings) {
        SCOPED_TRACE(Narrow(other));
        EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", src_, other));
        EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", other, src_));
        EXPECT_EQ(ReadTree(src_), (Tree{{L"Glintr7.ini", "new"}}));
    }
    // A new name that is the same name in another case, or the file's short name, is the same
    // file too.
    EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", src_, src_, L"GLINTR7.INI"));
    EXPECT_EQ(ReadTree(src_), (Tree{{L"Glintr7.ini", "new"}}));
    ASSERT_TRUE(dir_.WriteFile(L"src\\Glintora 7 settings.ini", "long"));
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(dir_.Path(L"src\\Glintora 7 settings.ini").c_str(), shortPath, MAX_PATH), 0u);
    const std::wstring shortName = std::wstring(shortPath).substr(std::wstring(shortPath).rfind(L'\\') + 1);
    ASSERT_NE(shortName, L"Glintora 7 settings.ini");
    EXPECT_TRUE(CopyOneFile(L"Glintora 7 settings.ini", src_, src_, shortName));
    EXPECT_EQ(ReadTree(src_), (Tree{{L"Glintr7.ini", "new"}, {L"Glintora 7 settings.ini", "long"}}));
}

TEST_F(CopyOneFileTest, SameFolderWithNewNameReplacesOnlyWhatItCanDelete) {
    struct Case {
        const char* what;
        bool exists;
        DWORD attributes;
        const char* after;  // content of the copy's name afterwards
    };
    const Case cases[] = {
        {"no file of the new name", false, 0, "new"},
        {"a deletable file of the new name", true, FILE_ATTRIBUTE_NORMAL, "new"},
        // Within one folder the attributes are not cleared: a read-only file stays, and that
        // still counts as success.
        {"a read-only file of the new name", true, FILE_ATTRIBUTE_READONLY, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring copy = dir_.Path(L"src\\Glintr7.ini.bak");
        SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(copy.c_str());
        if (c.exists) {
            ASSERT_TRUE(dir_.WriteFile(L"src\\Glintr7.ini.bak", "old"));
            ASSERT_TRUE(SetFileAttributesW(copy.c_str(), c.attributes));
        }
        EXPECT_TRUE(CopyOneFile(L"Glintr7.ini", src_, src_ + L"\\", L"Glintr7.ini.bak"));
        EXPECT_EQ(ReadTree(src_), (Tree{{L"Glintr7.ini", "new"}, {L"Glintr7.ini.bak", c.after}}));
    }
    SetFileAttributesW(dir_.Path(L"src\\Glintr7.ini.bak").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A path the program's 260-character buffers could not hold is refused, not cut short.
TEST_F(CopyOneFileTest, TargetPathOver259CharactersIsRefused) {
    std::wstring deep = dst_;
    while (deep.size() < 240) {
        deep += L"\\abcdefghij";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << Narrow(deep);
    }
    const std::wstring fits(259 - deep.size() - 1, L'n');
    const std::wstring tooLong = fits + L"x";
    ASSERT_TRUE(CopyOneFile(L"Glintr7.ini", src_, deep, fits));
    EXPECT_EQ(ReadTree(deep), (Tree{{fits, "new"}}));
    EXPECT_FALSE(CopyOneFile(L"Glintr7.ini", src_, deep, tooLong));
    EXPECT_EQ(ReadTree(deep), (Tree{{fits, "new"}}));
}

}  // namespace
