#include "install/system_registration.h"

#include "app/process_helpers.h"
#include "app/setup_options.h"
#include "product/product_names.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/registry.h"

#include <cwchar>
#include <utility>

namespace {

constexpr size_t kVersionChars = 128;

// The uninstall entry's version texts are formatted into 128 characters; the widest possible
// one, "65535.65535.65535", fits with room to spare.
std::wstring DisplayVersion(const ProductVersion& v) {
    wchar_t buffer[kVersionChars] = {};
    const int length = std::swprintf(buffer, kVersionChars, L"%d.%02d.%02d", static_cast<int>(v.major),
                                     static_cast<int>(v.minor), static_cast<int>(v.build));
    return length < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(length));
}

std::wstring Decimal(unsigned number) {
    wchar_t buffer[kVersionChars] = {};
    const int length = std::swprintf(buffer, kVersionChars, L"%d", static_cast<int>(number));
    return length < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(length));
}

RegistrationValue Text(HKEY root, const std::wstring& subkey, const wchar_t* name, std::wstring text) {
    RegistrationValue value;
    value.root = root;
    value.subkey = subkey;
    value.name = name;
    value.type = REG_SZ;
    value.text = std::move(text);
    return value;
}

RegistrationValue Number(HKEY root, const std::wstring& subkey, const wchar_t* name, DWORD number) {
    RegistrationValue value;
    value.root = root;
    value.subkey = subkey;
    value.name = name;
    value.type = REG_DWORD;
    value.number = number;
    return value;
}

}  // namespace

std::wstring OpenCommand(const std::wstring& installDir) {
    return L"\"" + JoinPath(installDir, product::kProductExe) + L"\" \"%1\"";
}

std::vector<RegistrationValue> RegistrationValues() {
    const SetupOptions& o = g_options;
    const std::wstring& dir = o.installDir;
    const std::wstring command = OpenCommand(dir);
    const HKEY machine = HKEY_LOCAL_MACHINE;
    const HKEY classes = HKEY_CLASSES_ROOT;

    std::vector<RegistrationValue> values;
    values.push_back(Text(machine, product::kProductKey, L"AllUsers", o.installType == InstallAllUsers ? L"B" : L"A"));
    values.push_back(Text(machine, product::kProductKey, L"Path", dir));

    values.push_back(Text(classes, kProgIdCommandKey, nullptr, command));

    // Chosen once for the whole list.
    const wchar_t* association = IsWindows8OrLater() ? kAssociationWindows8 : kAssociationEarlier;
    for (const wchar_t* extension : kImageExtensions)
        values.push_back(Text(machine, kFileAssociationsKey, extension, association));

    values.push_back(Text(machine, kRegisteredApplicationsKey, product::kProgId, kCapabilitiesKey));

    values.push_back(Text(machine, kAppPathsKey, nullptr, JoinPath(dir, product::kProductExe)));
    values.push_back(Text(machine, kAppPathsKey, L"Path", dir));

    const ProductVersion& v = o.productVersion;
    values.push_back(Text(machine, kUninstallEntryKey, L"Contact", L"Support"));
    values.push_back(Text(machine, kUninstallEntryKey, L"DisplayName", LoadResString(IDS_PRODUCT_NAME)));
    values.push_back(Text(machine, kUninstallEntryKey, L"InstallLocation", dir));
    values.push_back(Text(machine, kUninstallEntryKey, L"DisplayVersion", DisplayVersion(v)));
    values.push_back(Text(machine, kUninstallEntryKey, L"VersionMajor", Decimal(v.major)));
    values.push_back(Text(machine, kUninstallEntryKey, L"VersionMinor", Decimal(v.minor)));
    values.push_back(Number(machine, kUninstallEntryKey, L"MajorVersion", v.major));
    values.push_back(Number(machine, kUninstallEntryKey, L"MinorVersion", v.minor));
    values.push_back(Text(machine, kUninstallEntryKey, L"Publisher", product::kPublisher));
    values.push_back(Text(machine, kUninstallEntryKey, L"UninstallString", JoinPath(dir, product::kUninstallerExe)));
    values.push_back(Text(machine, kUninstallEntryKey, L"URLInfoAbout", product::kMakerSite));

    values.push_back(Text(classes, kOpenWithCommandKey, nullptr, command));
    return values;
}

std::wstring ThumbnailLibrary(bool windows64, DWORD osMajorVersion, const std::wstring& installDir) {
    const bool vistaOrLater = osMajorVersion >= 6;
    if (windows64) return vistaOrLater ? JoinPath(installDir, product::kThumb64) : std::wstring();
    return JoinPath(installDir, vistaOrLater ? product::kThumb32 : product::kThumbXP32);
}

void WriteRegistrationValues() {
    for (const RegistrationValue& value : RegistrationValues()) {
        if (value.type == REG_DWORD)
            WriteRegDword(value.root, value.subkey, value.name, value.number);
        else
            WriteRegString(value.root, value.subkey, value.name, value.text);
    }
}

void RegisterThumbnailHandler() {
    const std::wstring library =
        ThumbnailLibrary(IsWow64(), g_options.osVersion.dwMajorVersion, g_options.installDir);
    if (library.size() <= 4) return;
    RunProgram(L"regsvr32.exe /s \"" + library + L"\"", g_options.installDir, 0);
}

void RegisterWithSystem() {
    if (g_options.installType == InstallPortable || g_options.installDir.empty()) return;
    WriteRegistrationValues();
    RegisterThumbnailHandler();
}
