#include "install/copy_one_file.h"

#include "support/paths.h"
#include "uninstall/deferred_operations.h"

#include <windows.h>

#include <io.h>
#include <wchar.h>

namespace {

// The longest suffix a target may get while it is in use: ".old" and "2".
constexpr size_t kLongestSuffixChars = 5;

std::wstring WithSeparator(const std::wstring& folder) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder;
    return folder + L'\\';
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Copy(const std::wstring& source, const std::wstring& target) {
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE;
}

void ClearReadOnlyAndHidden(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(),
                       attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

// The path as the system resolves it: "/" read as a backslash, "." and ".." applied, and short
// names made long where the file exists.
std::wstring CanonicalPath(const std::wstring& path) {
    std::wstring full = path;
    if (const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr)) {
        std::wstring buffer(needed, L'\0');
        const DWORD length = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
        if (length > 0 && length < needed) full = buffer.substr(0, length);
    }
    if (const DWORD needed = GetLongPathNameW(full.c_str(), nullptr, 0)) {
        std::wstring buffer(needed, L'\0');
        const DWORD length = GetLongPathNameW(full.c_str(), buffer.data(), needed);
        if (length > 0 && length < needed) full = buffer.substr(0, length);
    }
    return full;
}

// Source and target spelt differently may still be one file: deleting the target would then
// delete the only copy of the source.
bool SameFile(const std::wstring& source, const std::wstring& target) {
    return _wcsicmp(CanonicalPath(source).c_str(), CanonicalPath(target).c_str()) == 0;
}

}  // namespace

bool CopyOneFile(const std::wstring& name, const std::wstring& fromFolder, const std::wstring& toFolder,
                 const std::wstring& newName) {
    const std::wstring fromPath = WithSeparator(fromFolder);
    const std::wstring toPath = WithSeparator(toFolder);
    const bool sameFolder = _wcsicmp(fromPath.c_str(), toPath.c_str()) == 0;
    const bool renamed = !newName.empty();
    if (sameFolder && !renamed) return true;

    const std::wstring source = fromPath + name;
    const std::wstring target = toPath + (renamed ? newName : name);
    if (!FitsPath(source) || !FitsPath(target)) return false;
    // Most files of an installation are new: one call puts them in place. It fails when the
    // target is there already or the source is not, and the longer way below decides.
    if (CopyFileW(source.c_str(), target.c_str(), TRUE)) return true;
    if (_waccess(source.c_str(), 0) != 0) return false;
    // Only an existing target can be the source itself; resolving both paths is costly, so a
    // fresh installation skips it.
    const bool targetExists = Exists(target);
    if (targetExists && SameFile(source, target)) return true;
    if (!targetExists) return Copy(source, target);

    // A copy under another name beside the original keeps a target it cannot delete.
    if (sameFolder) return DeleteFileW(target.c_str()) ? Copy(source, target) : true;

    ClearReadOnlyAndHidden(target);
    if (DeleteFileW(target.c_str())) return Copy(source, target);

    // The target is in use. Its aside names must fit as well, or nothing is moved at all.
    if (target.size() + kLongestSuffixChars > kMaxPathChars) return false;

    // A running program or a loaded library can still be renamed within its folder.
    std::wstring old = target + L".old";
    if (Exists(old) && !DeleteFileW(old.c_str())) {
        DeleteAtRestart(old);
        old += L'2';
        DeleteFileW(old.c_str());
    }
    if (MoveFileW(target.c_str(), old.c_str())) {
        DeleteAtRestart(old);
        return Copy(source, target);
    }

    // Neither deletable nor movable: the restart exchanges the files. The target's deletion is
    // scheduled only once its replacement is staged, so that the restart never takes the old
    // file without putting the new one in its place; it comes first, to make room for the rename.
    const std::wstring staged = target + L".new";
    DeleteFileW(staged.c_str());
    if (Copy(source, staged)) {
        DeleteAtRestart(target);
        RenameAtRestart(staged, target);
    }
    return Copy(source, target);
}
