// Closing the running copies of the product before files are replaced or removed.
#pragma once

#include <windows.h>

class COXInstanceManager;

// n is the count of registered instances read at start-up, the setup's own entry included:
// the first n - 1 entries of the list are asked to close and then terminated.
void CloseRunningInstances(int n);
void CloseRunningInstances(COXInstanceManager& list, int n);

// Whether the process runs the product's executable ("Glintr7.exe", any letter case), judged
// from its own image path.
bool IsProductProcess(HANDLE process);
