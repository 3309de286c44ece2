// The install driver: settles the options for one installation, asks what the versions call
// for, refuses a damaged payload, installs, and starts the product or restarts Windows.
#pragma once

#include <string>

// 0 after a completed run (also after a restart was requested), 1 when the user declined a
// version question or cancelled the wizard. exitCode, when given, receives the process exit
// code that the run deserves. Does not return for a damaged payload.
int RunInstaller(int* exitCode = nullptr);

// ((major × 100 + minor) × 100 + build) × 100 + revision, as an unsigned 32-bit number.
unsigned VersionNumber(unsigned major, unsigned minor, unsigned build, unsigned revision);

// The program group recorded by an earlier installation's log ("Shell Link: " lines below the
// programs folder and outside the start-up folder); fallback when the log names none.
std::wstring GroupFromEarlierLog(const std::wstring& logPath, const std::wstring& programsFolder,
                                 const std::wstring& startupFolder, const std::wstring& fallback);
