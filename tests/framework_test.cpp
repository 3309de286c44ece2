// The class library layer, run for real under a display: run-time class information, the
// application object and entry point, modal dialogs and child pages made from the program's own
// templates, data exchange with their controls, message boxes and the string table.
#include "framework/app.h"
#include "framework/ddx.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/object.h"
#include "framework/wnd.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------- run-time class information

class CShape : public CObject {
    GLT_DECLARE_RUNTIME_CLASS(CShape)
};
class CCircle : public CShape {
    GLT_DECLARE_RUNTIME_CLASS(CCircle)
};
class CLabel : public CObject {
    GLT_DECLARE_RUNTIME_CLASS(CLabel)
};

GLT_IMPLEMENT_RUNTIME_CLASS(CShape, CObject)
GLT_IMPLEMENT_RUNTIME_CLASS(CCircle, CShape)
GLT_IMPLEMENT_RUNTIME_CLASS(CLabel, CObject)

TEST(RuntimeClass, IsKindOfHoldsForTheClassAndItsBasesOnly)
{
    const CShape shape;
    const CCircle circle;
    const CLabel label;
    struct Case {
        const char* what;
        const CObject* object;
        const CRuntimeClass* cls;
        bool expected;
    };
    const Case cases[] = {
        {"circle is a circle", &circle, GLT_RUNTIME_CLASS(CCircle), true},
        {"circle is a shape", &circle, GLT_RUNTIME_CLASS(CShape), true},
        {"circle is an object", &circle, GLT_RUNTIME_CLASS(CObject), true},
        {"shape is not a circle", &shape, GLT_RUNTIME_CLASS(CCircle), false},
        {"circle is not a label", &circle, GLT_RUNTIME_CLASS(CLabel), false},
        {"label is not a shape", &label, GLT_RUNTIME_CLASS(CShape), false},
        {"no class at all", &label, nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.object->IsKindOf(c.cls), c.expected) << c.what;
}

TEST(RuntimeClass, RecordNamesTheDynamicClassAndChainsToTheRoot)
{
    const CCircle circle;
    const CObject& asObject = circle;
    const CRuntimeClass* record = asObject.GetRuntimeClass();
    ASSERT_EQ(record, GLT_RUNTIME_CLASS(CCircle));
    EXPECT_STREQ(record->m_lpszClassName, "CCircle");
    ASSERT_EQ(record->m_pBaseClass, GLT_RUNTIME_CLASS(CShape));
    EXPECT_STREQ(record->m_pBaseClass->m_lpszClassName, "CShape");
    ASSERT_EQ(record->m_pBaseClass->m_pBaseClass, GLT_RUNTIME_CLASS(CObject));
    EXPECT_STREQ(GLT_RUNTIME_CLASS(CObject)->m_lpszClassName, "CObject");
    EXPECT_EQ(GLT_RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
}

// ---------------------------------------------------------------- helpers

HWND MakePlainWindow(const wchar_t* title)
{
    return CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Ends a message loop of the test thread that fails to end by itself, so that a fault shows
// as a failed test and not as a hang.
class QuitGuard {
public:
    explicit QuitGuard(DWORD timeoutMs) : threadId_(GetCurrentThreadId())
    {
        thread_ = std::thread([this, timeoutMs] {
            if (WaitForSingleObject(done_, timeoutMs) == WAIT_TIMEOUT) {
                fired_ = true;
                PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            }
        });
    }
    ~QuitGuard()
    {
        SetEvent(done_);
        thread_.join();
        CloseHandle(done_);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    QuitGuard(const QuitGuard&) = delete;
    QuitGuard& operator=(const QuitGuard&) = delete;
    bool fired() const { return fired_; }

private:
    DWORD threadId_;
    HANDLE done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

template <class Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!pred()) {
        if (GetTickCount64() >= end)
            return false;
        Sleep(10);
    }
    return true;
}

// ---------------------------------------------------------------- application object

TEST(WinApp, AfxGetAppIsTheFirstLiveApplicationObject)
{
    ASSERT_EQ(AfxGetApp(), nullptr) << "a test program has no application object of its own";
    {
        CWinApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(app.m_hInstance, GetModuleHandleW(nullptr));
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        {
            CWinApp second;
            EXPECT_EQ(AfxGetApp(), &app);
        }
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(app.ExitInstance(), 0);
        app.m_nExitCode = 1603;
        EXPECT_EQ(app.ExitInstance(), 1603);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(WinApp, MainWindowObjectThatGoesAwayIsForgotten)
{
    CWinApp app;
    {
        CWnd mainWnd;
        app.m_pMainWnd = &mainWnd;
    }
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST(WinApp, RunReturnsAtOnceWithoutAnExistingMainWindow)
{
    CWinApp app;
    CWnd gone(MakePlainWindow(L"Fenêtre éphémère"));
    ASSERT_NE(gone.m_hWnd, nullptr);
    HWND hGone = gone.m_hWnd;
    ASSERT_TRUE(::DestroyWindow(hGone));

    struct Case {
        const char* what;
        CWnd* mainWnd;
    };
    const Case cases[] = {{"no main window", nullptr}, {"main window destroyed", &gone}};
    for (const Case& c : cases) {
        app.m_pMainWnd = c.mainWnd;
        QuitGuard guard(3000);
        app.Run();
        EXPECT_FALSE(guard.fired()) << c.what << ": Run waited for messages";
    }
    app.m_pMainWnd = nullptr;
}

TEST(WinApp, RunPumpsMessagesUntilTheMainWindowIsGone)
{
    CWinApp app;
    CWnd mainWnd(MakePlainWindow(L"Glintora principale"));
    ASSERT_NE(mainWnd.m_hWnd, nullptr);
    HWND hMain = mainWnd.m_hWnd;
    app.m_pMainWnd = &mainWnd;
    // The loop has to dispatch this for the window to go.
    PostMessageW(hMain, WM_CLOSE, 0, 0);
    {
        QuitGuard guard(5000);
        app.Run();
        EXPECT_FALSE(guard.fired()) << "Run did not end when its main window closed";
    }
    EXPECT_FALSE(IsWindow(hMain));
    EXPECT_EQ(app.m_nExitCode, 0);
    app.m_pMainWnd = nullptr;
}

TEST(WinApp, QuitMessageEndsRunWithItsCode)
{
    CWinApp app;
    CWnd mainWnd(MakePlainWindow(L"Glintora principale"));
    ASSERT_NE(mainWnd.m_hWnd, nullptr);
    app.m_pMainWnd = &mainWnd;
    PostQuitMessage(7);
    {
        QuitGuard guard(5000);
        app.Run();
        EXPECT_FALSE(guard.fired());
    }
    EXPECT_TRUE(IsWindow(mainWnd.m_hWnd));
    EXPECT_EQ(app.ExitInstance(), 7);
    app.m_pMainWnd = nullptr;
    ::DestroyWindow(mainWnd.m_hWnd);
}

// What the entry point called, in order.
class CScriptedApp : public CWinApp {
public:
    CScriptedApp(BOOL initResult, int exitCode) : initResult_(initResult), exitCode_(exitCode) {}
    BOOL InitInstance() override
    {
        calls.push_back("InitInstance");
        m_nExitCode = exitCode_;
        return initResult_;
    }
    void Run() override
    {
        calls.push_back("Run");
        CWinApp::Run();
    }
    int ExitInstance() override
    {
        calls.push_back("ExitInstance");
        return CWinApp::ExitInstance();
    }
    std::vector<std::string> calls;

private:
    BOOL initResult_;
    int exitCode_;
};

TEST(AfxWinMain, RunsTheApplicationObjectAndReturnsItsExitCode)
{
    struct Case {
        const char* what;
        BOOL initResult;
        int exitCode;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"InitInstance went on", TRUE, 0, {"InitInstance", "Run", "ExitInstance"}},
        {"InitInstance went on, code set", TRUE, 3010, {"InitInstance", "Run", "ExitInstance"}},
        {"InitInstance ended the program", FALSE, 1602, {"InitInstance", "ExitInstance"}},
    };
    for (const Case& c : cases) {
        CScriptedApp app(c.initResult, c.exitCode);
        QuitGuard guard(3000);
        int result = AfxWinMain(GetModuleHandleW(nullptr));
        EXPECT_FALSE(guard.fired()) << c.what << ": Run waited without a main window";
        EXPECT_EQ(result, c.exitCode) << c.what;
        EXPECT_EQ(app.calls, c.calls) << c.what;
    }
}

TEST(AfxWinMain, WithoutAnApplicationObjectFails)
{
    ASSERT_EQ(AfxGetApp(), nullptr);
    EXPECT_NE(AfxWinMain(GetModuleHandleW(nullptr)), 0);
}

// ---------------------------------------------------------------- modal dialogs

constexpr INT_PTR kWatchdogResult = 4711;

// A modal dialog on the wizard frame's template that records what the framework called. A
// timer of its own ends it if the test's clicks do not, so that a fault cannot hang the run.
class CRecordingDialog : public CDialog {
public:
    CRecordingDialog() : CDialog(IDD_SETUP) {}

    BOOL OnInitDialog() override
    {
        ++initCount;
        BOOL result = CDialog::OnInitDialog();
        SetTimer(m_hWnd, 1, 10000, Watchdog);
        shownHwnd = m_hWnd;
        return result;
    }
    void OnOK() override
    {
        ++okCount;
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        ++cancelCount;
        CDialog::OnCancel();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        exchanges.push_back(pDX->m_bSaveAndValidate != FALSE);
        if (refuseExchange)
            pDX->Fail();
    }
    BOOL OnCommand(int nControlId, int nNotifyCode) override
    {
        commands.push_back(nControlId);
        return CDialog::OnCommand(nControlId, nNotifyCode);
    }

    bool refuseExchange = false;
    int initCount = 0;
    int okCount = 0;
    int cancelCount = 0;
    std::vector<bool> exchanges;  // true: controls to members
    std::vector<int> commands;
    std::atomic<HWND> shownHwnd{nullptr};

private:
    static void CALLBACK Watchdog(HWND hWnd, UINT, UINT_PTR, DWORD) { ::EndDialog(hWnd, kWatchdogResult); }
};

// What another thread does to the open dialog, like a user would.
constexpr int kCloseBox = -1;   // the close box of the caption
constexpr int kEscapeKey = -2;  // Escape pressed with the focus on a button

void Act(HWND hDlg, int action)
{
    if (action == kCloseBox)
        PostMessageW(hDlg, WM_CLOSE, 0, 0);
    else if (action == kEscapeKey)
        PostMessageW(GetDlgItem(hDlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
    else
        PostMessageW(GetDlgItem(hDlg, action), BM_CLICK, 0, 0);
}

TEST(ModalDialog, ButtonsAndKeysEndItThroughOnOKAndOnCancel)
{
    struct Case {
        const char* what;
        bool refuseExchange;
        std::vector<int> actions;
        INT_PTR result;
        int okCount;
        int cancelCount;
        std::vector<int> commands;
        std::vector<bool> exchanges;
    };
    const Case cases[] = {
        {"Next", false, {IDOK}, IDOK, 1, 0, {IDOK}, {false, true}},
        {"Cancel", false, {IDCANCEL}, IDCANCEL, 0, 1, {IDCANCEL}, {false}},
        {"close box", false, {kCloseBox}, IDCANCEL, 0, 1, {IDCANCEL}, {false}},
        {"Escape", false, {kEscapeKey}, IDCANCEL, 0, 1, {IDCANCEL}, {false}},
        {"Back is only passed on", false, {IDC_BACK, IDOK}, IDOK, 1, 0, {IDC_BACK, IDOK}, {false, true}},
        {"Next refused by validation", true, {IDOK, IDCANCEL}, IDCANCEL, 1, 1, {IDOK, IDCANCEL},
         {false, true}},
    };
    for (const Case& c : cases) {
        CRecordingDialog dlg;
        dlg.refuseExchange = c.refuseExchange;
        std::thread user([&dlg, &c] {
            if (!WaitUntil([&dlg] { return dlg.shownHwnd.load() != nullptr; }, 10000))
                return;
            for (int action : c.actions)
                Act(dlg.shownHwnd, action);
        });
        INT_PTR result = dlg.DoModal();
        user.join();

        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(dlg.initCount, 1) << c.what;
        EXPECT_EQ(dlg.okCount, c.okCount) << c.what;
        EXPECT_EQ(dlg.cancelCount, c.cancelCount) << c.what;
        EXPECT_EQ(dlg.commands, c.commands) << c.what;
        EXPECT_EQ(dlg.exchanges, c.exchanges) << c.what;
        EXPECT_EQ(dlg.m_hWnd, nullptr) << c.what << ": handle kept after the dialog ended";
        EXPECT_FALSE(IsWindow(dlg.shownHwnd)) << c.what;
    }
}

TEST(ModalDialog, EndDialogResultIsReturned)
{
    class CEndsItself : public CDialog {
    public:
        CEndsItself() : CDialog(IDD_SETUP) {}
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            EndDialog(42);
            return TRUE;
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), 42);
}

TEST(ModalDialog, MissingTemplateFailsWithoutAWindow)
{
    CDialog modal(4242);
    EXPECT_EQ(modal.DoModal(), -1);
    EXPECT_EQ(modal.m_hWnd, nullptr);

    CDialog page;
    EXPECT_FALSE(page.Create(4242, nullptr));
    EXPECT_EQ(page.m_hWnd, nullptr);
    EXPECT_FALSE(page.UpdateData(TRUE)) << "no window, nothing to exchange";
}

// ---------------------------------------------------------------- child pages

// A modeless frame on the wizard template, recording the commands that reach it.
class CRecordingFrame : public CDialog {
public:
    void OnOK() override { ++okCount; }
    void OnCancel() override { ++cancelCount; }
    int okCount = 0;
    int cancelCount = 0;
};

class CCountingPage : public CDialog {
public:
    BOOL OnInitDialog() override
    {
        ++initCount;
        return CDialog::OnInitDialog();
    }
    int initCount = 0;
};

class FramePageTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.Create(IDD_SETUP, nullptr));
        frame.ShowWindow(SW_SHOW);
    }
    void TearDown() override { frame.DestroyWindow(); }

    RECT PageRectInFrame(const CWnd& page) const
    {
        RECT r;
        page.GetWindowRect(&r);
        frame.ScreenToClient(&r);
        return r;
    }

    CRecordingFrame frame;
};

TEST_F(FramePageTest, PageIsAHiddenChildUntilPlacedBesideThePicture)
{
    for (UINT templateId : {IDD_AGREEMENT, IDD_INTO, IDD_FOLDER, IDD_GROUP, IDD_START}) {
        SCOPED_TRACE(testing::Message() << "template " << templateId);
        CCountingPage page;
        ASSERT_TRUE(page.Create(templateId, &frame));
        ASSERT_NE(page.m_hWnd, nullptr);
        EXPECT_EQ(page.initCount, 1);
        EXPECT_NE(GetWindowLongPtrW(page.m_hWnd, GWL_STYLE) & WS_CHILD, 0);
        EXPECT_EQ(page.GetParent().m_hWnd, frame.m_hWnd);
        EXPECT_FALSE(page.IsWindowVisible());

        // The frame's placing: right of the side picture, top aligned, size kept, shown.
        RECT picture;
        frame.GetDlgItem(IDC_SIDE_PICTURE).GetWindowRect(&picture);
        frame.ScreenToClient(&picture);
        RECT before = PageRectInFrame(page);
        ASSERT_TRUE(page.SetWindowPos(&wndTop, picture.right + 4, picture.top, 0, 0,
                                      SWP_NOSIZE | SWP_SHOWWINDOW));
        RECT after = PageRectInFrame(page);
        EXPECT_TRUE(page.IsWindowVisible());
        EXPECT_EQ(after.left, picture.right + 4);
        EXPECT_EQ(after.top, picture.top);
        EXPECT_GT(after.left, 4) << "the picture's rectangle was not converted to the frame";
        EXPECT_EQ(after.right - after.left, before.right - before.left);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
        EXPECT_EQ(GetWindow(frame.m_hWnd, GW_CHILD), page.m_hWnd) << "not at the top of the Z order";

        HWND hPage = page.m_hWnd;
        EXPECT_TRUE(page.DestroyWindow());
        EXPECT_EQ(page.m_hWnd, nullptr);
        EXPECT_FALSE(IsWindow(hPage));
    }
}

TEST_F(FramePageTest, DeletingAPageObjectTakesItsWindowAlong)
{
    auto page = std::make_unique<CCountingPage>();
    ASSERT_TRUE(page->Create(IDD_INTO, &frame));
    HWND hPage = page->m_hWnd;
    page.reset();
    EXPECT_FALSE(IsWindow(hPage));
    // The frame still works after the page went; a page procedure left behind would crash here.
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(frame.okCount, 1);
}

TEST_F(FramePageTest, EnterAndEscapeInsideAPageActOnTheFrame)
{
    CCountingPage page;
    ASSERT_TRUE(page.Create(IDD_AGREEMENT, &frame));
    page.ShowWindow(SW_SHOW);
    // A multi-line edit sends these to its own parent, the page.
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(frame.cancelCount, 1);
    EXPECT_EQ(frame.okCount, 1);
    EXPECT_TRUE(page.IsWindowVisible()) << "the page ended itself";
}

TEST(Wnd, TextStateAndHandleOperations)
{
    CWnd wnd(MakePlainWindow(L"départ"));
    ASSERT_NE(wnd.m_hWnd, nullptr);
    HWND hWnd = wnd.m_hWnd;

    const std::wstring texts[] = {L"", L"Glintora - Installation", L"Éléments à l’écran",
                                  std::wstring(700, L'é')};
    for (const std::wstring& text : texts) {
        wnd.SetWindowText(text);
        EXPECT_EQ(wnd.GetWindowText(), text);
    }

    wnd.EnableWindow(FALSE);
    EXPECT_FALSE(wnd.IsWindowEnabled());
    wnd.EnableWindow(TRUE);
    EXPECT_TRUE(wnd.IsWindowEnabled());
    wnd.ShowWindow(SW_HIDE);
    EXPECT_FALSE(wnd.IsWindowVisible());

    CWnd other;
    EXPECT_FALSE(other.Attach(nullptr));
    EXPECT_TRUE(other.Attach(hWnd));
    EXPECT_FALSE(other.Attach(hWnd)) << "attached twice";
    EXPECT_EQ(other.Detach(), hWnd);
    EXPECT_EQ(other.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(IsWindow(hWnd)) << "detaching destroyed the window";

    CWnd empty;
    EXPECT_EQ(empty.GetWindowText(), L"");
    EXPECT_EQ(empty.GetDlgItem(1).m_hWnd, nullptr);
    EXPECT_FALSE(empty.DestroyWindow());

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));
}

// ---------------------------------------------------------------- data exchange

class CTypePage : public CDialog {
public:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Radio(pDX, IDC_TYPE_CURRENT, type); }
    int type = -1;
};

class CGroupPage : public CDialog {
public:
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (withMissingControl)
            DDX_Check(pDX, 4242, autoStart);
        DDX_Control(pDX, IDC_GROUP_NAME, groupEdit);
        DDX_Check(pDX, IDC_AUTOSTART, autoStart);
        DDX_Check(pDX, IDC_DESKTOP_ICON, desktopIcon);
        DDX_Text(pDX, IDC_GROUP_NAME, groupName);
    }
    bool withMissingControl = false;
    CEdit groupEdit;
    int autoStart = 0;
    int desktopIcon = 0;
    std::wstring groupName;
};

