// Registry values, the shell's special folders with their fallback, and path helpers, against
// the real (Wine) registry under a private key of the test.
#include "support/known_folders.h"
#include "support/paths.h"
#include "support/registry.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

using glt::test::Narrow;
using glt::test::TestRegKey;

// What the registry holds, read without the routines under test.
struct RawValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue ReadRaw(HKEY root, const std::wstring& subkey, const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
        value.data.resize(bytes);
        value.exists = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &bytes) == ERROR_SUCCESS;
        value.data.resize(bytes);
    }
    RegCloseKey(key);
    return value;
}

bool WriteRaw(HKEY root, const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// Text with its terminating zero, or without it (as some writers store it).
bool WriteText(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& text,
               bool withZero = true, DWORD type = REG_SZ) {
    return WriteRaw(root, subkey, name, type, text.c_str(), (text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// ---- ReadRegString

struct StoredCase {
    const char* name;
    DWORD type;
    std::wstring text;  // stored as is: embedded zeros included
    bool withZero;
    std::wstring expected;
};

TEST(ReadRegString, TakesTextThatFitsTwoHundredSixtyCharactersAndNothingElse) {
    TestRegKey reg;
    const std::wstring fits(259, L'a');
    const std::wstring tooLong(260, L'b');
    const StoredCase cases[] = {
        {"259 characters are read whole", REG_SZ, fits, true, fits},
        {"260 characters read as empty", REG_SZ, tooLong, true, L""},
        {"far too long reads as empty", REG_SZ, std::wstring(5000, L'c'), true, L""},
        {"259 without a stored zero are read whole", REG_SZ, fits, false, fits},
        {"260 without a stored zero read as empty", REG_SZ, tooLong, false, L""},
        {"short text without a stored zero", REG_SZ, L"C:\\Outils", false, L"C:\\Outils"},
        // The registry itself makes room for a zero after text, not after binary data.
        {"260 binary characters without a zero read as empty", REG_BINARY, tooLong, false, L""},
        {"259 binary characters without a zero are read whole", REG_BINARY, fits, false, fits},
        {"text ends at the first zero", REG_SZ, std::wstring(L"C:\\A\0C:\\B", 9), true, L"C:\\A"},
        {"an empty value reads as empty", REG_SZ, L"", true, L""},
        {"expandable text is not expanded", REG_EXPAND_SZ, L"%WINDIR%\\x", true, L"%WINDIR%\\x"},
        {"the type is not examined", REG_BINARY, L"Glintora", true, L"Glintora"},
        {"non-ASCII text", REG_SZ, L"C:\\Programmes\\Capture d'écran \u00e9\u4e2d", true,
         L"C:\\Programmes\\Capture d'écran \u00e9\u4e2d"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring name = L"v" + std::to_wstring(++n);
        ASSERT_TRUE(WriteText(reg.root(), reg.subkey(), name.c_str(), c.text, c.withZero, c.type));
        EXPECT_EQ(Narrow(ReadRegString(reg.root(), reg.subkey(), name.c_str())), Narrow(c.expected));
    }
}

TEST(ReadRegString, DwordDataIsReadAsCharactersUpToTheFirstZero) {
    TestRegKey reg;
    const DWORD value = 0x00410042;  // bytes 42 00 41 00: "BA"
    ASSERT_TRUE(WriteRaw(reg.root(), reg.subkey(), L"n", REG_DWORD, &value, sizeof value));
    EXPECT_EQ(Narrow(ReadRegString(reg.root(), reg.subkey(), L"n")), "BA");
}

TEST(ReadRegString, MissingKeyOrValueReadsEmptyAndNullNameIsTheDefaultValue) {
    TestRegKey reg;
    ASSERT_TRUE(WriteText(reg.root(), reg.subkey(), L"Path", L"C:\\Named"));
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey() + L"\\Missing\\Deeper", L"Path"), L"");
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), L"Other"), L"");
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), L"path"), L"C:\\Named");  // the registry ignores case
    // The key exists but has no default value yet.
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), nullptr), L"");

    ASSERT_TRUE(WriteText(reg.root(), reg.subkey(), nullptr, L"C:\\Default\\Glintr7.exe"));
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), nullptr), L"C:\\Default\\Glintr7.exe");
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), L"Path"), L"C:\\Named");
    EXPECT_EQ(ReadRegString(nullptr, reg.subkey(), L"Path"), L"");
}

