#include "framework/wnd.h"

#include "framework/app.h"

const CWnd wndTop{HWND_TOP};

CWnd::~CWnd()
{
    // The application must not keep pointing at a window object that is gone.
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || !IsWindow(hWnd))
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd CWnd::GetDlgItem(int nID) const
{
    return CWnd(m_hWnd != nullptr ? ::GetDlgItem(m_hWnd, nID) : nullptr);
}

CWnd CWnd::GetParent() const
{
    return CWnd(m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr);
}

void CWnd::SetWindowText(const std::wstring& text)
{
    ::SetWindowTextW(m_hWnd, text.c_str());
}

std::wstring CWnd::GetWindowText() const
{
    if (m_hWnd == nullptr)
        return {};
    // The length may be an over-estimate; the copy tells the real one.
    int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    HWND hInsertAfter = pWndInsertAfter != nullptr ? pWndInsertAfter->m_hWnd : HWND_TOP;
    return ::SetWindowPos(m_hWnd, hInsertAfter, x, y, cx, cy, nFlags);
}

void CWnd::GetWindowRect(RECT* pRect) const
{
    if (!::GetWindowRect(m_hWnd, pRect))
        SetRectEmpty(pRect);
}

void CWnd::GetClientRect(RECT* pRect) const
{
    if (!::GetClientRect(m_hWnd, pRect))
        SetRectEmpty(pRect);
}

void CWnd::ScreenToClient(RECT* pRect) const
{
    POINT topLeft = {pRect->left, pRect->top};
    POINT bottomRight = {pRect->right, pRect->bottom};
    ::ScreenToClient(m_hWnd, &topLeft);
    ::ScreenToClient(m_hWnd, &bottomRight);
    *pRect = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::ScreenToClient(POINT* pPoint) const
{
    ::ScreenToClient(m_hWnd, pPoint);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::UpdateWindow()
{
    ::UpdateWindow(m_hWnd);
}

CWnd CWnd::SetFocus()
{
    return CWnd(::SetFocus(m_hWnd));
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    BOOL destroyed = ::DestroyWindow(m_hWnd);
    // A dialog's procedure has already cleared the handle at WM_NCDESTROY; a plain window
    // has no procedure of ours to do it.
    if (destroyed)
        m_hWnd = nullptr;
    return destroyed;
}

void CButton::SetCheck(int nCheck)
{
    ::SendMessageW(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
}

int CButton::GetCheck() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    ::SendMessageW(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll)
        ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
}
