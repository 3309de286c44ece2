#include "app/system_entry_points.h"

namespace {

template <class Pointer>
void LookUp(Pointer& target, HMODULE module, const char* name) {
    target = module ? reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

SystemEntryPoints LookUpEntryPoints() {
    SystemEntryPoints points;
    HMODULE advapi = GetModuleHandleA("Advapi32.dll");
    LookUp(points.lookupPrivilegeValue, advapi, "LookupPrivilegeValueW");
    LookUp(points.adjustTokenPrivileges, advapi, "AdjustTokenPrivileges");
    LookUp(points.openProcessToken, advapi, "OpenProcessToken");
    LookUp(points.isWow64Process, GetModuleHandleW(L"kernel32"), "IsWow64Process");
    return points;
}

bool ReadOsVersion(OSVERSIONINFOW& version) {
    version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    return GetVersionExW(&version) != 0;
}
