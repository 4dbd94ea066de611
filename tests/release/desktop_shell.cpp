// The shell of a desktop for setup_test.sh: its window becomes the shell window, as
// Explorer's does on Windows and nothing does under Wine. Each file named on the
// command line is held open sharing reading and writing but not deletion, as a virus
// scanner may hold it. It prints "ready" and runs until it is ended.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND window);

int main(int argc, char **argv)
{
    HWND window = CreateWindowExA(0, "STATIC", "Desktop", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr || !SetShellWindow(window))
        return 1;
    for (int i = 1; i < argc; ++i)
        if (CreateFileA(argv[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE)
            return 2;
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
