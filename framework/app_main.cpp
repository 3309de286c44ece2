// The program's entry point, linked into setup.exe only; test programs bring their own main.
#include "framework/app.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int)
{
    // Returning (rather than ExitProcess) lets the run-time library's exit handling destroy the
    // static objects, which takes this process off the shared instance list.
    return AfxWinMain(hInstance);
}
