#include "framework/ddx.h"

#include "framework/dialog.h"

CDataExchange::CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
    : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    if (m_bFail)
        return nullptr;
    HWND hCtrl = m_pDlgWnd->GetDlgItem(nIDC).m_hWnd;
    if (hCtrl == nullptr)
        Fail();
    return hCtrl;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (hCtrl == nullptr || rControl.m_hWnd == hCtrl)
        return;
    // A member may still hold the control of an earlier window made from the same template.
    rControl.Detach();
    rControl.Attach(hCtrl);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (hCtrl == nullptr)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // Only radio buttons count; a group box or label inside the group is passed over.
    int index = 0;
    do {
        if (SendMessageW(hCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (pDX->m_bSaveAndValidate) {
                if (SendMessageW(hCtrl, BM_GETCHECK, 0, 0) == BST_CHECKED && value == -1)
                    value = index;
            } else {
                SendMessageW(hCtrl, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++index;
        }
        hCtrl = GetWindow(hCtrl, GW_HWNDNEXT);
    } while (hCtrl != nullptr && (GetWindowLongPtrW(hCtrl, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (hCtrl == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(hCtrl, BM_GETCHECK, 0, 0));
    } else {
        WPARAM state = value == BST_UNCHECKED       ? BST_UNCHECKED
                       : value == BST_INDETERMINATE ? BST_INDETERMINATE
                                                    : BST_CHECKED;
        SendMessageW(hCtrl, BM_SETCHECK, state, 0);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::wstring& value)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (hCtrl == nullptr)
        return;
    CWnd control(hCtrl);
    if (pDX->m_bSaveAndValidate)
        value = control.GetWindowText();
    else
        control.SetWindowText(value);
}