// ---- WriteRegString, WriteRegDword

TEST(WriteRegValues, CreateEveryMissingLevelAndStoreTypedData) {
    TestRegKey reg;
    const std::wstring deep = reg.subkey() + L"\\Morvane\\Glintora 7\\Capabilities\\FileAssociations";
    ASSERT_FALSE(KeyExists(reg.root(), reg.subkey() + L"\\Morvane"));

    const std::wstring text = L"Glintora.7 \u00e9";
    EXPECT_TRUE(WriteRegString(reg.root(), deep, L".dgl", text));
    RawValue stored = ReadRaw(reg.root(), deep, L".dgl");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    // The terminating zero is part of the data.
    ASSERT_EQ(stored.data.size(), (text.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stored.data.data()), text.size() + 1),
              std::wstring(text.c_str(), text.size() + 1));

    const std::wstring other = reg.subkey() + L"\\Uninstall\\Glintora 7";
    EXPECT_TRUE(WriteRegDword(reg.root(), other, L"NoModify", 0xDEADBEEF));
    stored = ReadRaw(reg.root(), other, L"NoModify");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(stored.data.size(), 4u);
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(stored.data.data()), 0xDEADBEEFu);
}

TEST(WriteRegValues, ReplaceExistingValuesAndWriteTheDefaultValue) {
    TestRegKey reg;
    ASSERT_TRUE(WriteText(reg.root(), reg.subkey(), L"v", std::wstring(300, L'x')));
    EXPECT_TRUE(WriteRegString(reg.root(), reg.subkey(), L"v", L"short"));
    EXPECT_EQ(ReadRaw(reg.root(), reg.subkey(), L"v").data.size(), 12u);
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), L"v"), L"short");

    EXPECT_TRUE(WriteRegDword(reg.root(), reg.subkey(), L"v", 7));
    RawValue stored = ReadRaw(reg.root(), reg.subkey(), L"v");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));

    EXPECT_TRUE(WriteRegString(reg.root(), reg.subkey(), nullptr, L"C:\\Outils\\Glintr7.exe"));
    EXPECT_EQ(ReadRegString(reg.root(), reg.subkey(), nullptr), L"C:\\Outils\\Glintr7.exe");
    EXPECT_TRUE(WriteRegString(reg.root(), reg.subkey(), L"empty", L""));
    stored = ReadRaw(reg.root(), reg.subkey(), L"empty");
    EXPECT_TRUE(stored.exists);
    EXPECT_EQ(stored.data.size(), 2u);
}

TEST(WriteRegValues, FailuresReturnFalseAndLeaveNothingBehind) {
    TestRegKey reg;
    // A volatile key cannot have lasting children.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(reg.root(), (reg.subkey() + L"\\Volatile").c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    const std::wstring longName(20000, L'n');
    struct Case {
        const char* name;
        HKEY root;
        std::wstring subkey;
        const wchar_t* value;
        std::wstring mustNotExist;  // below the test key; empty: nothing to look for
    } cases[] = {
        {"no root", nullptr, reg.subkey() + L"\\A", L"v", L""},
        {"path starting with a backslash", reg.root(), L"\\" + reg.subkey() + L"\\B", L"v", L"\\B"},
        {"below a volatile key", reg.root(), reg.subkey() + L"\\Volatile\\C", L"v", L"\\Volatile\\C"},
        {"key name too long", reg.root(), reg.subkey() + L"\\" + std::wstring(300, L'k'), L"v", L""},
        {"value name too long", reg.root(), reg.subkey() + L"\\D", longName.c_str(), L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(WriteRegString(c.root, c.subkey, c.value, L"text"));
        EXPECT_FALSE(WriteRegDword(c.root, c.subkey, c.value, 1));
        if (!c.mustNotExist.empty()) {
            EXPECT_FALSE(KeyExists(reg.root(), reg.subkey() + c.mustNotExist));
        }
    }
}

// ---- Known folders

// Maps HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process to two private keys, so the
// fallback can be shown its values, or none, without touching the real "Shell Folders".
class ShellFoldersFallback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, user_.subkey().c_str(), 0, KEY_ALL_ACCESS, &userKey_), ERROR_SUCCESS);
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, machine_.subkey().c_str(), 0, KEY_ALL_ACCESS, &machineKey_),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, userKey_), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machineKey_), ERROR_SUCCESS);
        overridden_ = true;
        // Proof that the roots are ours: the real HKEY_LOCAL_MACHINE has a SOFTWARE key.
        ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft"));
    }
    void TearDown() override { Restore(); }
    ~ShellFoldersFallback() override { Restore(); }

    void Restore() {
        if (overridden_) {
            RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
            RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
            overridden_ = false;
        }
        if (userKey_) RegCloseKey(userKey_);
        if (machineKey_) RegCloseKey(machineKey_);
        userKey_ = machineKey_ = nullptr;
    }

    bool SetUser(const wchar_t* name, const std::wstring& text) {
        return WriteText(userKey_, kShellFoldersKey, name, text);
    }
    bool SetMachine(const wchar_t* name, const std::wstring& text) {
        return WriteText(machineKey_, kShellFoldersKey, name, text);
    }

