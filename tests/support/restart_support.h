// What the tests of work handed to the next restart need: files held in use by another
// process, the system's list of pending operations, "WININIT.INI", and the restart itself.
#pragma once

#include "support/test_support.h"

#include <string>
#include <vector>

namespace glt::test {

// Keeps files open without FILE_SHARE_DELETE from another process (testkit's file_holder.exe):
// they can be neither deleted nor moved until Release.
class FileHolder {
public:
    // Starts the holder and waits until every file is really held.
    bool Hold(const std::vector<std::wstring>& paths);
    void Release();

private:
    ChildProcess process_;
};

// Whether another program can delete the file now.
bool IsDeletionBlocked(const std::wstring& path);

// One entry of PendingFileRenameOperations, with the "\??\" of its names taken off.
// newPath is empty for a deletion; a leading "!" (replace an existing file) is kept.
struct PendingOperation {
    std::wstring path;
    std::wstring newPath;
    bool operator==(const PendingOperation&) const = default;
};

// Every pending operation of the machine, in the order they will be carried out.
std::vector<PendingOperation> ReadPendingOperations();
// Those whose names lie inside folder (compared without regard to case), in order.
std::vector<PendingOperation> PendingOperationsIn(const std::wstring& folder);

// The Windows folder's "WININIT.INI".
std::wstring WininitPath();
// Its lines, decoded from UTF-16 (with its mark) or the ANSI code page; empty when missing.
std::vector<std::wstring> ReadWininitLines();
// Its bytes, and whether it exists.
bool ReadWininitBytes(std::string& bytes);

// A simulated restart of Windows ("wineboot.exe -r"): carries out the pending operations and
// the "rename" section of "WININIT.INI". True when it ran to its end.
bool RunRestart();

}  // namespace glt::test
