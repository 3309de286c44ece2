// Folders laid out from a list of relative paths, and read back the same way: a payload folder
// with its list, an installation folder as the copy left it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace glt::test {

// A relative path with its content; a path ending in "\" is an (empty) folder.
struct TreeEntry {
    std::wstring path;
    std::string content;
};

// Makes every entry below folder (made too if missing), with the folders above each as needed.
bool LayOutTree(const std::wstring& folder, const std::vector<TreeEntry>& entries);

// Writes the lines as an 8-bit text file, each followed by lineEnd.
bool WriteLines(const std::wstring& path, const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n");

// A payload folder: the entries, and the list "GltUnInst.log" made of the lines.
bool BuildPayload(const std::wstring& folder, const std::vector<TreeEntry>& entries,
                  const std::vector<std::string>& listLines);

// Everything below folder: relative path to content, folders with a trailing "\" and no content.
std::map<std::wstring, std::string> ReadTree(const std::wstring& folder);

}  // namespace glt::test