private:
    TestRegKey user_;
    TestRegKey machine_;
    HKEY userKey_ = nullptr;
    HKEY machineKey_ = nullptr;
    bool overridden_ = false;
};

struct FallbackCase {
    int csidl;
    const wchar_t* valueName;
    bool allUsers;
};

const FallbackCase kFallbackTable[] = {
    {CSIDL_DESKTOP, L"Desktop", false},
    {CSIDL_PROGRAMS, L"Programs", false},
    {CSIDL_PERSONAL, L"Personal", false},
    {CSIDL_STARTUP, L"Startup", false},
    {CSIDL_COMMON_PROGRAMS, L"Common Programs", true},
    {CSIDL_COMMON_STARTUP, L"Common Startup", true},
    {CSIDL_COMMON_DESKTOPDIRECTORY, L"Common Desktop", true},
    {CSIDL_APPDATA, L"AppData", false},
    {CSIDL_COMMON_APPDATA, L"Common AppData", true},
    {CSIDL_MYPICTURES, L"MyPictures", false},
    {CSIDL_COMMON_DOCUMENTS, L"Common Documents", true},
    {CSIDL_COMMON_PICTURES, L"CommonPictures", true},
};

TEST_F(ShellFoldersFallback, EachKnownFolderReadsItsOwnValueUnderItsOwnRoot) {
    // Every value present under both roots, each text naming the root and the value: a wrong
    // name or a wrong root gives another text.
    for (const auto& c : kFallbackTable) {
        ASSERT_TRUE(SetUser(c.valueName, std::wstring(L"C:\\user\\") + c.valueName));
        ASSERT_TRUE(SetMachine(c.valueName, std::wstring(L"C:\\machine\\") + c.valueName));
    }
    ASSERT_TRUE(SetUser(nullptr, L"C:\\user\\default"));
    for (const auto& c : kFallbackTable) {
        SCOPED_TRACE(Narrow(c.valueName));
        std::wstring expected = std::wstring(c.allUsers ? L"C:\\machine\\" : L"C:\\user\\") + c.valueName;
        EXPECT_EQ(Narrow(KnownFolderFallback(c.csidl)), Narrow(expected));
    }
}

TEST_F(ShellFoldersFallback, MissingValueOrCsidlOutsideTheTableGivesTheDefaultOrNothing) {
    // Nothing stored yet: every folder is unknown.
    EXPECT_EQ(KnownFolderFallback(CSIDL_COMMON_PROGRAMS), L"");
    EXPECT_EQ(KnownFolderFallback(CSIDL_FONTS), L"");

    // The value of the other root does not count.
    ASSERT_TRUE(SetUser(L"Common Programs", L"C:\\wrong root"));
    EXPECT_EQ(KnownFolderFallback(CSIDL_COMMON_PROGRAMS), L"");
    ASSERT_TRUE(SetMachine(L"Common Programs", L"C:\\ProgramData\\Menu"));
    EXPECT_EQ(KnownFolderFallback(CSIDL_COMMON_PROGRAMS), L"C:\\ProgramData\\Menu");

    // Outside the table only the default value of the user's key is read.
    ASSERT_TRUE(SetUser(L"Fonts", L"C:\\windows\\Fonts"));
    ASSERT_TRUE(SetMachine(nullptr, L"C:\\machine default"));
    EXPECT_EQ(KnownFolderFallback(CSIDL_FONTS), L"");
    ASSERT_TRUE(SetUser(nullptr, L"C:\\user default"));
    EXPECT_EQ(KnownFolderFallback(CSIDL_FONTS), L"C:\\user default");
    EXPECT_EQ(KnownFolderFallback(0x7E), L"C:\\user default");
}

