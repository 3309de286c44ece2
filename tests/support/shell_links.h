// Shell links read back as the shell sees them, the links found below a folder, and the lines
// of an installation log.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace glt::test {

struct ShellLinkContents {
    std::wstring target;  // the path as stored, not resolved
    std::wstring workingFolder;
    std::wstring arguments;
    std::wstring description;
    int showCommand = 0;  // from the file itself; -1 when its header is not that of a link
};

// Loads the link through IShellLinkW and IPersistFile; none when it cannot be loaded. Leaves
// the thread's COM state as it found it.
std::optional<ShellLinkContents> ReadShellLink(const std::wstring& path);

// Every ".lnk" file below folder, subfolders included, as full paths in sorted order.
std::vector<std::wstring> FindLinks(const std::wstring& folder);

// The log's lines, each byte taken as the character of that code. Every line must end with
// CR LF: a last line without one comes back with "<no line end>" appended, so that it shows.
std::vector<std::wstring> ReadLogLines(const std::wstring& path);

}  // namespace glt::test
