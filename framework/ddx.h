// Dialog data exchange between a dialog's members and its controls, in either direction.
#pragma once

#include "framework/wnd.h"

#include <string>

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate);

    // The control's handle, or null (and the exchange marked failed) when the dialog has none.
    HWND PrepareCtrl(int nIDC);
    void Fail() { m_bFail = TRUE; }

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    BOOL m_bFail = FALSE;     // once set, the remaining exchanges are skipped
};

// Binds the member to the control.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The radio buttons from nIDC up to the next control that starts a group; value is the index
// of the checked one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE; any other nonzero value loads as checked.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, std::wstring& value);
