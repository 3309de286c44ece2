// Records how it was started, for tests of programs that start other programs (or open an
// address through the shell): writes its process ID, current folder, whole command line and
// arguments to a file, then optionally keeps running for a while.
//
//   command_recorder.exe <record file> [-wait <ms>] [arguments...]
//
// The record is UTF-8, one "key=value" line each: pid, dir, cmd, then one arg line for every
// argument after the record file (and after -wait <ms>). It is written under another name and
// renamed, so a reader never sees half of it.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: command_recorder <record file> [-wait <ms>] [arguments...]\n");
        return 2;
    }
    const std::wstring record = argv[1];
    int first = 2;
    DWORD waitMs = 0;
    if (argc > 3 && std::wcscmp(argv[2], L"-wait") == 0) {
        waitMs = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
        first = 4;
    }

    wchar_t folder[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, folder);
    std::wstring text = L"pid=" + std::to_wstring(GetCurrentProcessId()) + L"\n";
    text += L"dir=" + std::wstring(folder) + L"\n";
    text += L"cmd=" + std::wstring(GetCommandLineW()) + L"\n";
    for (int i = first; i < argc; ++i) text += L"arg=" + std::wstring(argv[i]) + L"\n";

    const std::wstring partial = record + L".partial";
    FILE* f = _wfopen(partial.c_str(), L"wb");
    if (!f) return 3;
    const std::string bytes = Utf8(text);
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0 || !written || !MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 3;

    if (waitMs) Sleep(waitMs);
    return 0;
}
