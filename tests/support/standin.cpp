#include "support/standin.h"

#include <cstdio>

namespace glt::test {

bool StandIn::Start(const TempDir& folder, const std::wstring& logName, const std::wstring& options,
                    const std::wstring& exe) {
    log_ = folder.Path(logName);
    std::wstring program = exe.empty() ? TestkitExe(L"Glintr7.exe") : exe;
    return process.Start(Quote(program) + L" -log " + Quote(log_) + L" " + options, folder.path());
}

bool StandIn::WaitReady(DWORD timeoutMs) const {
    return WaitUntil([&] {
        for (const auto& e : Events())
            if (e.rfind(L"ready ", 0) == 0) return true;
        return false;
    }, timeoutMs);
}

std::vector<std::wstring> StandIn::Events() const {
    std::vector<std::wstring> events;
    FILE* f = _wfopen(log_.c_str(), L"r");
    if (!f) return events;
    wchar_t line[1024];
    while (fgetws(line, 1024, f)) {
        std::wstring text = line;
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        size_t space = text.find(L' ');
        events.push_back(space == std::wstring::npos ? text : text.substr(space + 1));
    }
    fclose(f);
    return events;
}

bool StandIn::Has(const std::wstring& event) const {
    for (const auto& e : Events())
        if (e == event) return true;
    return false;
}

}  // namespace glt::test
