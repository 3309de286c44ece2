// The compiled resource script, read back from this program's own module (the resources are
// linked into every test program): the texts of the string table and of the dialog templates
// must arrive exactly as the design writes them, accents, typographic apostrophes, quotes,
// format placeholders and line feeds included. The expected texts use \u escapes so that
// they do not depend on the encoding of this source.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "product/product_names.h"

namespace {

HINSTANCE OwnModule() { return GetModuleHandleW(nullptr); }

struct StringCase {
    UINT id;
    const wchar_t* text;
};

// Every numbered string of the design, by the design's numbers.
const StringCase kStrings[] = {
    {57344, L"Glintora - Installation"},
    {1, L"Glintora 7"},
    {2, L"Glintora - Installation"},
    {3, L"Glintora"},
    {4, L"%d instances d'Glintora sont actuellement ouvertes. Si vous cliquez sur \"Oui\", le programme d'installation tentera de les fermer sans enregistrer le travail en cours. \n\nPoursuivre l'installation ?"},
    {6, L"Ceci aura pour effet de compl\u00e8tement d\u00e9sinstaller Glintora 7.\nSouhaitez-vous continuer ?"},
    {7, L"Veuillez accepter l'accord de licence"},
    {8, L"&Terminer >"},
    {9, L"Glintora 7 a \u00e9t\u00e9 correctement install\u00e9."},
    {10, L"Cliquez sur le bouton Terminer pour quitter cette installation."},
    {11, L"Voulez-vous vraiment annuler l'installation d'Glintora 7 ?"},
    {12, L"S\u00e9lectionnez le dossier dans lequel Glintora 7 doit \u00eatre install\u00e9."},
    {13, L"Le nom de dossier saisi est incorrect. Merci de le corriger.\nSi vous souhaitez cr\u00e9er un nouveau dossier, s\u00e9lectionnez son dossier parent et cliquez sur le bouton \"Cr\u00e9er un nouveau dossier\"."},
    {14, L"Glintora ver. 7 ne peut \u00eatre install\u00e9 dans le m\u00eame dossier qu'une version ant\u00e9rieure. Veuillez s\u00e9lectionner un autre dossier."},
    {15, L"L'installation d'Glintora a \u00e9t\u00e9 interrompue. Veuillez fermer manuellement les autres instances d'Glintora, sans oublier d'enregistrer votre travail, puis relancez l'installation."},
    {16, L"Glintora v. %d.%02d.%02d.%02d est d\u00e9j\u00e0 install\u00e9 sur cet ordinateur. Vous tentez d'installer la version ant\u00e9rieure n\u00b0 %d.%02d.%02d.%02d .\n\nSouhaitez-vous vraiment continuer ?"},
    {17, L"Glintora ver. %d.%02d.%02d.%02d est d\u00e9j\u00e0 install\u00e9 sur cet ordinateur.\n\nSouhaitez-vous lancer \u00e0 nouveau cette installation pour s\u00e9lectionner d'autres options ou r\u00e9parer les fichiers ?"},
    {18, L"Les fichiers d'installation sont endommag\u00e9s - l'installation est interrompue.\n\nVeuillez \u00e0 nouveau t\u00e9l\u00e9charger le produit depuis "
         GLT_MAKER_SITE_A L" et red\u00e9marrer l'installation."},
    {19, L"Ce dossier contient d\u00e9j\u00e0 une version ant\u00e9rieure d'Glintora 7. Pour proc\u00e9der \u00e0 une mise \u00e0 jour ou r\u00e9installer cette version, merci de ne pas changer le dossier de destination."},
    {20, L"Glintora 7 a \u00e9t\u00e9 compl\u00e8tement d\u00e9sinstall\u00e9 de cet ordinateur.\n\nSi certains fichiers n'ont pas encore \u00e9t\u00e9 supprim\u00e9s, ils le seront au prochain red\u00e9marrage de votre ordinateur."},
    {21, L"Oui"},
    {22, L"Non"},
    {23, L"Erreur : Veuillez entrer un nom de groupe valide, de 3 lettres minimum."},
    {24, L"Erreur : Impossible de cr\u00e9er les raccourcis dans ce groupe, veuillez choisir un autre nom."},
    {26, L"Cliquez sur le bouton Parcourir puis s\u00e9lectionnez un dossier sur le disque amovible, la cl\u00e9 USB ou le disque r\u00e9seau."},
    {27, L"Veuillez tout d\u2019abord cliquer sur le bouton Parcourir puis s\u00e9lectionner le dossier pour l\u2019installation portable."},
    {28, L"Pour d\u00e9marrer la version portable d'Glintora, double-cliquez sur l'ic\u00f4ne 'StartGT7' disponible ici :\n%s"},
    {30, L"Il est n\u00e9cessaire de red\u00e9marrer votre ordinateur avant de pouvoir utiliser ce produit - il risque de ne pas fonctionner correctement dans le cas contraire."},
    {31, L"Red\u00e9marrer l\u2019ordinateur lorsque je cliquerai sur \"Terminer\""},
    {33, L"Une instance d'Glintora est actuellement ouverte. Si vous cliquez sur \"Oui\", le programme d'installation tentera de la fermer sans enregistrer le travail en cours. \n\nPoursuivre l'installation ?"},
    {101, L"Aide d'Glintora 7"},
};

TEST(StringTable, EveryTextArrivesIntact) {
    for (const StringCase& c : kStrings) {
        SCOPED_TRACE(testing::Message() << "string " << c.id);
        const std::wstring expected = c.text;
        // With a zero-size buffer LoadStringW reports the stored length, which no buffer cuts.
        const wchar_t* stored = nullptr;
        const int storedLength = LoadStringW(OwnModule(), c.id, reinterpret_cast<LPWSTR>(&stored), 0);
        std::vector<wchar_t> buffer(4096, L'\0');
        const int length = LoadStringW(OwnModule(), c.id, buffer.data(), static_cast<int>(buffer.size()));
        EXPECT_EQ(storedLength, static_cast<int>(expected.size()));
        ASSERT_EQ(length, static_cast<int>(expected.size()));
        EXPECT_EQ(std::wstring(buffer.data(), static_cast<size_t>(length)), expected);
    }
}

BOOL CALLBACK CollectStringBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

TEST(StringTable, HoldsTheDesignsStringsAndNoOthers) {
    // Strings are stored in blocks of 16; block n holds the numbers (n - 1) * 16 to n * 16 - 1.
    std::vector<UINT> blocks;
    ASSERT_TRUE(EnumResourceNamesW(OwnModule(), RT_STRING, CollectStringBlock, reinterpret_cast<LONG_PTR>(&blocks)));
    std::set<UINT> present;
    for (UINT block : blocks) {
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            const wchar_t* stored = nullptr;
            if (LoadStringW(OwnModule(), id, reinterpret_cast<LPWSTR>(&stored), 0) > 0) present.insert(id);
        }
    }
    std::set<UINT> expected;
    for (const StringCase& c : kStrings) expected.insert(c.id);
    EXPECT_EQ(present, expected);
}

