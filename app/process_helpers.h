// Small operations that the installer and the uninstaller share: starting programs, reading a
// product's version, telling which Windows runs, privileges, and the damaged-payload stop.
#pragma once

#include "framework/message_box.h"  // LoadResString belongs to this group too

#include <windows.h>

#include <string>

// Starts the command line in the working folder (none: installDir of the options, or this
// process's own folder while installDir is empty as well) and waits up to timeoutMs for it to
// end (0: not at all). A program still running at the time-out goes on running. Nonzero when
// the program was started. A command line longer than 519 characters, or one with a zero
// character inside, is refused: nothing is started and the result is 0.
BOOL RunProgram(const std::wstring& commandLine, const std::wstring& workingFolder = {}, DWORD timeoutMs = 0);

// Fills productVersion of the options from the file's fixed file version; 0.0.0.0 when the
// file is missing or has no version information.
void ReadProductVersion(const std::wstring& path);

// From osVersion of the options: 6.2 or later.
bool IsWindows8OrLater();

// Whether the setup runs on 64-bit Windows: always in the 64-bit build; in the 32-bit build
// the answer of the looked-up IsWow64Process, false when it is missing.
bool IsWow64();

// What a 32-bit process learns from the given IsWow64Process (which may be null) about
// itself; the call's own result is not examined.
bool Wow64ProcessAnswer(BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL));

// Enables or disables one privilege of the token (opened with TOKEN_ADJUST_PRIVILEGES). True
// only when its state was changed as asked: false when the looked-up entry points are
// missing, the name is unknown, the adjustment fails or the token lacks the privilege.
bool EnablePrivilege(HANDLE token, const std::wstring& name, bool enable);

// Shows message 18, opens the maker's web site and ends the process with exit code 1
// through the normal exit, so that static objects (the instance list entry) go.
[[noreturn]] void AbortDamagedPayload();
