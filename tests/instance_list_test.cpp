// The shared instance list inside one process, each test with a list of its own name, read
// and written also directly through the section as another process would.
#include "instances/close_running_instances.h"
#include "instances/instance_list.h"

#include "support/raw_instance_list.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <future>
#include <thread>

namespace {

using glt::test::RawInstanceList;

std::wstring UniqueListName() {
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return L"GlintoraTests." + std::wstring(info->name(), info->name() + strlen(info->name())) + L"." +
           std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}

DWORD Granularity() {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwAllocationGranularity;
}

// Top-level windows of the test process, destroyed at the end.
class Windows {
public:
    Windows() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GltListTestWindow";
        RegisterClassW(&wc);
    }
    ~Windows() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) DestroyWindow(*it);
    }
    HWND Make(const wchar_t* title, DWORD exStyle = 0, HWND owner = nullptr) {
        HWND w = CreateWindowExW(exStyle, L"GltListTestWindow", title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, owner,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        made_.push_back(w);
        return w;
    }

private:
    std::vector<HWND> made_;
};

// The instance messages that reached a window, in order.
std::vector<std::pair<UINT, LPARAM>> DrainInstanceMessages(HWND window) {
    std::vector<std::pair<UINT, LPARAM>> got;
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE))
        if (msg.message == InstanceAddedMessage || msg.message == InstanceRemovedMessage)
            got.emplace_back(msg.message, msg.lParam);
    return got;
}

TEST(InstanceList, FirstProcessCreatesAnInitialisedListAndRegisters) {
    const std::wstring name = UniqueListName();
    COXInstanceManager list(name, 1024, true);
    RawInstanceList raw(name);
    ASSERT_TRUE(raw.ok());
    EXPECT_EQ(raw.FirstWord(), 1);
    EXPECT_EQ(raw.Count(), 1);
    EXPECT_EQ(raw.Entry(0), GetCurrentProcessId());
    for (int i = 1; i < 1000; ++i) ASSERT_EQ(raw.Entry(i), 0u) << i;
    // Both regions are whole multiples of the allocation granularity (65536 here): 4008 and
    // 1024 bytes make a section of two granules.
    const DWORD g = Granularity();
    EXPECT_EQ(list.ListRegionSize(), (4008 + g - 1) / g * g);
    EXPECT_EQ(list.AdditionalDataSize(), (1024 + g - 1) / g * g);
    EXPECT_EQ(raw.SectionSize(), SIZE_T(list.ListRegionSize()) + list.AdditionalDataSize());
    EXPECT_TRUE(list.IsKindOf(GLT_RUNTIME_CLASS(COXInstanceManager)));
    EXPECT_TRUE(list.IsKindOf(GLT_RUNTIME_CLASS(CObject)));
    EXPECT_STREQ(list.GetRuntimeClass()->m_lpszClassName, "COXInstanceManager");
}

TEST(InstanceList, DestructionLeavesTheList) {
    const std::wstring name = UniqueListName();
    COXInstanceManager keeper(name, 1024, false);  // keeps the section alive
    RawInstanceList raw(name);
    raw.Reset({11, 22});
    {
        COXInstanceManager list(name, 1024, true);
        EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{11, 22, GetCurrentProcessId()}));
        EXPECT_EQ(raw.FirstWord(), 1);  // an existing list is used as it is, not initialised again
    }
    EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{11, 22}));
    EXPECT_EQ(raw.Entry(2), 0u);
}

TEST(InstanceList, RemovingShiftsTheRestAndClearsTheFreedEntry) {
    const std::wstring name = UniqueListName();
    COXInstanceManager list(name, 1024, false);
    RawInstanceList raw(name);
    for (DWORD id : {11u, 22u, 33u}) ASSERT_TRUE(list.AddInstance(id));
    ASSERT_TRUE(list.AddInstance(22));  // a duplicate is appended like any other
    EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{11, 22, 33, 22}));

    EXPECT_TRUE(list.RemoveInstance(11));  // entry 0
    EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{22, 33, 22}));
    EXPECT_EQ(raw.Entry(3), 0u);
    EXPECT_TRUE(list.RemoveInstance(22));  // only the first of two
    EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{33, 22}));
    EXPECT_EQ(raw.Entry(2), 0u);
    EXPECT_FALSE(list.RemoveInstance(99));
    EXPECT_EQ(raw.Entries(), (std::vector<DWORD>{33, 22}));

    std::vector<DWORD> copy{7, 7, 7, 7, 7};
    ASSERT_TRUE(list.GetInstanceList(copy));
    EXPECT_EQ(copy, (std::vector<DWORD>{33, 22}));
    EXPECT_EQ(list.GetInstanceCount(), 2);
}

TEST(InstanceList, AFullListRefusesThe1001st) {
    const std::wstring name = UniqueListName();
    COXInstanceManager list(name, 1024, false);
    RawInstanceList raw(name);
    std::vector<DWORD> ids;
    for (DWORD i = 0; i < 999; ++i) ids.push_back(0x7F000000u + i * 4);
    raw.Reset(ids);
    EXPECT_TRUE(list.AddInstance(5));
    EXPECT_EQ(list.GetInstanceCount(), 1000);
    EXPECT_FALSE(list.AddInstance(6));
    EXPECT_EQ(raw.Count(), 1000);
    EXPECT_EQ(raw.Entry(999), 5u);
}

