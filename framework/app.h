// The application object: one per program, registered when it is constructed, driven by wWinMain.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Nonzero lets wWinMain go on into Run().
    virtual BOOL InitInstance();
    // Pumps messages while m_pMainWnd is an existing window; returns at once without one.
    virtual void Run();
    // The process exit code.
    virtual int ExitInstance();

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};

// The application object, or null when none exists.
CWinApp* AfxGetApp();

// What wWinMain does: InitInstance, Run when it went on, and ExitInstance's code as the
// result. Nonzero when there is no application object.
int AfxWinMain(HINSTANCE hInstance);
