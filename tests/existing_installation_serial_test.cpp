// The lookup of an earlier installation and of the default program folder, against the real
// keys of the product, of App Paths and of ProgramFilesDir: serial, and everything changed is
// put back as it was.
#include "install/existing_installation.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

namespace {

using glt::test::Narrow;

// One real value: saved at construction, with the keys of its path that did not exist yet,
// and restored (or removed again, with those keys) at destruction.
class SavedValue {
public:
    SavedValue(HKEY root, std::wstring subkey, const wchar_t* name)
        : root_(root), subkey_(std::move(subkey)), name_(name ? name : L""), isDefault_(name == nullptr) {
        for (size_t at = subkey_.find(L'\\'); ; at = subkey_.find(L'\\', at + 1)) {
            std::wstring level = subkey_.substr(0, at);
            if (!Exists(level)) missingLevels_.insert(missingLevels_.begin(), level);  // deepest first
            if (at == std::wstring::npos) break;
        }
        std::tie(existed_, data_) = Read(&type_);
    }

    ~SavedValue() {
        if (existed_) {
            Store(type_, data_.data(), static_cast<DWORD>(data_.size()));
        } else {
            Remove();
            // Only empty keys go: another saved value may still be using one of them.
            for (const auto& level : missingLevels_) RegDeleteKeyW(root_, level.c_str());
        }
        if (Read() != std::make_pair(existed_, data_)) ADD_FAILURE() << "not put back: " << Narrow(subkey_);
    }

    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    // Text stored as the installation stores it (REG_SZ, terminating zero included), or no value.
    bool Set(const std::optional<std::wstring>& text) {
        if (!text) return Remove();
        return Store(REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                     static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    }

private:
    const wchar_t* Name() const { return isDefault_ ? nullptr : name_.c_str(); }

    // Whether the value exists, and its data.
    std::pair<bool, std::vector<BYTE>> Read(DWORD* type = nullptr) const {
        std::pair<bool, std::vector<BYTE>> value{false, {}};
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, Name(), nullptr, type, nullptr, &bytes) == ERROR_SUCCESS) {
            value.second.resize(bytes);
            value.first = RegQueryValueExW(key, Name(), nullptr, type, value.second.data(), &bytes) == ERROR_SUCCESS;
            value.second.resize(bytes);
        }
        RegCloseKey(key);
        return value;
    }

    bool Exists(const std::wstring& subkey) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    bool Store(DWORD type, const BYTE* data, DWORD bytes) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root_, subkey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        bool ok = RegSetValueExW(key, Name(), 0, type, data, bytes) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }

    bool Remove() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return true;
        LSTATUS status = RegDeleteValueW(key, Name());
        RegCloseKey(key);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }

    HKEY root_;
    std::wstring subkey_;
    std::wstring name_;
    bool isDefault_;
    std::vector<std::wstring> missingLevels_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

constexpr const wchar_t* kProductKey = L"SOFTWARE\\Morvane\\Glintora 7";
constexpr const wchar_t* kAppPaths = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Glintr7.exe";
constexpr const wchar_t* kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

using Text = std::optional<std::wstring>;  // nullopt: the value does not exist

TEST(FindExistingInstallation, ProductPathElseTheFolderOfTheAppPathsCommand) {
    SavedValue path(HKEY_LOCAL_MACHINE, kProductKey, L"Path");
    SavedValue command(HKEY_LOCAL_MACHINE, kAppPaths, nullptr);
    SavedValue commandPath(HKEY_LOCAL_MACHINE, kAppPaths, L"Path");
    const struct {
        const char* name;
        Text path, command, commandPath;
        std::wstring expected;
    } cases[] = {
        {"Path wins over App Paths", L"C:\\Program Files\\Glintora 7", L"C:\\Outils\\Glintora 7\\Glintr7.exe",
         std::nullopt, L"C:\\Program Files\\Glintora 7"},
        {"Path is not checked on disk", L"Q:\\Nowhere\\Glintora 7", std::nullopt, std::nullopt, L"Q:\\Nowhere\\Glintora 7"},
        {"App Paths command", std::nullopt, L"C:\\Outils\\Glintora 7\\Glintr7.exe", std::nullopt,
         L"C:\\Outils\\Glintora 7"},
        {"other letter case gives nothing", std::nullopt, L"C:\\Outils\\Glintora 7\\GLINTR7.EXE", std::nullopt, L""},
        {"recorded drive root", L"D:\\", std::nullopt, std::nullopt, L"D:"},
        {"App Paths on a drive root", std::nullopt, L"D:\\Glintr7.exe", std::nullopt, L"D:"},
        {"only one trailing backslash goes", L"C:\\Glintora 7\\\\", std::nullopt, std::nullopt, L"C:\\Glintora 7\\"},
        {"empty Path counts as none", L"", L"E:\\Glintora 7\\Glintr7.exe", std::nullopt, L"E:\\Glintora 7"},
        {"Path too long to read counts as none", std::wstring(260, L'p'), L"E:\\X\\Glintr7.exe", std::nullopt, L"E:\\X"},
        {"the first occurrence counts", std::nullopt, L"C:\\A\\Glintr7.exe\\B\\Glintr7.exe", std::nullopt, L"C:\\A"},
        {"the name without a backslash", std::nullopt, L"Glintr7.exe", std::nullopt, L""},
        {"the App Paths Path value is not read", std::nullopt, std::nullopt, L"C:\\Z", L""},
        {"nothing recorded", std::nullopt, std::nullopt, std::nullopt, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(path.Set(c.path));
        ASSERT_TRUE(command.Set(c.command));
        ASSERT_TRUE(commandPath.Set(c.commandPath));
        EXPECT_EQ(Narrow(FindExistingInstallation()), Narrow(c.expected));
    }
}

TEST(DefaultProgramFolder, ProgramFilesDirElseProgramFilesOnTheWindowsDrive) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_EQ(std::wstring(windows).rfind(L"C:\\", 0), 0u) << "the cases below assume Windows on C:";

    SavedValue programFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir");
    const struct {
        const char* name;
        Text programFilesDir;
        std::wstring expected;
    } cases[] = {
        {"as recorded", L"D:\\Programmes", L"D:\\Programmes"},
        {"one trailing backslash goes", L"D:\\Programmes\\", L"D:\\Programmes"},
        {"a drive root", L"E:\\", L"E:"},
        {"missing", std::nullopt, L"C:\\Program Files"},
        {"empty", L"", L"C:\\Program Files"},
        {"too long to read", std::wstring(300, L'q'), L"C:\\Program Files"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(programFiles.Set(c.programFilesDir));
        EXPECT_EQ(Narrow(DefaultProgramFolder()), Narrow(c.expected));
    }
}

}  // namespace
