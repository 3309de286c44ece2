// Copying one file into place, also over a file that is in use: what cannot be deleted is moved
// aside, and what cannot even be moved is exchanged at the next restart of Windows.
#pragma once

#include <string>

// Copies fromFolder\name to toFolder\newName (toFolder\name when newName is empty). Either
// folder may end with "\" or "/". True when the file is in place under that name, or when there
// was nothing to do (the same folder without a new name, or source and target being one file);
// false when the source is missing or the copy failed. Creates no folder.
//
// A target that cannot be deleted is moved to target.old (target.old2 when an earlier target.old
// cannot be deleted either), which is deleted at the next restart. A target that cannot be moved
// either gets the new file beside it as target.new; its deletion and then the rename of
// target.new onto it are scheduled for the restart, which sets g_options.restartNeeded. Within
// one folder (a new name, same folders) a target that cannot be deleted is left as it is, and
// the result is true. Paths longer than 259 characters are refused with false, untouched.
bool CopyOneFile(const std::wstring& name, const std::wstring& fromFolder, const std::wstring& toFolder,
                 const std::wstring& newName = {});
