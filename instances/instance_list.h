// The list of running instances of the product and of its setup, kept in a named section of
// shared memory that the product uses with the same names, layout and messages.
#pragma once

#include "framework/object.h"

#include <windows.h>

#include <string>
#include <vector>

inline constexpr UINT InstanceAddedMessage = 1946;
inline constexpr UINT InstanceRemovedMessage = 1947;

class COXInstanceManager : public CObject {
    GLT_DECLARE_RUNTIME_CLASS(COXInstanceManager)

public:
    // Layout of the list region, shared with the product.
    static constexpr DWORD kFirstWordOffset = 0;
    static constexpr DWORD kCountOffset = 4;
    static constexpr DWORD kEntriesOffset = 8;
    static constexpr int kMaxInstances = 1000;
    static constexpr DWORD kListBytes = kEntriesOffset + kMaxInstances * 4;  // 4008

    COXInstanceManager(const std::wstring& applicationName, DWORD additionalDataSize, bool registerSelf);
    ~COXInstanceManager() override;
    COXInstanceManager(const COXInstanceManager&) = delete;
    COXInstanceManager& operator=(const COXInstanceManager&) = delete;

    int GetInstanceCount();
    bool GetInstanceList(std::vector<DWORD>& list);
    bool AddInstance(DWORD processId);
    bool RemoveInstance(DWORD processId);

    static HWND FindInstanceWindow(DWORD processId);

    DWORD ListRegionSize() const { return m_listRegionSize; }
    DWORD AdditionalDataSize() const { return m_additionalDataSize; }

    // The words of the list region as they lie in the section.
    struct ListWords;

private:
    template <class Work, class Result>
    Result InsideFrame(Work work, Result failure);

    std::wstring m_applicationName;
    DWORD m_listRegionSize = kListBytes;
    DWORD m_additionalDataSize = 0;
    HANDLE m_listMutex = nullptr;
    HANDLE m_additionalMutex = nullptr;
    HANDLE m_section = nullptr;
    void* m_listView = nullptr;
    void* m_additionalView = nullptr;
};

// The one list object of the process, created before anything else.
extern COXInstanceManager g_instanceManager;
