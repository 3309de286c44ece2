#include "uninstall/log_replay.h"

#include "support/paths.h"
#include "uninstall/deferred_operations.h"
#include "uninstall/installation_log.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

constexpr size_t kMaxPathChars = 259;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The shortcut and group lines hold full paths. A relative one would be resolved against
// whatever the current folder of the uninstaller happens to be.
bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) return true;
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// No path the setup makes is longer than 259 characters. A longer one may be the first piece of
// a line past 511 characters, which names some other, shorter path.
bool IsUsableFullPath(const std::wstring& path) { return path.size() <= kMaxPathChars && IsAbsolute(path); }

// "C:" is not the root of the drive but that drive's current folder.
bool IsBareDrive(const std::wstring& path) { return path.size() == 2 && IsDriveLetter(path[0]) && path[1] == L':'; }

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    return full;
}

std::wstring WithBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

// Whether relative, taken inside base, names base itself or something below it. The log is
// data from a folder that others may write to, and the uninstaller runs with administrator
// rights: a ".." must not carry a deletion out of the installation folder. The system resolves
// ".." when it opens a path, so the resolved form is compared.
bool StaysInside(const std::wstring& base, const std::wstring& relative) {
    // Resolved with its separator, as the names are composed: "E:" stands for the root of E:,
    // not for that drive's current folder.
    const std::wstring fullBase = FullPath(JoinPath(base, L""));
    const std::wstring full = FullPath(JoinPath(base, relative));
    if (fullBase.empty() || full.empty()) return false;
    const std::wstring inside = WithBackslash(fullBase);
    const std::wstring candidate = WithBackslash(full);
    if (candidate.size() < inside.size()) return false;
    return CompareStringOrdinal(candidate.c_str(), static_cast<int>(inside.size()), inside.c_str(),
                                static_cast<int>(inside.size()), TRUE) == CSTR_EQUAL;
}

// The file specification of a file line: the remark cut off first, so that neither its text nor
// a ">" in it ever reaches the names; then the destination when there is one.
std::wstring FileSpecificationOf(const std::wstring& line, const wchar_t* prefix) {
    const std::wstring cut = CutRemark(line);
    const size_t prefixLength = std::wcslen(prefix);
    // A remark may begin at the blank that ends the prefix.
    const std::wstring rest = cut.size() > prefixLength ? cut.substr(prefixLength) : std::wstring();
    if (rest.find(L'>') == std::wstring::npos) return rest;
    return SplitFileSpecification(rest).destination;
}

void DeleteNamedFiles(const std::wstring& base, const std::wstring& specification) {
    // With an empty base the specification would be taken relative to the current folder.
    if (base.empty() || specification.empty() || !StaysInside(base, specification)) return;
    DeleteMatchingFiles(base, specification);
}

void RemovePayloadFolder(const std::wstring& folder, const std::wstring& relative) {
    if (folder.empty()) return;
    const std::wstring path = JoinPath(folder, relative);
    if (path.size() > kMaxPathChars || !StaysInside(folder, relative)) return;
    if (RemoveDirectoryW(path.c_str())) return;
    // A folder line never hands a file to the restart, which would delete it; a folder that does
    // not exist yet is scheduled all the same, and goes only if it is made and empty by then.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    DeleteAtRestart(path);
}

// The kinds that the first pass acts on, in the replay's order.
std::vector<const wchar_t*> KindsToReplay(const wchar_t* kind) {
    std::vector<const wchar_t*> kinds;
    for (const wchar_t* fileKind : kFileKinds)
        if (kind == nullptr || *kind == L'\0' || std::wcscmp(kind, fileKind) == 0) kinds.push_back(fileKind);
    return kinds;
}

}  // namespace

void RemoveLinksAndMadeDirs(const std::wstring& logPath) {
    LogReader log(logPath);
    if (!log.IsOpen()) return;
    std::wstring line;
    std::wstring rest;

    // Shortcuts first, so that the group folders are empty when their turn comes.
    while (log.NextLine(line))
        if (TakePrefix(line, kShellLink, rest) && IsUsableFullPath(rest)) DeleteFileW(rest.c_str());

    log.Rewind();
    while (log.NextLine(line)) {
        if (!TakePrefix(line, kMadeDir, rest) || !IsUsableFullPath(rest)) continue;
        // Up through the parents that this leaves empty; the first that still holds something
        // (the start menu's programs folder, a maker folder shared with another product) ends it.
        for (std::wstring current = rest; !current.empty() && !IsBareDrive(current); current = ParentFolder(current))
            if (!RemoveDirectoryW(current.c_str())) break;
    }
}

void ReplayLog(const std::wstring& logPath, const std::wstring& folder, const wchar_t* kind) {
    const std::vector<const wchar_t*> kinds = KindsToReplay(kind);
    LogReader log(logPath);
    if (!log.IsOpen()) return;
    const std::wstring parent = ParentFolder(folder);
    std::wstring line;
    std::wstring rest;

    // Every file before any folder, so that a folder is empty when it is attempted.
    while (log.NextLine(line)) {
        for (const wchar_t* fileKind : kinds) {
            if (!TakePrefix(line, fileKind, rest)) continue;
            const bool portable = std::wcscmp(fileKind, kFileCopyPrt) == 0;
            DeleteNamedFiles(portable ? parent : folder, FileSpecificationOf(line, fileKind));
            break;
        }
    }

    // In the order of the log: a folder listed before its own subfolder is not empty yet and is
    // left to the restart, which removes it after the subfolder.
    log.Rewind();
    while (log.NextLine(line))
        if (TakePrefix(line, kMakeDir, rest)) RemovePayloadFolder(folder, rest);
}
