#include "framework/app.h"

#include "framework/wnd.h"

#include <commctrl.h>

namespace {
// Zero-initialised before any constructor runs, whatever the order of static initialisation.
constinit CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp() : m_hInstance(GetModuleHandleW(nullptr))
{
    // A second application object would be a program error; the first one stays in charge.
    if (g_currentApp == nullptr)
        g_currentApp = this;
}

CWinApp::~CWinApp()
{
    if (g_currentApp == this)
        g_currentApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

void CWinApp::Run()
{
    for (;;) {
        HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
        if (hMain == nullptr || !IsWindow(hMain))
            return;
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_nExitCode = static_cast<int>(msg.wParam);
            return;
        }
        if (got == -1)
            return;
        // Keyboard navigation for a modeless dialog; other windows get their keys unchanged.
        bool isDialog = GetClassLongW(hMain, GCW_ATOM) == 32770;
        if (!isDialog || !IsDialogMessageW(hMain, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

CWinApp* AfxGetApp()
{
    return g_currentApp;
}

int AfxWinMain(HINSTANCE hInstance)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = hInstance;

    // The manifest asks for version 6 of the common controls; their classes must be registered
    // before the first dialog is made from a template.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    if (app->InitInstance())
        app->Run();
    return app->ExitInstance();
}
