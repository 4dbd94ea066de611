// Stands in for the system's MPR.DLL: the password change only logs what it was asked.
#include <windows.h>

#include "tests/host/double_log.h"

static HMODULE self;

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner,
                                                                 DWORD flags, LPVOID reserved)
{
    char line[160];
    wsprintfA(line, "change provider=%s owner=%lu flags=%lu reserved=%lu", provider,
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)),
              static_cast<unsigned long>(flags),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(reserved)));
    AppendToLog(self, "mpr_log.txt", line);
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}
