// GltThumbStandIn.dll: stands in for the product's thumbnail handler, copied into payloads as
// "ThumbDgl32.dll", "ThumbDglXP32.dll" or "x64\ThumbDgl64.dll". It draws nothing; it records
// every registration and unregistration, so that tests can see what regsvr32 was asked to do.
//
// One UTF-8 line per event, appended to the file named by the environment variable
// GLT_THUMBNAIL_LOG, else to "<its own path>.log":
//   <event> TAB <its own path> TAB <current folder> TAB <command line of the process>
// with the event "register" or "unregister". The environment variable GLT_THUMBNAIL_DELAY_MS
// makes either call wait that long first, for tests of callers that must not wait for it.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

HMODULE g_module = nullptr;

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HRESULT Record(const wchar_t* event) {
    const std::wstring delay = Variable(L"GLT_THUMBNAIL_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));

    wchar_t module[MAX_PATH * 2] = {};
    GetModuleFileNameW(g_module, module, MAX_PATH * 2);
    wchar_t folder[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, folder);
    std::wstring log = Variable(L"GLT_THUMBNAIL_LOG");
    if (log.empty()) log = std::wstring(module) + L".log";

    const std::wstring text = std::wstring(event) + L"\t" + module + L"\t" + folder + L"\t" + GetCommandLineW();
    const std::string line = Utf8(text) + "\n";
    // Appending in one write: a reader sees whole lines, and two registering processes do not
    // mix their lines.
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size() ? S_OK : E_FAIL;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Exported undecorated, as regsvr32 looks them up, through thumbnail_standin.def.
extern "C" HRESULT WINAPI DllRegisterServer() { return Record(L"register"); }
extern "C" HRESULT WINAPI DllUnregisterServer() { return Record(L"unregister"); }
extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_OK; }
extern "C" HRESULT WINAPI DllGetClassObject(const CLSID&, const IID&, void** object) {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
