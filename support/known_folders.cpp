#include "support/known_folders.h"

#include "support/registry.h"

#include <windows.h>
#include <shlobj.h>

namespace {

struct FallbackEntry {
    int csidl;
    const wchar_t* valueName;
    bool allUsers;  // a flag, not the HKEY: the table stays constant-initialised
};

constexpr FallbackEntry kFallbacks[] = {
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

}  // namespace

std::wstring GetKnownFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return buffer;
    return KnownFolderFallback(csidl);
}

std::wstring KnownFolderFallback(int csidl) {
    for (const FallbackEntry& entry : kFallbacks) {
        if (entry.csidl != csidl) continue;
        HKEY root = entry.allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        return ReadRegString(root, kShellFoldersKey, entry.valueName);
    }
    return ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, nullptr);
}
