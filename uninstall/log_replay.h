// Undoing what a log records: the setup's shortcuts and program group outside the installation
// folder, and the payload inside it. A log that cannot be opened changes nothing.
#pragma once

#include <string>

// Deletes the file of every "Shell Link: " line, then removes the folder of every "Made Dir: "
// line and each parent folder that this leaves empty, up to the first one that cannot go.
// Nothing is scheduled for the restart: what cannot be removed now is left as it is. Lines whose
// path is not absolute, or longer than 259 characters, are skipped.
void RemoveLinksAndMadeDirs(const std::wstring& logPath);

// Deletes every file that the file lines of the log name, relative to folder (for
// "File Copy prt: " lines, relative to its parent), then removes the folder of every
// "Make Dir: " line; what cannot go now is scheduled for the restart. kind restricts the file
// lines to that one kind; nullptr or an empty text means all six file kinds, and any other kind
// acts on no file line. The "Make Dir: " lines are replayed whatever the kind. A line that would
// reach outside its base folder, or that names nothing, is skipped.
void ReplayLog(const std::wstring& logPath, const std::wstring& folder, const wchar_t* kind = nullptr);
