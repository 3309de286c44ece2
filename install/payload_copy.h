// Copying the payload as its list, the payload log, names it.
#pragma once

#include <string>

// Reads the list (the payload's "GltUnInst.log") from top to bottom and copies every entry that
// applies from g_options.sourceDir into g_options.installDir:
//   "File Copy: "      always;
//   "File Copy x64: "  on 64-bit Windows (IsWow64) or for a portable installation;
//   "File Copy prt: "  for a portable installation only, into the folder above installDir;
//   "File Copy ind: "  for a portable installation always, otherwise only when the system cannot
//                      load the library already (LoadLibraryW of the name as listed, with the
//                      payload's copy renamed to name + ".toinst" meanwhile and always back);
//   "Make Dir: "       creates installDir\<operand>, one level only.
// Every other line is ignored. An entry "source > destination" copies one file under a new name
// (no folder is made for it); an entry without ">" is a pattern copied by CopyMatchingFiles.
// What cannot be copied is skipped silently. A list that cannot be opened, or options without
// either folder, copy nothing.
void CopyPayload(const std::wstring& listPath);
// The same with the answer to "does this run on 64-bit Windows" given.
void CopyPayload(const std::wstring& listPath, bool onWow64);

// Copies every file of fromFolder that matches pattern ("*" and "?" in its last component, which
// may follow subfolder names) into the corresponding subfolder of toFolder, creating that
// subfolder and those above it when the first file is copied. "/" in the pattern counts as "\".
// Folders that match are skipped; the first file that cannot be copied ends the walk. Returns the
// number of files copied (a file already in place counts too). Nothing matched, nothing made.
int CopyMatchingFiles(const std::wstring& pattern, const std::wstring& fromFolder, const std::wstring& toFolder);
