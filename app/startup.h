// The decisions that start-up takes from the command line and the program's own file name.
#pragma once

#include <string>

enum class SetupRole { Installer, Uninstaller, FinishUninstall };

// The mode scan: "-v" gives interactive and stops, "-sconf" gives silent-finish and stops,
// "-s" sets the silent flag; the mode starts silent.
int ScanUiMode(int argc, const wchar_t* const* argv, bool& silentFlag);

// "-delself" and a path make the final clean-up phase; "-install" or a program file whose
// path contains "setup.exe" make the installer; anything else the uninstaller.
SetupRole DecideRole(int argc, const wchar_t* const* argv, const std::wstring& modulePath);

// The installer and the final clean-up phase are interactive unless "-s" or "-sconf" was seen
// before the scan stopped; the uninstaller keeps the scanned mode.
int SettleUiMode(SetupRole role, int scannedMode, bool silentFlag);

// Whether the installer skips its question about closing other instances: "-s" or "/s"
// anywhere after the first argument.
bool CloseQuestionSuppressed(int argc, const wchar_t* const* argv);