bool IsChecked(const CWnd& dialog, int id)
{
    return SendMessageW(dialog.GetDlgItem(id).m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(FramePageTest, RadioLoadChecksOnlyTheButtonAtTheIndex)
{
    CTypePage page;
    ASSERT_TRUE(page.Create(IDD_FOLDER, &frame));
    page.ShowWindow(SW_SHOW);
    // In an order where a button left checked by the step before would show.
    for (int value : {2, -1, 0, 1, -1}) {
        page.type = value;
        ASSERT_TRUE(page.UpdateData(FALSE));
        EXPECT_EQ(IsChecked(page, IDC_TYPE_CURRENT), value == 0) << "value " << value;
        EXPECT_EQ(IsChecked(page, IDC_TYPE_ALLUSERS), value == 1) << "value " << value;
        EXPECT_EQ(IsChecked(page, IDC_TYPE_PORTABLE), value == 2) << "value " << value;
    }
}

TEST_F(FramePageTest, RadioSaveGivesTheIndexOfTheClickedButton)
{
    CTypePage page;
    ASSERT_TRUE(page.Create(IDD_FOLDER, &frame));
    page.ShowWindow(SW_SHOW);
    page.type = 7;
    ASSERT_TRUE(page.UpdateData(TRUE));
    EXPECT_EQ(page.type, -1) << "nothing is checked when the page opens";

    struct Case {
        int click;
        int expected;
    };
    for (Case c : {Case{IDC_TYPE_ALLUSERS, 1}, Case{IDC_TYPE_PORTABLE, 2}, Case{IDC_TYPE_CURRENT, 0}}) {
        page.GetDlgItem(c.click).SendMessage(BM_CLICK);
        ASSERT_TRUE(page.UpdateData(TRUE));
        EXPECT_EQ(page.type, c.expected) << "clicked " << c.click;
    }
}

TEST_F(FramePageTest, CheckAndTextRoundTripWithTheControls)
{
    CGroupPage page;
    ASSERT_TRUE(page.Create(IDD_GROUP, &frame));
    page.ShowWindow(SW_SHOW);
    EXPECT_EQ(page.groupEdit.m_hWnd, page.GetDlgItem(IDC_GROUP_NAME).m_hWnd)
        << "DDX_Control did not bind the edit";

    struct Case {
        int autoStart;
        int desktopIcon;
        std::wstring name;
    };
    const Case cases[] = {
        {1, 0, L"Glintora 7"},
        {0, 1, L"Démarrage — été à l’ouïe"},
        {0, 0, L""},
        {1, 1, std::wstring(600, L'ç')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "autoStart " << c.autoStart << " desktopIcon " << c.desktopIcon);
        // Members to controls.
        page.autoStart = c.autoStart;
        page.desktopIcon = c.desktopIcon;
        page.groupName = c.name;
        ASSERT_TRUE(page.UpdateData(FALSE));
        EXPECT_EQ(IsChecked(page, IDC_AUTOSTART), c.autoStart == 1);
        EXPECT_EQ(IsChecked(page, IDC_DESKTOP_ICON), c.desktopIcon == 1);
        EXPECT_EQ(page.groupEdit.GetWindowText(), c.name);

        // Controls to members, after the user changed them all.
        const std::wstring typed = L"Groupe « " + c.name + L" »";
        page.GetDlgItem(IDC_AUTOSTART).SendMessage(BM_CLICK);
        page.GetDlgItem(IDC_DESKTOP_ICON).SendMessage(BM_CLICK);
        page.groupEdit.SetWindowText(typed);
        ASSERT_TRUE(page.UpdateData(TRUE));
        EXPECT_EQ(page.autoStart, 1 - c.autoStart);
        EXPECT_EQ(page.desktopIcon, 1 - c.desktopIcon);
        EXPECT_EQ(page.groupName, typed);
    }
}

TEST_F(FramePageTest, CheckLoadsAnyNonzeroValueAsTicked)
{
    CGroupPage page;
    ASSERT_TRUE(page.Create(IDD_GROUP, &frame));
    page.autoStart = 5;
    page.desktopIcon = -1;
    ASSERT_TRUE(page.UpdateData(FALSE));
    EXPECT_TRUE(IsChecked(page, IDC_AUTOSTART));
    EXPECT_TRUE(IsChecked(page, IDC_DESKTOP_ICON));
    ASSERT_TRUE(page.UpdateData(TRUE));
    EXPECT_EQ(page.autoStart, 1);
    EXPECT_EQ(page.desktopIcon, 1);
}

TEST_F(FramePageTest, MissingControlFailsTheExchangeAndStopsIt)
{
    CGroupPage page;
    ASSERT_TRUE(page.Create(IDD_GROUP, &frame));
    page.withMissingControl = true;
    page.groupName = L"ne doit pas arriver";
    EXPECT_FALSE(page.UpdateData(FALSE));
    EXPECT_EQ(page.GetDlgItem(IDC_GROUP_NAME).GetWindowText(), L"");

    page.GetDlgItem(IDC_GROUP_NAME).SetWindowText(L"tapé");
    page.groupName = L"avant";
    EXPECT_FALSE(page.UpdateData(TRUE));
    EXPECT_EQ(page.groupName, L"avant");
}

// ---------------------------------------------------------------- strings and message boxes

TEST(LoadResString, GivesTheWholeEntryOrNothing)
{
    struct Case {
        UINT id;
        std::wstring text;
    };
    const Case cases[] = {
        {IDS_APP_TITLE, L"Glintora - Installation"},
        {IDS_CONFIRM_CANCEL, L"Voulez-vous vraiment annuler l'installation d'Glintora 7 ?"},
        {IDS_BAD_FOLDER_NAME,
         L"Le nom de dossier saisi est incorrect. Merci de le corriger.\nSi vous souhaitez créer un "
         L"nouveau dossier, sélectionnez son dossier parent et cliquez sur le bouton \"Créer un "
         L"nouveau dossier\"."},
        {IDS_RESTART_CHECK, L"Redémarrer l’ordinateur lorsque je cliquerai sur \"Terminer\""},
        {5, L""},      // a gap in a block of the table that exists
        {4242, L""},   // a block that does not exist
        {0, L""},
        {65535, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadResString(c.id), c.text) << "string " << c.id;
}

// Finds the message box that this process shows with the application title, reads it and
// answers it, from another thread while the test thread sits in the box.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int answer) : testThread_(GetCurrentThreadId())
    {
        thread_ = std::thread([this, answer] { Loop(answer); });
    }
    ~BoxAnswerer() { Join(); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Call once the box has returned; the results below are then complete.
    void Join()
    {
        if (thread_.joinable())
            thread_.join();
    }

    bool found = false;
    std::wstring text;
    HWND owner = nullptr;

private:
    static BOOL CALLBACK Match(HWND hWnd, LPARAM lParam)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(hWnd, &pid);
        wchar_t cls[16] = {};
        wchar_t caption[64] = {};
        GetClassNameW(hWnd, cls, 16);
        GetWindowTextW(hWnd, caption, 64);
        if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
            std::wstring(caption) == L"Glintora - Installation" && IsWindowVisible(hWnd)) {
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK Unblock(HWND hWnd, LPARAM)
    {
        PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    void Loop(int answer)
    {
        HWND box = nullptr;
        WaitUntil([&box] {
            EnumWindows(Match, reinterpret_cast<LPARAM>(&box));
            return box != nullptr;
        }, 10000);
        if (box == nullptr) {
            // Whatever the test thread shows instead must not keep it waiting.
            EnumThreadWindows(testThread_, Unblock, 0);
            return;
        }
        found = true;
        wchar_t buffer[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, buffer, 1024);  // the message text of a box
        text = buffer;
        owner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    }

    DWORD testThread_;
    std::thread thread_;
};

TEST(AfxMessageBox, ShowsTheTextUnderTheApplicationTitleAndReturnsTheAnswer)
{
    struct Case {
        const char* what;
        std::wstring text;  // shown as given when id is 0
        UINT id;
        UINT flags;
        int answer;
    };
    const Case cases[] = {
        {"text, answered No", L"Texte d'essai : éàü — fin", 0, MB_YESNO | MB_ICONWARNING, IDNO},
        {"string 11, answered Yes", L"", IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, IDYES},
        {"two lines, OK", L"Première ligne\nseconde ligne", 0, MB_OK, IDOK},
    };
    for (const Case& c : cases) {
        const std::wstring expected =
            c.id != 0 ? L"Voulez-vous vraiment annuler l'installation d'Glintora 7 ?" : c.text;
        BoxAnswerer answerer(c.answer);
        int result = c.id != 0 ? AfxMessageBox(c.id, c.flags) : AfxMessageBox(c.text, c.flags);
        answerer.Join();
        ASSERT_TRUE(answerer.found) << c.what << ": no box captioned with the application title";
        EXPECT_EQ(answerer.text, expected) << c.what;
        EXPECT_EQ(result, c.answer) << c.what;
    }
}

TEST(AfxMessageBox, IsOwnedByTheMainWindowWhileItExists)
{
    CWinApp app;
    CWnd mainWnd(MakePlainWindow(L"Glintora principale"));
    ASSERT_NE(mainWnd.m_hWnd, nullptr);
    app.m_pMainWnd = &mainWnd;
    // Another window of the thread is the active one, so that owner and active window differ.
    CWnd other(MakePlainWindow(L"Autre fenêtre"));
    ASSERT_NE(other.m_hWnd, nullptr);
    SetActiveWindow(other.m_hWnd);
    ASSERT_EQ(GetActiveWindow(), other.m_hWnd);
    {
        BoxAnswerer answerer(IDOK);
        EXPECT_EQ(AfxMessageBox(L"Avec propriétaire", MB_OK), IDOK);
        answerer.Join();
        ASSERT_TRUE(answerer.found);
        EXPECT_EQ(answerer.owner, mainWnd.m_hWnd);
    }

    // A main window that is gone is no owner; the box still comes up.
    HWND hGone = mainWnd.m_hWnd;
    ASSERT_TRUE(::DestroyWindow(hGone));
    {
        BoxAnswerer answerer(IDYES);
        EXPECT_EQ(AfxMessageBox(L"Sans propriétaire", MB_YESNO), IDYES);
        answerer.Join();
        ASSERT_TRUE(answerer.found);
        EXPECT_NE(answerer.owner, hGone);
    }
    app.m_pMainWnd = nullptr;
    other.DestroyWindow();
}

}  // namespace
