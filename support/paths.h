// Folders and the paths made from them. Folders are held without a trailing backslash.
#pragma once

#include <string>

// The path without its last component: one trailing backslash is ignored, a trailing "/" is
// not. Empty for a null path, for a path without a backslash and for a path whose only
// backslash is its first character (C:\ gives empty, C:\Glintora 7 gives C:).
std::wstring ParentFolder(const wchar_t* path);
std::wstring ParentFolder(const std::wstring& path);

// folder + "\" + name, without doubling a separator the folder already ends with ("\" or "/").
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// Paths are at most 259 characters (buffers of 260).
inline constexpr size_t kMaxPathChars = 259;

// Within the limit and without a NUL: the system stops a path at a NUL, so such a path would
// name another, shorter one.
bool FitsPath(const std::wstring& path);
