// Where an earlier installation of this major version lives, and where a new one goes.
#pragma once

#include <string>

// The folder recorded by an earlier installation, without a trailing backslash: the product
// key's "Path", else the folder of the App Paths command. Empty when none is recorded; the
// folder's existence is not checked.
std::wstring FindExistingInstallation();

// The system's program files folder, without a trailing backslash: "ProgramFilesDir", else
// "Program Files" on the drive of the Windows folder.
std::wstring DefaultProgramFolder();