// The header of a DLGTEMPLATEEX, as stored in the module.
struct TemplateHeader {
    DWORD style = 0;
    int cx = 0;
    int cy = 0;
    int pointSize = 0;
    std::wstring face;
};

const WORD* SkipNameOrOrdinal(const WORD* p) {
    if (*p == 0xFFFF) return p + 2;
    while (*p != 0) ++p;
    return p + 1;
}

bool ReadTemplateHeader(int id, TemplateHeader* header) {
    HRSRC found = FindResourceW(OwnModule(), MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(OwnModule(), found);
    const auto* p = static_cast<const WORD*>(LockResource(loaded));
    if (p == nullptr || p[0] != 1 || p[1] != 0xFFFF) return false;  // dlgVer 1, signature
    DWORD style = 0;
    std::memcpy(&style, p + 6, sizeof style);  // after helpID and exStyle
    header->style = style;
    header->cx = static_cast<short>(p[11]);
    header->cy = static_cast<short>(p[12]);
    p = SkipNameOrOrdinal(p + 13);  // menu
    p = SkipNameOrOrdinal(p);       // window class
    while (*p != 0) ++p;            // caption
    ++p;
    if (style & DS_SETFONT) {
        header->pointSize = p[0];
        header->face = reinterpret_cast<const wchar_t*>(p + 3);  // after weight, italic and charset
    }
    return true;
}

struct ControlCase {
    int id;
    const wchar_t* className;
    const wchar_t* text;  // nullptr: not compared
    int x, y, cx, cy;     // dialog units
    DWORD typeMask;       // BS_TYPEMASK, SS_TYPEMASK or 0
    DWORD type;
    DWORD required;
    DWORD forbidden;
    int slack;  // pixels by which the control may size itself, or kSizedByPicture
};

struct TemplateCase {
    int id;
    const wchar_t* caption;
    int cx, cy;
    DWORD required, forbidden;
    std::vector<ControlCase> controls;  // in template (Z and tab) order
};

constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kPageStyle = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_SETFONT;
constexpr DWORD kBt = 0x0F;  // BS_TYPEMASK
constexpr DWORD kSt = SS_TYPEMASK;
constexpr int kSizedByPicture = -1;  // a bitmap static takes the size of its picture
constexpr int kEtchedEdge = 2;       // an etched line adjusts its own size by an edge

const std::vector<TemplateCase>& Templates() {
    static const std::vector<TemplateCase> templates = {
        {103, L"Glintora - Installation", 318, 204, kFrameStyle, WS_VISIBLE | WS_CHILD, {
            {3, L"Button", L"< &Pr\u00e9c\u00e9dent", 147, 184, 50, 14, kBt, BS_PUSHBUTTON, WS_GROUP | WS_TABSTOP | WS_VISIBLE, 0, 0},
            {1, L"Button", L"&Suivant >", 202, 184, 50, 14, kBt, BS_DEFPUSHBUTTON, WS_TABSTOP | WS_VISIBLE, 0, 0},
            {2, L"Button", L"Annuler", 257, 184, 50, 14, kBt, BS_PUSHBUTTON, WS_TABSTOP | WS_VISIBLE, 0, 0},
            {1002, L"Static", nullptr, 11, 8, 81, 161, kSt, SS_BITMAP, SS_SUNKEN, WS_VISIBLE, kSizedByPicture},
            {-1, L"Static", L"", 11, 176, 296, 1, kSt, SS_ETCHEDHORZ, WS_VISIBLE, 0, kEtchedEdge},
        }},
        {104, nullptr, 313, 174, kPageStyle, WS_VISIBLE | WS_POPUP, {
            {1000, L"Edit", L"", 0, 0, 313, 155, 0, 0, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE, 0, 0},
            {-1, L"Static", L"Acceptez-vous cet accord ?", 2, 160, 306, 10, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
        }},
        {105, nullptr, 217, 161, kPageStyle, WS_VISIBLE | WS_POPUP, {
            {-1, L"Static", L"Bienvenue dans le programme d'installation d'Glintora 7 !\nIl va installer Glintora sur votre ordinateur.", 5, 0, 207, 28, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {-1, L"Static", L"Veuillez cliquer sur le bouton \"Suivant >\" pour continuer l'installation ou sur \"Annuler\" pour l'interrompre.", 5, 32, 207, 18, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1003, L"Static", L"%s ver. %d.%02d.%02d %s\nCopyright \u00a9 2006-%d Morvane Technology LLC.\nTous droits r\u00e9serv\u00e9s.", 18, 72, 191, 25, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {-1, L"Static", L"" GLT_MAKER_SITE_A, 18, 100, 191, 10, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
        }},
        {106, nullptr, 217, 163, kPageStyle, WS_VISIBLE | WS_POPUP, {
            {-1, L"Static", L"Veuillez s\u00e9lectionner le type d'installation d'Glintora 7 :", 5, 0, 207, 10, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1001, L"Button", L"Installer pour l'utilisateur actuel uniquement", 8, 12, 205, 9, kBt, BS_AUTORADIOBUTTON, WS_GROUP | WS_TABSTOP | BS_MULTILINE | WS_VISIBLE, 0, 0},
            {1002, L"Button", L"Installer pour tous les utilisateurs de cet ordinateur\n(vous devez disposer des droits d'administration pour r\u00e9aliser ce type d'installation)", 8, 23, 205, 26, kBt, BS_AUTORADIOBUTTON, BS_MULTILINE | BS_TOP | WS_VISIBLE, WS_GROUP | WS_TABSTOP, 0},
            {1003, L"Button", L"Cr\u00e9er une installation portable sur un disque amovible ou r\u00e9seau", 8, 54, 205, 19, kBt, BS_AUTORADIOBUTTON, BS_MULTILINE | BS_TOP | WS_VISIBLE, WS_GROUP | WS_TABSTOP, 0},
            {-1, L"Button", L"Dossier de destination", 5, 82, 207, 51, kBt, BS_GROUPBOX, WS_GROUP | WS_VISIBLE, 0, 0},
            {1013, L"Static", L"Static", 11, 93, 197, 17, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1005, L"Button", L"Par&courir...", 134, 112, 71, 16, kBt, BS_PUSHBUTTON, WS_TABSTOP | WS_VISIBLE, 0, 0},
            {1006, L"Static", L"Pour installer dans un autre dossier, cliquez sur le bouton Parcourir puis s\u00e9lectionnez le dossier.", 5, 133, 205, 27, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
        }},
        {107, nullptr, 217, 163, kPageStyle, WS_VISIBLE | WS_POPUP, {
            {-1, L"Static", L"Entrez le nom du groupe dans lequel les ic\u00f4nes d'Glintora doivent \u00eatre ajout\u00e9es :", 5, 28, 207, 17, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1008, L"Button", L"Lancer Glintora au d\u00e9marrage de Windows", 5, 88, 207, 10, kBt, BS_AUTOCHECKBOX, BS_MULTILINE | WS_TABSTOP | WS_VISIBLE, 0, 0},
            {1009, L"Button", L"Ajouter l'ic\u00f4ne d'Glintora sur le bureau", 5, 99, 207, 10, kBt, BS_AUTOCHECKBOX, BS_MULTILINE | WS_TABSTOP | WS_VISIBLE, 0, 0},
            {1000, L"Edit", L"", 3, 48, 211, 12, 0, 0, ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE, ES_MULTILINE | ES_READONLY, 0},
        }},
        {108, nullptr, 217, 163, kPageStyle, WS_VISIBLE | WS_POPUP, {
            {1010, L"Static", L"Vous \u00eates maintenant pr\u00eat \u00e0 installer Glintora 7.", 5, 0, 207, 16, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1011, L"Static", L"Cliquez sur le bouton Suivant pour commerncer l'installation ou sur le bouton Pr\u00e9c\u00e9dent pour modifier vos choix.", 5, 19, 207, 28, kSt, SS_LEFT, WS_VISIBLE, 0, 0},
            {1009, L"Static", L"Glintora 7 est en cours d'installation, veuillez patienter...", 5, 80, 207, 30, kSt, SS_CENTER, 0, WS_VISIBLE, 0},
            {1012, L"Button", L"Lancer Glintora 7", 5, 66, 206, 11, kBt, BS_AUTOCHECKBOX, BS_MULTILINE | WS_TABSTOP, WS_VISIBLE, 0},
        }},
    };
    return templates;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;  // not even WM_INITDIALOG: no control gets the focus, no default button moves
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

RECT DialogUnits(HWND dialog, int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    MapDialogRect(dialog, &r);
    return r;
}

// A hidden top-level window that the child pages are created in, as the frame would hold them.
class HiddenParent {
public:
    HiddenParent() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = OwnModule();
        wc.lpszClassName = L"GltResourcesTestParent";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                                  nullptr, nullptr, OwnModule(), nullptr);
    }
    ~HiddenParent() { DestroyWindow(window_); }
    HiddenParent(const HiddenParent&) = delete;
    HiddenParent& operator=(const HiddenParent&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

void CheckControl(HWND dialog, HWND control, const ControlCase& c) {
    SCOPED_TRACE(testing::Message() << "control " << c.id << " at " << c.x << "," << c.y);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(control)), c.id);
    EXPECT_EQ(CompareStringOrdinal(ClassOf(control).c_str(), -1, c.className, -1, TRUE), CSTR_EQUAL)
        << "class " << testing::PrintToString(ClassOf(control));
    if (c.text != nullptr) {
        EXPECT_EQ(TextOf(control), std::wstring(c.text));
    }

    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE));
    EXPECT_EQ(style & c.typeMask, c.type) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & c.required, c.required) << std::hex << "style 0x" << style;
    EXPECT_EQ(style & c.forbidden, 0u) << std::hex << "style 0x" << style;
    if (CompareStringOrdinal(c.className, -1, L"Edit", -1, TRUE) == CSTR_EQUAL) {
        // The edit control may turn its WS_BORDER into a client edge; either way it has a border.
        EXPECT_TRUE((style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0);
    }

    RECT placed;
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    const RECT origin = DialogUnits(dialog, c.x, c.y, c.x, c.y);
    EXPECT_EQ(placed.left, origin.left);
    EXPECT_EQ(placed.top, origin.top);
    if (c.slack != kSizedByPicture) {
        const RECT size = DialogUnits(dialog, 0, 0, c.cx, c.cy);
        EXPECT_NEAR(placed.right - placed.left, size.right, c.slack);
        EXPECT_NEAR(placed.bottom - placed.top, size.bottom, c.slack);
    }
}

TEST(DialogTemplates, EveryTemplateHasTheDesignsControls) {
    HiddenParent parent;
    ASSERT_NE(parent.get(), nullptr);
    for (const TemplateCase& t : Templates()) {
        SCOPED_TRACE(testing::Message() << "template " << t.id);

        TemplateHeader header;
        ASSERT_TRUE(ReadTemplateHeader(t.id, &header));
        EXPECT_EQ(header.style & t.required, t.required) << std::hex << "style 0x" << header.style;
        EXPECT_EQ(header.style & t.forbidden, 0u) << std::hex << "style 0x" << header.style;
        EXPECT_EQ(header.cx, t.cx);
        EXPECT_EQ(header.cy, t.cy);
        EXPECT_EQ(header.pointSize, 8);
        EXPECT_EQ(header.face, L"MS Sans Serif");

        const bool isPage = (t.required & WS_CHILD) != 0;
        HWND dialog = CreateDialogParamW(OwnModule(), MAKEINTRESOURCEW(t.id), isPage ? parent.get() : nullptr,
                                         QuietDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << "error " << GetLastError();
        EXPECT_FALSE(IsWindowVisible(dialog));
        if (t.caption != nullptr) {
            EXPECT_EQ(TextOf(dialog), std::wstring(t.caption));
        }

        RECT client;
        GetClientRect(dialog, &client);
        const RECT expected = DialogUnits(dialog, 0, 0, t.cx, t.cy);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);

        std::vector<HWND> children;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            children.push_back(child);
        }
        ASSERT_EQ(children.size(), t.controls.size());
        for (size_t i = 0; i < children.size(); ++i) CheckControl(dialog, children[i], t.controls[i]);

        if (t.id == 103) {
            // The side picture shows bitmap 101 itself.
            auto* shown = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(dialog, 1002, STM_GETIMAGE, IMAGE_BITMAP, 0));
            ASSERT_NE(shown, nullptr);
            BITMAP bm = {};
            ASSERT_EQ(GetObjectW(shown, sizeof bm, &bm), static_cast<int>(sizeof bm));
            EXPECT_EQ(bm.bmWidth, 120);
            EXPECT_EQ(bm.bmHeight, 260);
        }
        DestroyWindow(dialog);
    }
}

TEST(Resources, SidePictureIsA256ColourPictureOf120By260) {
    auto* picture = static_cast<HBITMAP>(
        LoadImageW(OwnModule(), MAKEINTRESOURCEW(101), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(picture, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(picture, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 120);
    EXPECT_EQ(dib.dsBm.bmHeight, 260);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture);
    RGBQUAD colours[256];
    EXPECT_EQ(GetDIBColorTable(dc, 0, 256, colours), 256u);
    SelectObject(dc, old);
    DeleteDC(dc);

    // A drawn picture, not a flat fill: the pixels use a good part of the palette.
    std::set<std::uint8_t> used;
    const auto* bits = static_cast<const std::uint8_t*>(dib.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    for (int y = 0; y < dib.dsBm.bmHeight; ++y) {
        for (int x = 0; x < dib.dsBm.bmWidth; ++x) used.insert(bits[y * dib.dsBm.bmWidthBytes + x]);
    }
    EXPECT_GE(used.size(), 64u);
    DeleteObject(picture);
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040C04B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) return L"(missing)";
    return static_cast<const wchar_t*>(value);
}

TEST(Resources, ManifestAndVersionInformation) {
    HRSRC found = FindResourceW(OwnModule(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(OwnModule(), found)));
    ASSERT_NE(data, nullptr);
    const std::string manifest(data, SizeofResource(OwnModule(), found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    // Without a supported OS, Windows reports at most 6.2 to the setup, as the design expects.
    EXPECT_EQ(manifest.find("supportedOS"), std::string::npos);

    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x040C);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Glintora 7 - Installation");
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Morvane Technology LLC");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Glintora 7");

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 7);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
