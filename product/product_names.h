// The fixed names, options and addresses that the setup shares with the product, its payload
// and the self-extracting archive. Everything here is defined once; the resource script reads
// the narrow macros, the code the wide constants.
#pragma once

#define GLT_MAKER_SITE_A "http://www.morvane.com"

#ifndef RC_INVOKED

namespace product {

// Maker and product.
inline constexpr const wchar_t* kMakerName = L"Morvane";
inline constexpr const wchar_t* kPublisher = L"Morvane Technology LLC";
inline constexpr const wchar_t* kMakerSite = L"" GLT_MAKER_SITE_A;
inline constexpr const wchar_t* kMakerSiteHost = L"www.morvane.com";
inline constexpr const wchar_t* kFinishPagePath = L"/gtqx/InstScript.asp";
inline constexpr const wchar_t* kProductName = L"Glintora 7";  // product key, uninstall entry, group, folder
inline constexpr const wchar_t* kWindowTitlePrefix = L"Glintora";

// Files of the product and the payload.
inline constexpr const wchar_t* kProductExe = L"Glintr7.exe";
inline constexpr const wchar_t* kOlderProductExe5 = L"Glintr5.exe";
inline constexpr const wchar_t* kOlderProductExe6 = L"Glintr6.exe";
inline constexpr const wchar_t* kHelpFile = L"Glintr7Man.chm";
inline constexpr const wchar_t* kUninstallerExe = L"GltUnInst.exe";
inline constexpr const wchar_t* kInstallLog = L"GltUnInst.log";
inline constexpr const wchar_t* kLegacyLog = L"install.log";
inline constexpr const wchar_t* kAgreementFile = L"agreement.txt";
inline constexpr const wchar_t* kHomePageFile = L"HomePage.url";
inline constexpr const wchar_t* kCarriedIni = L"Glintr7.ini";
inline constexpr const wchar_t* kCarriedReg = L"Glintr7.reg";
inline constexpr const wchar_t* kStartupLinkName = L"Glintora 7.lnk";
inline constexpr const wchar_t* kThumbXP32 = L"ThumbDglXP32.dll";
inline constexpr const wchar_t* kThumb32 = L"ThumbDgl32.dll";
inline constexpr const wchar_t* kThumb64 = L"x64\\ThumbDgl64.dll";
inline constexpr const wchar_t* kX64Folder = L"x64";
inline constexpr const wchar_t* kSfxNameVariable = L"sfxname";

// The product's own options.
inline constexpr const wchar_t* kRegisterOnly = L"-regonly";
inline constexpr const wchar_t* kUnregisterOnly = L"-unregonly";

// Registry names.
inline constexpr const wchar_t* kProductKey = L"SOFTWARE\\Morvane\\Glintora 7";
inline constexpr const wchar_t* kProgId = L"Glintora.7";
inline constexpr const wchar_t* kDocumentProgId = L"GT7.Document";
inline constexpr const wchar_t* kSavedChoiceValue = L"GlintrOld";

// The shared list of running instances and the close request.
inline constexpr const wchar_t* kInstanceListName = L"Morvane.Glintora-QX.v4";
inline constexpr unsigned kInstanceAdditionalDataSize = 1024;
inline constexpr unsigned kCloseRequestCode = 1001;  // wParam of WM_CLOSE

}  // namespace product

#endif
