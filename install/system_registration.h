// Making a normal installation known to Windows: the product's own key, its open commands,
// the image types it can handle, its application path, its uninstall entry, and the thumbnail
// handler of its documents. The uninstallation removes the same keys and walks the same list
// of image types.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

// The image types declared as the product's capabilities, in the order in which they are
// registered; the last one is the product's own document format.
inline constexpr std::array<const wchar_t*, 14> kImageExtensions = {
    L".bmp", L".dib", L".gif", L".jpg", L".jpeg", L".tif", L".tiff",
    L".png", L".cmp", L".tga", L".wpg", L".jp2", L".j2k", L".dgl",
};

// Keys under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kCapabilitiesKey = L"SOFTWARE\\Morvane\\Glintora 7\\Capabilities";
inline constexpr const wchar_t* kFileAssociationsKey = L"SOFTWARE\\Morvane\\Glintora 7\\Capabilities\\FileAssociations";
inline constexpr const wchar_t* kRegisteredApplicationsKey = L"SOFTWARE\\RegisteredApplications";
inline constexpr const wchar_t* kAppPathsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Glintr7.exe";
inline constexpr const wchar_t* kUninstallEntryKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Glintora 7";
// Keys under HKEY_CLASSES_ROOT: the product's ProgID and the shell's open-with entry.
inline constexpr const wchar_t* kProgIdCommandKey = L"Glintora.7\\shell\\open\\command";
inline constexpr const wchar_t* kOpenWithCommandKey = L"Applications\\Glintr7.exe\\shell\\open\\command";

// What each image type is associated with: the ProgID from Windows 8 on, the open-with entry
// before.
inline constexpr const wchar_t* kAssociationWindows8 = L"Glintora.7";
inline constexpr const wchar_t* kAssociationEarlier = L"Applications\\Glintr7.exe";

// One value that the registration writes.
struct RegistrationValue {
    HKEY root = nullptr;
    std::wstring subkey;
    const wchar_t* name = nullptr;  // null: the key's default value
    DWORD type = REG_SZ;            // REG_SZ or REG_DWORD
    std::wstring text;              // the data of a REG_SZ value
    DWORD number = 0;               // the data of a REG_DWORD value
};

// Every value of the registration, in the order in which it is written, made from the options
// as they stand now: installDir, installType, productVersion, and osVersion (through
// IsWindows8OrLater) for the associations.
std::vector<RegistrationValue> RegistrationValues();

// The quoted program in the folder, a blank and the quoted placeholder: "<folder>\Glintr7.exe" "%1".
std::wstring OpenCommand(const std::wstring& installDir);

// The thumbnail handler library of an installation in installDir (with or without a trailing
// backslash) on a system of that kind: x64\ThumbDgl64.dll on 64-bit Windows 6 or later,
// nothing (empty) on 64-bit Windows before 6, ThumbDgl32.dll on 32-bit Windows 6 or later and
// ThumbDglXP32.dll on 32-bit Windows before 6. The uninstallation unregisters by the same rule.
std::wstring ThumbnailLibrary(bool windows64, DWORD osMajorVersion, const std::wstring& installDir);

// Writes RegistrationValues() in their order; a value that cannot be written is skipped.
void WriteRegistrationValues();

// Starts "regsvr32.exe /s" on the library chosen for this system (IsWow64, the major version
// of osVersion) in installDir, working folder installDir, and does not wait for it; its
// outcome is not examined. Nothing is started when no library applies.
void RegisterThumbnailHandler();

// The install sequence's registration step: the values, then the thumbnail handler. A portable
// installation, or options without an installation folder, register nothing.
void RegisterWithSystem();
