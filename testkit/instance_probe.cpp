// Prints the product's shared list of running instances: one line per entry with its
// process ID, whether the process still runs, and its program file.
#include "instances/instance_list.h"
#include "product/product_names.h"

#include <windows.h>

#include <cstdio>
#include <vector>

int wmain() {
    COXInstanceManager list(product::kInstanceListName, product::kInstanceAdditionalDataSize, false);
    std::vector<DWORD> ids;
    if (!list.GetInstanceList(ids)) {
        wprintf(L"the list of running instances cannot be read\n");
        return 1;
    }
    wprintf(L"%zu listed\n", ids.size());
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
        wchar_t path[MAX_PATH] = L"?";
        DWORD size = MAX_PATH;
        bool running = false;
        if (process) {
            running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
            if (!QueryFullProcessImageNameW(process, 0, path, &size)) wcscpy(path, L"?");
            CloseHandle(process);
        }
        const wchar_t* name = wcsrchr(path, L'\\');
        wprintf(L"%lu %ls %ls\n", id, running ? L"running" : L"ended", name ? name + 1 : path);
    }
    return 0;
}
