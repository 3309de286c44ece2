#include "support/thumbnail_standin.h"

#include "support/test_support.h"

#include <windows.h>

#include <cstdio>

namespace glt::test {

namespace {

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

}  // namespace

std::wstring ThumbnailStandIn() { return TestkitExe(L"GltThumbStandIn.dll"); }

std::vector<ThumbnailRecord> ReadThumbnailRecords(const std::wstring& logPath) {
    std::vector<ThumbnailRecord> records;
    FILE* f = _wfopen(logPath.c_str(), L"rb");
    if (!f) return records;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    fclose(f);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::wstring line = Wide(text.substr(start, end - start));
        // Three tabs: the command line comes last and may itself hold tabs.
        std::vector<std::wstring> fields;
        size_t from = 0;
        for (int i = 0; i < 3; ++i) {
            const size_t tab = line.find(L'\t', from);
            if (tab == std::wstring::npos) break;
            fields.push_back(line.substr(from, tab - from));
            from = tab + 1;
        }
        if (fields.size() != 3) continue;
        records.push_back({fields[0], fields[1], fields[2], line.substr(from)});
    }
    return records;
}

}  // namespace glt::test
