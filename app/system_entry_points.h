// Entry points looked up by name at start-up, so that the setup still starts on systems
// that lack them; a missing one is null.
#pragma once

#include <windows.h>

struct SystemEntryPoints {
    BOOL(WINAPI* lookupPrivilegeValue)(LPCWSTR, LPCWSTR, PLUID) = nullptr;
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) = nullptr;
    BOOL(WINAPI* openProcessToken)(HANDLE, DWORD, PHANDLE) = nullptr;
    BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL) = nullptr;
};

SystemEntryPoints LookUpEntryPoints();

// Fills the record once with the size of OSVERSIONINFOW; returns the call's success.
bool ReadOsVersion(OSVERSIONINFOW& version);

extern SystemEntryPoints g_entryPoints;
