// Stand-in for the product program "Glintr7.exe", for tests and the demo. It does what the
// setup relies on: a version resource, -regonly and -unregonly, an entry in the shared list
// of running instances, an unowned main window whose title begins with "Glintora", and the
// close request WM_CLOSE with wParam 1001. It records what happens to it in a log file.
//
// Options for tests:
//   -log <file>      append events to <file> (default: the variable GLT_STANDIN_LOG, else none)
//   -title <text>    main window title (default "Glintora 7 (stand-in)")
//   -ignoreclose     record the close request but keep running
//   -noregister      do not enter the shared list
//   -decoys          add top-level windows that must not count as the main window
//   -nomain          no main window, only the decoys
#include "instances/instance_list.h"
#include "product/product_names.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

namespace {

std::wstring g_log;
bool g_ignoreClose = false;
int g_exitCode = 0;

void Record(const std::wstring& event) {
    if (g_log.empty()) return;
    FILE* f = _wfopen(g_log.c_str(), L"a");
    if (!f) return;
    fwprintf(f, L"%lu %ls\n", GetCurrentProcessId(), event.c_str());
    fclose(f);
}

std::wstring Hex(UINT_PTR value) {
    wchar_t text[32];
    swprintf(text, 32, L"%llx", static_cast<unsigned long long>(value));
    return text;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case InstanceAddedMessage:
        Record(L"added " + std::to_wstring(static_cast<DWORD>(lp)));
        return 0;
    case InstanceRemovedMessage:
        Record(L"removed " + std::to_wstring(static_cast<DWORD>(lp)));
        return 0;
    case WM_CLOSE:
        if (wp == product::kCloseRequestCode) {
            Record(L"close-request");
            if (g_ignoreClose) return 0;
            g_exitCode = static_cast<int>(product::kCloseRequestCode);
        } else {
            Record(L"close");
        }
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(g_exitCode);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wp, lp);
}

HWND MakeWindow(const wchar_t* title, DWORD exStyle, HWND owner) {
    return CreateWindowExW(exStyle, L"GlintoraStandIn", title, WS_OVERLAPPEDWINDOW, 10, 10, 320, 200, owner,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The document type that the product registers for itself and removes again.
void Register(const std::wstring& exe) {
    HKEY key = nullptr;
    if (RegCreateKeyW(HKEY_CLASSES_ROOT, L"GT7.Document\\shell\\open\\command", &key) == ERROR_SUCCESS) {
        std::wstring command = L"\"" + exe + L"\" \"%1\"";
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    Record(L"regonly");
}

void Unregister() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"GT7.Document");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"GT7.Document");
    Record(L"unregonly");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    std::wstring title = L"Glintora 7 (stand-in)";
    bool registerSelf = true, decoys = false, mainWindow = true;
    bool regOnly = false, unregOnly = false;
    if (const wchar_t* log = _wgetenv(L"GLT_STANDIN_LOG")) g_log = log;
    for (int i = 1; i < __argc; ++i) {
        std::wstring arg = __wargv[i];
        bool hasValue = i + 1 < __argc;
        if (arg == L"-log" && hasValue) g_log = __wargv[++i];
        else if (arg == L"-title" && hasValue) title = __wargv[++i];
        else if (arg == L"-ignoreclose") g_ignoreClose = true;
        else if (arg == L"-noregister") registerSelf = false;
        else if (arg == L"-decoys") decoys = true;
        else if (arg == L"-nomain") mainWindow = false;
        else if (arg == product::kRegisterOnly) regOnly = true;
        else if (arg == product::kUnregisterOnly) unregOnly = true;
    }

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    Record(std::wstring(L"started in ") + folder);
    if (regOnly) {
        Register(exe);
        return 0;
    }
    if (unregOnly) {
        Unregister();
        return 0;
    }

    // Listed for as long as the program runs; a normal exit leaves the list.
    auto list = std::make_unique<COXInstanceManager>(product::kInstanceListName,
                                                     product::kInstanceAdditionalDataSize, registerSelf);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"GlintoraStandIn";
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);

    HWND main = nullptr;
    if (mainWindow) {
        main = MakeWindow(title.c_str(), 0, nullptr);
        ShowWindow(main, SW_SHOWNOACTIVATE);
    }
    if (decoys) {
        HWND anchor = MakeWindow(L"Plain anchor", 0, nullptr);
        MakeWindow(L"Glintora owned", 0, anchor);
        MakeWindow(L"Glintora tool", WS_EX_TOOLWINDOW, nullptr);
        MakeWindow(L"OleMainThreadWndName", 0, nullptr);
        MakeWindow(L"DDE Server Window", 0, nullptr);
    }
    Record(L"ready " + Hex(reinterpret_cast<UINT_PTR>(main)));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    list.reset();
    Record(L"exit");
    return static_cast<int>(msg.wParam);
}
