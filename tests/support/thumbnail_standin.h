// The stand-in thumbnail handler of the test kit (GltThumbStandIn.dll) and what it recorded.
#pragma once

#include <string>
#include <vector>

namespace glt::test {

// build/win64/testkit/GltThumbStandIn.dll
std::wstring ThumbnailStandIn();

// Environment variables the stand-in reads: the file its records go to (else "<dll>.log"),
// and a pause before each record.
inline constexpr const wchar_t* kThumbnailLogVariable = L"GLT_THUMBNAIL_LOG";
inline constexpr const wchar_t* kThumbnailDelayVariable = L"GLT_THUMBNAIL_DELAY_MS";

struct ThumbnailRecord {
    std::wstring event;        // "register" or "unregister"
    std::wstring module;       // the path the library was loaded from
    std::wstring folder;       // the current folder of the registering process
    std::wstring commandLine;  // the whole command line of the registering process
};

// The records of the log, oldest first; none when it does not exist.
std::vector<ThumbnailRecord> ReadThumbnailRecords(const std::wstring& logPath);

}  // namespace glt::test
