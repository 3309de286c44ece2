// The application object: start-up decides the role and hands over; it never runs a main
// window of its own.
#pragma once

#include "framework/app.h"

// Process exit codes of the paths that return from InitInstance, as deployment tools read them.
inline constexpr int kExitInstalled = 0;
inline constexpr int kExitDamagedPayload = 1;
inline constexpr int kExitUserDeclined = 1602;
inline constexpr int kExitNotPerformed = 1603;
inline constexpr int kExitRestartInitiated = 1641;
inline constexpr int kExitRestartRequired = 3010;

class CSetupApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

// The message boxes of start-up: no owner, caption string 2.
int StartupMessageBox(const wchar_t* text, UINT flags);
