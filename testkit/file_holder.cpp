// Holds the files named on its command line open without FILE_SHARE_DELETE, as a program that
// uses them would: they can be neither deleted nor moved until it ends. Ends by itself after
// five minutes, so that a forgotten holder never outlives a test run for long.
#include <windows.h>

#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<HANDLE> held;
    for (int i = 1; i < argc; ++i) {
        HANDLE h = CreateFileW(argv[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 2;
        held.push_back(h);
    }
    Sleep(5 * 60 * 1000);
    for (HANDLE h : held) CloseHandle(h);
    return 0;
}
