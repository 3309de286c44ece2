#include "app/process_helpers.h"

#include "app/setup_options.h"
#include "app/system_entry_points.h"
#include "product/product_names.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Every caller builds its command from one path and a short fixed text; a longer one is a
// mistake, and starting it cut would run something else.
constexpr size_t kCommandLineChars = 520;

}  // namespace

BOOL RunProgram(const std::wstring& commandLine, const std::wstring& workingFolder, DWORD timeoutMs) {
    if (commandLine.size() >= kCommandLineChars || commandLine.find(L'\0') != std::wstring::npos) return 0;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    // CreateProcessW may write into its command line.
    wchar_t buffer[kCommandLineChars] = {};
    commandLine.copy(buffer, commandLine.size());

    const std::wstring& folder = workingFolder.empty() ? g_options.installDir : workingFolder;
    const BOOL started = CreateProcessW(nullptr, buffer, nullptr, nullptr, FALSE, 0, nullptr,
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (!started) return 0;
    if (timeoutMs != 0) WaitForSingleObject(process.hProcess, timeoutMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return started;
}

void ReadProductVersion(const std::wstring& path) {
    ProductVersion& version = g_options.productVersion;
    version = {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return;
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &found, &length) || found == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(found);
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.build = HIWORD(fixed->dwFileVersionLS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
}

bool IsWindows8OrLater() {
    const DWORD major = g_options.osVersion.dwMajorVersion;
    const DWORD minor = g_options.osVersion.dwMinorVersion;
    return major > 6 || (major == 6 && minor >= 2);
}

bool Wow64ProcessAnswer(BOOL(WINAPI* isWow64Process)(HANDLE, PBOOL)) {
    if (isWow64Process == nullptr) return false;
    BOOL wow64 = FALSE;
    isWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

bool IsWow64() {
#ifdef _WIN64
    // A 64-bit setup runs on 64-bit Windows by definition; IsWow64Process would say false.
    return true;
#else
    return Wow64ProcessAnswer(g_entryPoints.isWow64Process);
#endif
}

bool EnablePrivilege(HANDLE token, const std::wstring& name, bool enable) {
    if (g_entryPoints.lookupPrivilegeValue == nullptr || g_entryPoints.adjustTokenPrivileges == nullptr)
        return false;
    // A windowed program has no console: these lines are seen only when someone gives it one.
    LUID luid = {};
    if (!g_entryPoints.lookupPrivilegeValue(nullptr, name.c_str(), &luid)) {
        std::printf("LookupPrivilegeValue error: %lu\n", GetLastError());
        return false;
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    // The missing privilege is told only by the last error of a successful call.
    SetLastError(ERROR_SUCCESS);
    if (!g_entryPoints.adjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr)) {
        std::printf("AdjustTokenPrivileges error: %lu\n", GetLastError());
        return false;
    }
    if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        std::printf("The token does not have the specified privilege. \n");
        return false;
    }
    return true;
}

void AbortDamagedPayload() {
    AfxMessageBox(IDS_DAMAGED_PAYLOAD, MB_ICONERROR);
    ShellExecuteW(nullptr, L"open", product::kMakerSite, nullptr, nullptr, SW_SHOW);
    std::exit(1);
}