// Any process can write the count: it is clamped to 0..1000 and never leads outside the list.
TEST(InstanceList, ACorruptCountIsClamped) {
    struct Case {
        LONG count;
        int seen;
        bool addAccepted;
        LONG countAfterAdd;
    } cases[] = {
        {-7, 0, true, 1},
        {INT_MIN, 0, true, 1},
        {1001, 1000, false, 1001},
        {0x7FFFFFFF, 1000, false, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const std::wstring name = UniqueListName();
        COXInstanceManager list(name, 1024, false);
        RawInstanceList raw(name);
        for (int i = 0; i < 1000; ++i) raw.SetEntry(i, 0x7E000000u + DWORD(i) * 4);
        raw.SetCount(c.count);
        EXPECT_EQ(list.GetInstanceCount(), c.seen);
        std::vector<DWORD> copy;
        ASSERT_TRUE(list.GetInstanceList(copy));
        EXPECT_EQ(copy.size(), size_t(c.seen));
        EXPECT_EQ(list.AddInstance(42), c.addAccepted);
        EXPECT_EQ(raw.Count(), c.countAfterAdd);
        if (c.addAccepted) {
            EXPECT_EQ(raw.Entry(0), 42u);
        }
        // The last entry within the list can still be found and removed.
        if (c.seen == 1000) {
            EXPECT_TRUE(list.RemoveInstance(0x7E000000u + 999 * 4));
            EXPECT_EQ(raw.Count(), 999);
            EXPECT_EQ(raw.Entry(999), 0u);
        }
    }
}

TEST(InstanceList, AnAbandonedMutexCountsAsAcquired) {
    const std::wstring name = UniqueListName();
    COXInstanceManager list(name, 1024, false);
    std::thread([&] {
        HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, (L"Local\\COXInstanceManager_InstanceList_Mutex_" + name).c_str());
        ASSERT_NE(m, nullptr);
        ASSERT_EQ(WaitForSingleObject(m, 1000), WAIT_OBJECT_0);
        CloseHandle(m);  // the thread ends still owning it
    }).join();
    auto added = std::async(std::launch::async, [&] { return list.AddInstance(77); });
    ASSERT_EQ(added.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the list hangs";
    EXPECT_TRUE(added.get());
    EXPECT_EQ(list.GetInstanceCount(), 1);
}

TEST(InstanceList, ASectionThatCannotBeCreatedActsAsAnEmptyList) {
    const std::wstring name = UniqueListName();
    // Another kind of object already holds the section's name.
    HANDLE squatter = CreateMutexW(nullptr, FALSE, (L"Local\\COXInstanceManager_FileMap_" + name).c_str());
    ASSERT_NE(squatter, nullptr);
    {
        COXInstanceManager list(name, 1024, true);
        EXPECT_EQ(list.GetInstanceCount(), 0);
        std::vector<DWORD> copy{1, 2};
        EXPECT_FALSE(list.GetInstanceList(copy));
        EXPECT_EQ(copy, (std::vector<DWORD>{1, 2}));
        EXPECT_FALSE(list.AddInstance(5));
        EXPECT_FALSE(list.RemoveInstance(5));
        CloseRunningInstances(list, 5);  // nothing to walk, nothing happens
    }
    CloseHandle(squatter);
}

TEST(InstanceList, ArrivalsAndDeparturesAreAnnouncedToListedWindows) {
    const std::wstring name = UniqueListName();
    Windows windows;
    HWND mine = windows.Make(L"Glintora (test instance)");
    COXInstanceManager list(name, 1024, true);  // the test process is entry 0
    DrainInstanceMessages(mine);

    ASSERT_TRUE(list.AddInstance(4242));
    ASSERT_TRUE(list.AddInstance(4343));
    EXPECT_EQ(DrainInstanceMessages(mine),
              (std::vector<std::pair<UINT, LPARAM>>{{InstanceAddedMessage, 4242}, {InstanceAddedMessage, 4343}}));
    ASSERT_TRUE(list.RemoveInstance(4242));
    EXPECT_EQ(DrainInstanceMessages(mine), (std::vector<std::pair<UINT, LPARAM>>{{InstanceRemovedMessage, 4242}}));
    // Nothing is posted for an ID that is not listed, nor to the departing instance itself.
    EXPECT_FALSE(list.RemoveInstance(4242));
    ASSERT_TRUE(list.RemoveInstance(GetCurrentProcessId()));
    EXPECT_TRUE(DrainInstanceMessages(mine).empty());
}

TEST(InstanceList, FindInstanceWindowTakesOnlyTheMainWindow) {
    Windows windows;
    HWND anchor = windows.Make(L"Plain anchor");
    windows.Make(L"Glintora owned", 0, anchor);
    windows.Make(L"Glintora tool", WS_EX_TOOLWINDOW);
    windows.Make(L"glintora lower case");
    windows.Make(L"OleMainThreadWndName");
    windows.Make(L"DDE Server Window");
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(GetCurrentProcessId()), nullptr);

    HWND main = windows.Make(L"Glintora 7 - capture");
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(GetCurrentProcessId()), main);
    EXPECT_EQ(COXInstanceManager::FindInstanceWindow(0x7FFFFFF0u), nullptr);
}

}  // namespace
