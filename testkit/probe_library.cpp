// GltProbe.dll: a library that does nothing when it is loaded, for the tests that ask the
// system whether it can load a library without running anything of consequence.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) int GltProbeAnswer() { return 7; }
