// A window handle with the few operations the wizard needs. A CWnd never owns its window:
// destroying the object leaves the window alone (only DestroyWindow destroys it).
#pragma once

#include <windows.h>

#include <string>

class CWnd {
public:
    constexpr CWnd() = default;
    constexpr explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    CWnd(const CWnd&) = default;
    CWnd& operator=(const CWnd&) = default;
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }
    // Fails when this object already holds a window or hWnd is not one.
    BOOL Attach(HWND hWnd);
    HWND Detach();

    // A wrapper of the child with this id; its m_hWnd is null when there is none.
    CWnd GetDlgItem(int nID) const;
    CWnd GetParent() const;

    void SetWindowText(const std::wstring& text);
    std::wstring GetWindowText() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    // pWndInsertAfter: &wndTop, another window, or null (same as &wndTop).
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(RECT* pRect) const;
    void GetClientRect(RECT* pRect) const;
    void ScreenToClient(RECT* pRect) const;
    void ScreenToClient(POINT* pPoint) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void UpdateWindow();
    // Returns the window that had the focus before.
    CWnd SetFocus();
    virtual BOOL DestroyWindow();

    HWND m_hWnd = nullptr;
};

// The top of the Z order, as the insert-after argument of SetWindowPos.
extern const CWnd wndTop;

class CButton : public CWnd {
public:
    using CWnd::CWnd;
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    void SetCheck(int nCheck);
    int GetCheck() const;
};

class CStatic : public CWnd {
public:
    using CWnd::CWnd;
};

class CEdit : public CWnd {
public:
    using CWnd::CWnd;
    // Start -1 removes the selection.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
};
