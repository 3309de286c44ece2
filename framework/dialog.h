// Dialogs from the program's own templates: modal (DoModal) or child pages (Create).
// Commands reach OnCommand(control id, notification code) in place of a message map.
#pragma once

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Destroys a window that is still open, so that it never calls back into a dead object.
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK, IDCANCEL or what EndDialog was given; -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // A modeless dialog, in practice a child page; shown only if its template says so.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    // TRUE when the command was handled.
    virtual BOOL OnCommand(int nControlId, int nNotifyCode);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

protected:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
