// The product's real instance list, shared between separate processes: stand-in products and
// the setup itself.
#include "instances/instance_list.h"
#include "product/product_names.h"

#include "support/real_instance_list.h"
#include "support/standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace glt::test;

using RealList = RealInstanceListTest;

std::wstring Id(DWORD pid) { return std::to_wstring(pid); }

TEST_F(RealList, ArrivalsAndDeparturesReachTheOtherInstances) {
    StandIn a, b, c;
    ASSERT_TRUE(a.Start(dir_, L"a.log"));
    ASSERT_TRUE(a.WaitReady());
    ASSERT_TRUE(b.Start(dir_, L"b.log"));
    ASSERT_TRUE(b.WaitReady());
    ASSERT_TRUE(c.Start(dir_, L"c.log"));
    ASSERT_TRUE(c.WaitReady());
    EXPECT_EQ(raw().Entries(), (std::vector<DWORD>{a.process.pid(), b.process.pid(), c.process.pid()}));
    EXPECT_TRUE(WaitUntil([&] { return a.Has(L"added " + Id(c.process.pid())); }, 5000));
    EXPECT_TRUE(a.Has(L"added " + Id(b.process.pid())));
    EXPECT_TRUE(WaitUntil([&] { return b.Has(L"added " + Id(c.process.pid())); }, 5000));
    for (const auto& e : c.Events()) EXPECT_EQ(e.rfind(L"added", 0), std::wstring::npos) << Narrow(e);

    // The first instance ends normally: it leaves the list, which closes up behind it.
    HWND aWindow = COXInstanceManager::FindInstanceWindow(a.process.pid());
    ASSERT_NE(aWindow, nullptr);
    PostMessageW(aWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(a.process.Wait(10000));
    EXPECT_EQ(raw().Entries(), (std::vector<DWORD>{b.process.pid(), c.process.pid()}));
    EXPECT_EQ(raw().Entry(2), 0u);
    EXPECT_TRUE(WaitUntil([&] { return b.Has(L"removed " + Id(a.process.pid())); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return c.Has(L"removed " + Id(a.process.pid())); }, 5000));
}

TEST_F(RealList, AFullListRefusesAnotherInstance) {
    std::vector<DWORD> ids;
    for (DWORD i = 0; i < 1000; ++i) ids.push_back(0x7D000000u + i * 4);
    raw().Reset(ids);
    StandIn late;
    ASSERT_TRUE(late.Start(dir_, L"late.log"));
    ASSERT_TRUE(late.WaitReady());
    EXPECT_EQ(raw().Count(), 1000);
    auto entries = raw().Entries();
    EXPECT_EQ(std::find(entries.begin(), entries.end(), late.process.pid()), entries.end());
}

TEST_F(RealList, ACorruptCountDoesNotStopTheNextInstance) {
    raw().SetCount(-12345);
    StandIn next;
    ASSERT_TRUE(next.Start(dir_, L"next.log"));
    ASSERT_TRUE(next.WaitReady());
    EXPECT_EQ(raw().Entries(), (std::vector<DWORD>{next.process.pid()}));
}

TEST_F(RealList, OnlyTheMainWindowOfAnotherProcessIsFound) {
    StandIn decoysOnly, withMain;
    ASSERT_TRUE(decoysOnly.Start(dir_, L"d.log", L"-decoys -nomain"));
    ASSERT_TRUE(decoysOnly.WaitReady());
    ASSERT_TRUE(withMain.Start(dir_, L"m.log", L"-decoys"));
    ASSERT_TRUE(withMain.WaitReady());
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(decoysOnly.process.pid()), nullptr);
    HWND found = COXInstanceManager::FindInstanceWindow(withMain.process.pid());
    ASSERT_NE(found, nullptr);
    wchar_t title[256] = {};
    GetWindowTextW(found, title, 256);
    EXPECT_STREQ(title, L"Glintora 7 (stand-in)");
}

TEST_F(RealList, TheSetupIsListedWhileItRunsAndLeavesWhenItEnds) {
    // As the uninstaller with -v it waits for the answer to its first question.
    ASSERT_TRUE(CopyFileTo(SetupExe(), dir_.Path(L"GltUnInst.exe")));
    MessageBoxAnswerer answerer(0xFFFFFFFF, {});
    ChildProcess setup;
    ASSERT_TRUE(setup.Start(Quote(dir_.Path(L"GltUnInst.exe")) + L" -v"));
    answerer.SetProcess(setup.pid());
    ASSERT_TRUE(answerer.WaitFor(1, 15000));
    EXPECT_EQ(raw().Entries(), (std::vector<DWORD>{setup.pid()}));
    answerer.AnswerLast(IDNO);
    ASSERT_TRUE(setup.Wait(15000));
    EXPECT_EQ(setup.ExitCode(), 1602u);
    EXPECT_TRUE(raw().Entries().empty());
}

}  // namespace
