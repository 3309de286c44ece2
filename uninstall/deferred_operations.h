// Work handed to the next restart of Windows: what is in use now is deleted or renamed then.
// The system's own list of pending operations is always tried first; the "rename" section of
// "WININIT.INI" takes what the system refuses.
#pragma once

#include <string>

// Schedules one file, or one folder, for deletion at the next restart. A folder goes only if it
// is empty by then. The caller is not told whether the scheduling worked.
void DeleteAtRestart(const std::wstring& path);

// Schedules existingPath to take the name newPath at the next restart (a file still called
// newPath then makes it fail: schedule its deletion first). Sets g_options.restartNeeded to
// whether the rename was registered; the latest call decides.
void RenameAtRestart(const std::wstring& existingPath, const std::wstring& newPath);

// Deletes every entry of folder that matches pattern ("*" and "?" in its last component, which
// may follow subfolder names) and schedules every entry that cannot be deleted now. Read-only and
// hidden files are deleted like any other. When the pattern matches "." the searched folder is
// scheduled too, after what it holds; ".." is never touched. An entry whose path would exceed
// 259 characters is left alone, and so is everything when the search path would. Returns the
// number of entries deleted at once.
int DeleteMatchingFiles(const std::wstring& folder, const std::wstring& pattern);

// Appends "key=value" to the "rename" section of "WININIT.INI" in the Windows folder, after the
// entries already there: "NUL" and a path delete that path, a new path and the existing path
// rename. Returns whether the section was written. Nothing is written when the section and the
// new entry would not fit one block of 16384 characters, when either side is empty or does not
// fit one line of the file, when the key holds "=", or when the file exists in the ANSI code
// page and that cannot hold every character of the entry (a missing file is begun in UTF-16).
bool ScheduleInWininit(const std::wstring& key, const std::wstring& value);
