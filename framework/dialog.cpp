#include "framework/dialog.h"

#include "framework/ddx.h"

namespace {

bool IsChildWindow(HWND hWnd)
{
    return (GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) != 0;
}

// A child page has no dialog of its own to end: Enter and Escape inside it (a multi-line edit
// sends them to its own parent) are meant for the frame.
void ForwardToParent(HWND hWnd, int nCommand)
{
    HWND hParent = ::GetParent(hWnd);
    if (hParent != nullptr)
        ::SendMessageW(hParent, WM_COMMAND, MAKEWPARAM(nCommand, BN_CLICKED), 0);
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr) {
        HWND hWnd = m_hWnd;
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(hWnd);
    }
}

INT_PTR CDialog::DoModal()
{
    if (m_nIDTemplate == 0 || m_hWnd != nullptr)
        return -1;
    HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (nIDTemplate == 0 || m_hWnd != nullptr)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    HWND hParent = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
    HWND hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDTemplate),
                                   hParent, DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (IsChildWindow(m_hWnd)) {
        ForwardToParent(m_hWnd, IDOK);
        return;
    }
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    if (IsChildWindow(m_hWnd)) {
        ForwardToParent(m_hWnd, IDCANCEL);
        return;
    }
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::OnCommand(int nControlId, int nNotifyCode)
{
    if (nNotifyCode != BN_CLICKED)
        return FALSE;
    switch (nControlId) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    if (m_hWnd == nullptr)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFail;
}

void CDialog::EndDialog(int nResult)
{
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        dlg->m_hWnd = hWnd;
        return dlg->OnInitDialog();
    }
    // Messages that come before WM_INITDIALOG (WM_SETFONT and the like) find no object yet.
    auto* dlg = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (dlg == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return dlg->OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NCDESTROY:
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        dlg->m_hWnd = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
