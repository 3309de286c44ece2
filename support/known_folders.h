// The shell's special folders, by CSIDL number, for the current user or for all users.
#pragma once

#include <string>

// Where the shell's own list of folders is kept; read when the shell cannot say.
inline constexpr const wchar_t* kShellFoldersKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The folder as the shell reports it (created if it does not exist yet), else the fallback
// below; empty when neither knows it.
std::wstring GetKnownFolder(int csidl);

// The value of the "Shell Folders" key that stands for the folder: under HKEY_CURRENT_USER
// for the user's folders, under HKEY_LOCAL_MACHINE for all users' folders. A CSIDL outside
// the known ones reads the key's default value under HKEY_CURRENT_USER, normally empty.
std::wstring KnownFolderFallback(int csidl);
