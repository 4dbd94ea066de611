// setup_test.sh's shell window of the desktop, which Wine has not: prints "ready" and runs
// until ended, holding each file it is given open without sharing deletion (as virus scanners may).
#include <windows.h>
#include <cstdio>
extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND window);
int main(int argc, char **argv)
{
    SetShellWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0));
    for (int i = 1; i < argc; ++i)
        CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
}
