#include "instances/instance_list.h"

#include "product/product_names.h"

#include <cwchar>

GLT_IMPLEMENT_RUNTIME_CLASS(COXInstanceManager, CObject)

struct COXInstanceManager::ListWords {
    LONG firstWord;
    LONG count;
    DWORD entries[kMaxInstances];
};
static_assert(offsetof(COXInstanceManager::ListWords, count) == COXInstanceManager::kCountOffset);
static_assert(offsetof(COXInstanceManager::ListWords, entries) == COXInstanceManager::kEntriesOffset);
static_assert(sizeof(COXInstanceManager::ListWords) == COXInstanceManager::kListBytes);

namespace {

DWORD RoundUp(DWORD size, DWORD granularity) {
    if (granularity == 0) return size;
    return (size + granularity - 1) / granularity * granularity;
}

// Any process of the session can write the section: a count outside 0..1000 must never make
// us read or write outside the list.
int ClampedCount(LONG count) {
    if (count < 0) return 0;
    if (count > COXInstanceManager::kMaxInstances) return COXInstanceManager::kMaxInstances;
    return static_cast<int>(count);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK TestWindow(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId) return TRUE;
    if (GetWindow(hwnd, GW_OWNER) != nullptr) return TRUE;
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return TRUE;
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    if (wcscmp(title, L"DDE Server Window") == 0 || wcscmp(title, L"OleMainThreadWndName") == 0) return TRUE;
    size_t prefix = wcslen(product::kWindowTitlePrefix);
    if (wcsncmp(title, product::kWindowTitlePrefix, prefix) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

COXInstanceManager::COXInstanceManager(const std::wstring& applicationName, DWORD additionalDataSize,
                                       bool registerSelf)
    : m_applicationName(applicationName) {
    m_listMutex = CreateMutexW(nullptr, FALSE, (L"Local\\COXInstanceManager_InstanceList_Mutex_" + m_applicationName).c_str());
    m_additionalMutex = CreateMutexW(nullptr, FALSE, (L"Local\\COXInstanceManager_Additional_Mutex_" + m_applicationName).c_str());

    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    m_listRegionSize = RoundUp(kListBytes, info.dwAllocationGranularity);
    m_additionalDataSize = RoundUp(additionalDataSize, info.dwAllocationGranularity);

    m_section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                                   m_listRegionSize + m_additionalDataSize,
                                   (L"Local\\COXInstanceManager_FileMap_" + m_applicationName).c_str());
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
        InsideFrame([](ListWords* list) {
            list->firstWord = 1;
            list->count = 0;
            for (DWORD& entry : list->entries) entry = 0;
            return true;
        }, false);
    }
    if (registerSelf) AddInstance(GetCurrentProcessId());
}

COXInstanceManager::~COXInstanceManager() {
    RemoveInstance(GetCurrentProcessId());
    if (m_additionalView) UnmapViewOfFile(m_additionalView);
    if (m_section) CloseHandle(m_section);
    if (m_listMutex) CloseHandle(m_listMutex);
    if (m_additionalMutex) CloseHandle(m_additionalMutex);
}

template <class Work, class Result>
Result COXInstanceManager::InsideFrame(Work work, Result failure) {
    if (!m_section || !m_listMutex) return failure;
    void* view = MapViewOfFile(m_section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, m_listRegionSize);
    if (!view) return failure;
    // An owner that ended while holding the mutex leaves it abandoned: the list is still ours.
    DWORD wait = WaitForSingleObject(m_listMutex, INFINITE);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        UnmapViewOfFile(view);
        return failure;
    }
    m_listView = view;
    Result result = work(static_cast<ListWords*>(view));
    UnmapViewOfFile(view);
    m_listView = nullptr;
    ReleaseMutex(m_listMutex);
    return result;
}

int COXInstanceManager::GetInstanceCount() {
    return InsideFrame([](ListWords* list) { return ClampedCount(list->count); }, 0);
}

bool COXInstanceManager::GetInstanceList(std::vector<DWORD>& list) {
    return InsideFrame([&list](ListWords* words) {
        int count = ClampedCount(words->count);
        list.assign(words->entries, words->entries + count);
        return true;
    }, false);
}

bool COXInstanceManager::AddInstance(DWORD processId) {
    return InsideFrame([processId](ListWords* list) {
        int count = ClampedCount(list->count);
        if (count >= kMaxInstances) return false;
        for (int i = 0; i < count; ++i)
            if (HWND window = FindInstanceWindow(list->entries[i]))
                PostMessageW(window, InstanceAddedMessage, 0, static_cast<LPARAM>(processId));
        list->entries[count] = processId;
        list->count = count + 1;
        return true;
    }, false);
}

bool COXInstanceManager::RemoveInstance(DWORD processId) {
    return InsideFrame([processId](ListWords* list) {
        int count = ClampedCount(list->count);
        int found = -1;
        for (int i = 0; i < count && found < 0; ++i)
            if (list->entries[i] == processId) found = i;
        if (found < 0) return false;
        for (int i = found; i + 1 < count; ++i) list->entries[i] = list->entries[i + 1];
        list->entries[count - 1] = 0;
        list->count = count - 1;
        for (int i = 0; i < count - 1; ++i)
            if (HWND window = FindInstanceWindow(list->entries[i]))
                PostMessageW(window, InstanceRemovedMessage, 0, static_cast<LPARAM>(processId));
        return true;
    }, false);
}

HWND COXInstanceManager::FindInstanceWindow(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(TestWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
