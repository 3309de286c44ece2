// Shell links, and the program group with the product's shortcuts that an installation makes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

// The longest target and link path that CreateShortcut takes (buffers of 512 and 260).
inline constexpr size_t kMaxShortcutTargetChars = 511;
inline constexpr size_t kMaxShortcutLinkPathChars = 259;

// Writes the shell link linkPath that opens target (one leading and one trailing double quote
// are removed). showCommand 1 leaves the shell's default; arguments and workingFolder may be
// null for none. Initialises COM on the first call and leaves it so. A failing SetPath or
// SetDescription shows its message box, in every user-interface mode, and the link is still
// saved. Returns the result of the save; only a saved link gets its "Shell Link: " line in the
// installation log of installDir. A target longer than kMaxShortcutTargetChars or a link path
// longer than kMaxShortcutLinkPathChars is refused whole: nothing is written, shown or logged,
// and the result is HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE).
HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath, const std::wstring& description,
                       int showCommand, const wchar_t* arguments, const wchar_t* workingFolder);

// The group name as the program group is made from it: every "/" turned into a backslash,
// then blanks, tabs, CR, LF and backslashes removed from both ends. Inner separators stay, so
// "Outils\Glintora 7" names two levels.
std::wstring NormaliseGroupName(std::wstring name);

// A shell folder by CSIDL number, as GetKnownFolder gives it.
using KnownFolderLookup = std::function<std::wstring(int csidl)>;

// The install sequence's program group and shortcuts, from g_options: for an all-users or a
// current-user installation, the group folder below the programs folder (with its levels and
// its "Made Dir: " line), the product and help shortcuts in it when the folder exists, then the
// desktop shortcut (desktopIcon) and the start-up shortcut (autoStart). An all-users
// installation whose common programs folder has fewer than 4 characters becomes a current-user
// one (installType changes). groupName is normalised in place. A portable installation gets
// nothing. A folder of fewer than 4 characters (none, or a bare drive) is never used: without a
// programs folder there is no group and no "Made Dir: " line, without a desktop or start-up
// folder no shortcut there.
void CreateProgramGroupAndShortcuts(const KnownFolderLookup& knownFolder);
// The same with the shell's folders (GetKnownFolder).
void CreateProgramGroupAndShortcuts();