TEST_F(ShellFoldersFallback, GetKnownFolderFallsBackWhenTheShellFails) {
    // The shell has no file system folder for the recycle bin.
    wchar_t buffer[MAX_PATH] = {};
    ASSERT_TRUE(FAILED(SHGetFolderPathW(nullptr, CSIDL_BITBUCKET | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer)));
    EXPECT_EQ(GetKnownFolder(CSIDL_BITBUCKET), L"");
    ASSERT_TRUE(SetUser(nullptr, L"C:\\from the fallback"));
    EXPECT_EQ(GetKnownFolder(CSIDL_BITBUCKET), L"C:\\from the fallback");
}

TEST(GetKnownFolder, TheShellsFoldersExistAfterwardsWithoutTrailingBackslash) {
    const int used[] = {CSIDL_DESKTOP,        CSIDL_PROGRAMS,       CSIDL_STARTUP,   CSIDL_COMMON_PROGRAMS,
                        CSIDL_COMMON_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_MYPICTURES};
    for (int csidl : used) {
        SCOPED_TRACE(csidl);
        const std::wstring folder = GetKnownFolder(csidl);
        ASSERT_GT(folder.size(), 3u);
        EXPECT_EQ(folder[1], L':');
        EXPECT_NE(folder.back(), L'\\');
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    // The user's and all users' program folders are different places.
    EXPECT_NE(GetKnownFolder(CSIDL_PROGRAMS), GetKnownFolder(CSIDL_COMMON_PROGRAMS));
    EXPECT_EQ(GetKnownFolder(CSIDL_STARTUP).rfind(GetKnownFolder(CSIDL_PROGRAMS) + L"\\", 0), 0u);
}

// ---- Paths

TEST(ParentFolder, DropsTheLastComponentAndOneTrailingBackslash) {
    const struct {
        const wchar_t* path;
        const wchar_t* parent;
    } cases[] = {
        {L"C:\\Program Files\\Glintora 7\\", L"C:\\Program Files"},
        {L"C:\\Program Files\\Glintora 7", L"C:\\Program Files"},
        {L"C:\\Glintora 7", L"C:"},
        {L"C:\\", L""},
        {L"C:", L""},
        {L"Glintr7.exe", L""},
        {L"", L""},
        {L"\\", L""},
        {L"\\Glintora 7", L""},                        // the only backslash is the first character
        {L"C:\\Glintora 7\\\\", L"C:\\Glintora 7"},   // only one trailing backslash is ignored
        {L"C:\\a/b/", L"C:"},                         // "/" is no separator here
        {L"C:/Glintora 7/", L""},
        {L"\\\\server\\share\\Glintora 7", L"\\\\server\\share"},
        {L"\\\\server", L"\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(Narrow(ParentFolder(c.path)), Narrow(c.parent));
        EXPECT_EQ(Narrow(ParentFolder(std::wstring(c.path))), Narrow(c.parent));
    }
    EXPECT_EQ(ParentFolder(static_cast<const wchar_t*>(nullptr)), L"");
}

TEST(JoinPath, AddsOneBackslashUnlessTheFolderEndsWithASeparator) {
    const struct {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* joined;
    } cases[] = {
        {L"C:\\Program Files\\Glintora 7", L"Glintr7.exe", L"C:\\Program Files\\Glintora 7\\Glintr7.exe"},
        {L"E:\\", L"Glintr7.exe", L"E:\\Glintr7.exe"},
        {L"E:/Portable/", L"x64\\ThumbDgl64.dll", L"E:/Portable/x64\\ThumbDgl64.dll"},
        {L"C:", L"Glintr7.exe", L"C:\\Glintr7.exe"},
        {L"", L"Glintr7.exe", L"\\Glintr7.exe"},
        {L"C:\\A", L"", L"C:\\A\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.folder));
        EXPECT_EQ(Narrow(JoinPath(c.folder, c.name)), Narrow(c.joined));
    }
}

}  // namespace
