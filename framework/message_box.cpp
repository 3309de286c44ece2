#include "framework/message_box.h"

#include "framework/app.h"
#include "framework/wnd.h"
#include "res/resource.h"

namespace {

HWND MessageBoxOwner()
{
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd != nullptr) {
        HWND hMain = app->m_pMainWnd->GetSafeHwnd();
        if (hMain != nullptr && IsWindow(hMain))
            return hMain;
    }
    return GetActiveWindow();
}

}  // namespace

int AfxMessageBox(const std::wstring& text, UINT nType)
{
    std::wstring caption = LoadResString(IDS_APP_TITLE);
    return MessageBoxW(MessageBoxOwner(), text.c_str(), caption.c_str(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType)
{
    return AfxMessageBox(LoadResString(nIDPrompt), nType);
}

std::wstring LoadResString(UINT nID)
{
    // With a buffer size of 0 LoadStringW hands out the resource's own read-only text, which
    // is not terminated; its length comes back as the result. No length limit applies.
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), nID, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    return std::wstring(text, static_cast<size_t>(length));
}
