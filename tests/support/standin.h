// The stand-in product started by a test, with the log of what happened to it.
#pragma once

#include "support/test_support.h"

#include <string>
#include <vector>

namespace glt::test {

class StandIn {
public:
    // Starts exe (by default the stand-in Glintr7.exe) with its log in the folder.
    bool Start(const TempDir& folder, const std::wstring& logName, const std::wstring& options = L"",
               const std::wstring& exe = L"");
    // Waits until its main window exists (its "ready" line is written).
    bool WaitReady(DWORD timeoutMs = 15000) const;
    // The events of its log ("added 123", "close-request", ...), without the process ID.
    std::vector<std::wstring> Events() const;
    bool Has(const std::wstring& event) const;

    ChildProcess process;

private:
    std::wstring log_;
};

}  // namespace glt::test
