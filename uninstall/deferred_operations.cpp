#include "uninstall/deferred_operations.h"

#include "app/setup_options.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr DWORD kSectionBlockChars = 16384;
constexpr size_t kMaxPathChars = 259;
constexpr wchar_t kWininitName[] = L"WININIT.INI";
constexpr wchar_t kRenameSection[] = L"rename";

bool EndsWithSeparator(const std::wstring& s) { return !s.empty() && (s.back() == L'\\' || s.back() == L'/'); }

std::wstring WithSeparator(const std::wstring& folder) {
    return folder.empty() || EndsWithSeparator(folder) ? folder : folder + L'\\';
}

// The system routines stop at a NUL: such a path would name another, shorter one.
bool HoldsNul(const std::wstring& s) { return s.find(L'\0') != std::wstring::npos; }

// A line break would split the entry into two lines of the file.
bool FitsOneLine(const std::wstring& s) { return s.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos; }

std::wstring WininitPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryW(folder, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    return WithSeparator(folder) + kWininitName;
}

enum class FileEncoding { Missing, Utf16, Other };

FileEncoding EncodingOf(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? FileEncoding::Missing : FileEncoding::Other;
    unsigned char mark[2] = {};
    DWORD read = 0;
    BOOL ok = ReadFile(h, mark, sizeof mark, &read, nullptr);
    CloseHandle(h);
    return ok && read == 2 && mark[0] == 0xFF && mark[1] == 0xFE ? FileEncoding::Utf16 : FileEncoding::Other;
}

// The profile routines write a new file in the ANSI code page, which turns a character outside
// it into a look-alike: the restart would then delete or overwrite some other file. A file that
// begins with the UTF-16 mark is kept in UTF-16 by them.
bool CreateUtf16File(const std::wstring& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const unsigned char mark[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL ok = WriteFile(h, mark, sizeof mark, &written, nullptr) && written == sizeof mark;
    CloseHandle(h);
    return ok;
}

bool SurvivesAnsi(const std::wstring& s) {
    const int length = static_cast<int>(s.size());
    int bytes = WideCharToMultiByte(CP_ACP, 0, s.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.data(), length, narrow.data(), bytes, nullptr, nullptr);
    int chars = MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0);
    if (chars <= 0) return false;
    std::wstring back(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, back.data(), chars);
    return back == s;
}

// The file will carry the entry unchanged: it is UTF-16 (created so when missing), or the entry
// survives the ANSI code page of an existing file.
bool WininitCanCarry(const std::wstring& entry) {
    const std::wstring file = WininitPath();
    if (file.empty()) return false;
    FileEncoding encoding = EncodingOf(file);
    if (encoding == FileEncoding::Missing && CreateUtf16File(file)) encoding = FileEncoding::Utf16;
    return encoding == FileEncoding::Utf16 || SurvivesAnsi(entry);
}

void ClearReadOnlyAndHidden(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    // Nothing to clear is nothing to write: the call costs as much as the deletion itself.
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & blocking)) return;
    // Unreadable attributes are no bits to keep: an all-ones value would set every flag.
    SetFileAttributesW(path.c_str(), attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL
                                                                           : attributes & ~blocking);
}

// The folder a search ran in, by its own path: the names inside it were formed with a separator
// that is not part of its name. A drive's root keeps its backslash.
std::wstring SearchedFolder(const std::wstring& prefix) {
    std::wstring folder = prefix;
    if (EndsWithSeparator(folder) && folder.size() > 1 && folder[folder.size() - 2] != L':') folder.pop_back();
    return folder;
}

}  // namespace

bool ScheduleInWininit(const std::wstring& key, const std::wstring& value) {
    // The first "=" of a line ends its key: one in the key would move it into the value.
    if (key.empty() || value.empty() || !FitsOneLine(key) || !FitsOneLine(value) ||
        key.find(L'=') != std::wstring::npos)
        return false;
    const std::wstring entry = key + L'=' + value;
    // The entry, its NUL and the NUL that ends the block.
    if (entry.size() + 2 > kSectionBlockChars || !WininitCanCarry(entry)) return false;

    std::vector<wchar_t> block(kSectionBlockChars, L'\0');
    const size_t used = GetPrivateProfileSectionW(kRenameSection, block.data(), kSectionBlockChars, kWininitName);
    // A section too long for the block comes back cut, 16382 characters long: no entry fits
    // after that, so a cut section is never written back.
    if (used + entry.size() + 2 > kSectionBlockChars) return false;

    std::copy(entry.begin(), entry.end(), block.begin() + static_cast<std::ptrdiff_t>(used));
    block[used + entry.size()] = L'\0';
    block[used + entry.size() + 1] = L'\0';
    return WritePrivateProfileSectionW(kRenameSection, block.data(), kWininitName) != FALSE;
}

void DeleteAtRestart(const std::wstring& path) {
    if (HoldsNul(path)) return;
    if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return;
    ScheduleInWininit(L"NUL", path);
}

void RenameAtRestart(const std::wstring& existingPath, const std::wstring& newPath) {
    bool scheduled = false;
    // Without a new name the system would delete the file instead.
    if (!existingPath.empty() && !newPath.empty() && !HoldsNul(existingPath) && !HoldsNul(newPath))
        scheduled = MoveFileExW(existingPath.c_str(), newPath.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT) ||
                    ScheduleInWininit(newPath, existingPath);
    g_options.restartNeeded = scheduled ? 1 : 0;
}

int DeleteMatchingFiles(const std::wstring& folder, const std::wstring& pattern) {
    const std::wstring base = WithSeparator(folder);
    const std::wstring search = base + pattern;
    if (search.size() > kMaxPathChars || HoldsNul(search)) return 0;

    // A plain name needs no search, which costs as much as the deletion: deleting it at once is
    // what the walk would do with its one entry. Anything else (read-only, locked, a folder,
    // missing) takes the walk below.
    if (pattern.find_first_of(L"*?") == std::wstring::npos && DeleteFileW(search.c_str())) return 1;

    // The search also accepts "/" between names: the found names are inside that subfolder too.
    const size_t lastSeparator = pattern.find_last_of(L"\\/");
    const std::wstring prefix = base + (lastSeparator == std::wstring::npos ? L"" : pattern.substr(0, lastSeparator + 1));

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;

    int deleted = 0;
    bool searchedFolderMatched = false;
    do {
        const std::wstring name = data.cFileName;
        // ".." is the parent, which the setup never made (for a program group, the start
        // menu's own programs folder).
        if (name == L"..") continue;
        if (name == L".") {
            searchedFolderMatched = true;
            continue;
        }
        const std::wstring path = prefix + name;
        if (path.size() > kMaxPathChars) continue;
        ClearReadOnlyAndHidden(path);
        if (DeleteFileW(path.c_str()))
            ++deleted;
        else
            DeleteAtRestart(path);
    } while (FindNextFileW(find, &data));
    FindClose(find);

    // Scheduled after what it holds, so that the restart removes the folder once those are gone.
    // A search relative to the current folder gives it no path of its own to schedule.
    const std::wstring own = SearchedFolder(prefix);
    if (searchedFolderMatched && !own.empty()) {
        ClearReadOnlyAndHidden(own);
        DeleteAtRestart(own);
    }
    return deleted;
}
