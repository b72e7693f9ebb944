// KESTROGui.dll carries only resources: the window pictures of the program.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
