#include "support/registry.h"

#include <cwchar>

namespace {

constexpr DWORD kValueChars = 260;  // a path and its terminating zero

bool WriteValue(HKEY root, const std::wstring& subkey, const wchar_t* valueName, DWORD type, const BYTE* data,
                DWORD bytes) {
    // RegCreateKeyExW, not RegCreateKeyW: for an empty subkey the older call may hand back the
    // caller's own handle, which must not be closed here.
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool stored = RegSetValueExW(key, valueName, 0, type, data, bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

}  // namespace

std::wstring ReadRegString(HKEY root, const std::wstring& subkey, const wchar_t* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    // One spare character: data stored without its terminating zero still ends in one.
    wchar_t buffer[kValueChars + 1] = {};
    DWORD bytes = kValueChars * sizeof(wchar_t);
    const LSTATUS status =
        RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return {};
    const size_t length = wcsnlen(buffer, bytes / sizeof(wchar_t));
    // 260 characters without a zero would not have fitted the buffer with one.
    if (length >= kValueChars) return {};
    return std::wstring(buffer, length);
}

bool WriteRegString(HKEY root, const std::wstring& subkey, const wchar_t* valueName, const std::wstring& text) {
    return WriteValue(root, subkey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool WriteRegDword(HKEY root, const std::wstring& subkey, const wchar_t* valueName, DWORD value) {
    return WriteValue(root, subkey, valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}
