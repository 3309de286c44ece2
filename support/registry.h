// Single registry values. A null value name stands for the key's default value. No view
// flags are passed: each build sees its own default view of the software keys.
#pragma once

#include <windows.h>

#include <string>

// The value's data as text, up to its first zero character, whatever its type. Empty when the
// key cannot be opened, the value is missing, or it does not fit 260 characters with its
// terminating zero (259 characters are read whole, 260 or more read as empty).
std::wstring ReadRegString(HKEY root, const std::wstring& subkey, const wchar_t* valueName);

// Store a REG_SZ (terminating zero included) or a REG_DWORD value, creating the subkey and
// every missing key above it. True when the value was stored.
bool WriteRegString(HKEY root, const std::wstring& subkey, const wchar_t* valueName, const std::wstring& text);
bool WriteRegDword(HKEY root, const std::wstring& subkey, const wchar_t* valueName, DWORD value);
