#include "instances/close_running_instances.h"

#include "instances/instance_list.h"
#include "product/product_names.h"

#include <cwchar>
#include <vector>

namespace {

// Vista and later name the image directly; older systems only through the status library.
bool ProcessImagePath(HANDLE process, wchar_t* buffer, DWORD size) {
    using QueryFullName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
    using ImageFileName = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD);
    static auto queryFullName = reinterpret_cast<QueryFullName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "QueryFullProcessImageNameW")));
    if (queryFullName) {
        DWORD length = size;
        if (queryFullName(process, 0, buffer, &length) && length > 0) return true;
    }
    static HMODULE psapi = LoadLibraryW(L"psapi.dll");
    static auto imageFileName = psapi ? reinterpret_cast<ImageFileName>(reinterpret_cast<void*>(
                                            GetProcAddress(psapi, "GetProcessImageFileNameW")))
                                      : nullptr;
    return imageFileName && imageFileName(process, buffer, size) > 0;
}

HANDLE OpenForTermination(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    return process;
}

}  // namespace

bool IsProductProcess(HANDLE process) {
    wchar_t path[1024] = {};
    if (!ProcessImagePath(process, path, static_cast<DWORD>(std::size(path)))) return false;
    const wchar_t* name = wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    return _wcsicmp(name, product::kProductExe) == 0;
}

void CloseRunningInstances(int n) { CloseRunningInstances(g_instanceManager, n); }

void CloseRunningInstances(COXInstanceManager& list, int n) {
    std::vector<DWORD> instances;
    if (!list.GetInstanceList(instances)) return;
    const DWORD self = GetCurrentProcessId();
    for (int i = 0; i < n - 1 && static_cast<size_t>(i) < instances.size(); ++i) {
        DWORD id = instances[i];
        if (id == self) continue;
        // A listed ID may have ended long ago and been given to another program, and other
        // copies of the setup are listed too: only the product itself is closed.
        HANDLE process = OpenForTermination(id);
        bool product = process && IsProductProcess(process);
        if (product) {
            if (HWND window = COXInstanceManager::FindInstanceWindow(id))
                PostMessageW(window, WM_CLOSE, product::kCloseRequestCode, 0);
        }
        Sleep(10);
        if (product) TerminateProcess(process, 0);
        if (process) CloseHandle(process);
    }
}
