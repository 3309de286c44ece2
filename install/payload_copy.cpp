#include "install/payload_copy.h"

#include "app/process_helpers.h"
#include "app/setup_options.h"
#include "install/copy_one_file.h"
#include "support/paths.h"
#include "uninstall/installation_log.h"

#include <windows.h>

#include <algorithm>

namespace {

std::wstring Backslashed(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Creates folder and every missing folder above it. A failure is mostly a folder that exists.
void MakeFolders(std::wstring folder) {
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    while (!folder.empty() && (IsBlank(folder.back()) || folder.back() == L'\\')) folder.pop_back();
    // Leading backslashes stay: without them a network path "\\server\share\..." would become a
    // path relative to the current folder.
    size_t start = 0;
    while (start < folder.size() && IsBlank(folder[start])) ++start;
    folder.erase(0, start);
    for (size_t at = folder.find(L'\\', 1); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
}

// Whether the system's own library search finds the library without the payload's copy, which
// the setup's folder (searched first) would otherwise offer.
bool SystemLoadsLibrary(const std::wstring& name) {
    if (name.empty() || name.find(L'\0') != std::wstring::npos) return false;
    const std::wstring sourcePath = JoinPath(g_options.sourceDir, name);
    const std::wstring hiddenPath = sourcePath + L".toinst";
    const bool hidden = FitsPath(hiddenPath) && MoveFileW(sourcePath.c_str(), hiddenPath.c_str());

    // A damaged image must not stop a silent installation with a system error box.
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(name.c_str());
    SetErrorMode(errorMode);

    if (hidden) MoveFileW(hiddenPath.c_str(), sourcePath.c_str());
    if (module == nullptr) return false;
    FreeLibrary(module);
    return true;
}

void CopyEntry(const std::wstring& operand, const std::wstring& destinationFolder) {
    const FileSpecification fileSpec = SplitFileSpecification(operand);
    if (fileSpec.hasDestination)
        CopyOneFile(fileSpec.source, g_options.sourceDir, destinationFolder, fileSpec.destination);
    else
        CopyMatchingFiles(operand, g_options.sourceDir, destinationFolder);
}

void MakeOneFolder(const std::wstring& path) {
    if (FitsPath(path)) CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

void CopyPayload(const std::wstring& listPath) { CopyPayload(listPath, IsWow64()); }

void CopyPayload(const std::wstring& listPath, bool onWow64) {
    LogReader list(listPath);
    if (!list.IsOpen()) return;
    // An empty folder would turn every destination into a path on the current drive's root.
    const std::wstring installDir = g_options.installDir;
    if (installDir.empty() || g_options.sourceDir.empty()) return;
    const bool portable = g_options.installType == InstallPortable;
    const std::wstring parentDir = ParentFolder(installDir);

    std::wstring line, operand;
    while (list.NextLine(line)) {
        if (TakePrefix(line, kFileCopy, operand)) {
            CopyEntry(operand, installDir);
        } else if (TakePrefix(line, kFileCopyX64, operand)) {
            if (onWow64 || portable) CopyEntry(operand, installDir);
        } else if (TakePrefix(line, kFileCopyPrt, operand)) {
            // A drive's root has no folder above it to take the entry.
            if (portable && !parentDir.empty()) CopyEntry(operand, parentDir);
        } else if (TakePrefix(line, kFileCopyInd, operand)) {
            if (portable || !SystemLoadsLibrary(SplitFileSpecification(operand).source)) CopyEntry(operand, installDir);
        } else if (TakePrefix(line, kMakeDir, operand)) {
            MakeOneFolder(JoinPath(installDir, operand));
        }
    }
}

int CopyMatchingFiles(const std::wstring& pattern, const std::wstring& fromFolder, const std::wstring& toFolder) {
    const std::wstring normalised = Backslashed(pattern);
    const std::wstring searchPath = JoinPath(fromFolder, normalised);

    // The destination folder that corresponds to the pattern's own subfolder, with its backslash.
    std::wstring targetFolder = Backslashed(toFolder);
    if (targetFolder.empty() || targetFolder.back() != L'\\') targetFolder += L'\\';
    targetFolder += normalised;
    targetFolder.erase(targetFolder.rfind(L'\\') + 1);
    if (!FitsPath(searchPath) || !FitsPath(targetFolder)) return 0;

    const std::wstring sourceFolder =
        normalised.find(L'\\') == std::wstring::npos ? fromFolder : searchPath.substr(0, searchPath.rfind(L'\\'));

    // A plain name needs no search, which costs half as much as the copy itself: the one file
    // is there or not.
    const std::wstring lastName = normalised.substr(normalised.rfind(L'\\') + 1);
    if (lastName.find_first_of(L"*?") == std::wstring::npos) {
        const DWORD attributes = GetFileAttributesW(searchPath.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
        MakeFolders(targetFolder);
        return CopyOneFile(lastName, sourceFolder, targetFolder) ? 1 : 0;
    }

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(searchPath.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int copied = 0;
    bool targetMade = false;
    do {
        // A matching folder (".", ".." included) is no file to copy; the files after it still are.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!targetMade) {
            MakeFolders(targetFolder);
            targetMade = true;
        }
        if (!CopyOneFile(data.cFileName, sourceFolder, targetFolder)) break;
        ++copied;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return copied;
}
