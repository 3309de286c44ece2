// Message boxes captioned with the application title, and texts from the string table.
#pragma once

#include <windows.h>

#include <string>

// Owned by the application's main window when there is one, else by this thread's active
// window. Returns MessageBoxW's result (0 when the box could not be shown).
int AfxMessageBox(const std::wstring& text, UINT nType = MB_OK);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);

// The entry's full text from the program's own string table; empty when there is none.
std::wstring LoadResString(UINT nID);
