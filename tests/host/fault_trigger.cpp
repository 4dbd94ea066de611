// Linked only into the fault probe, a test build of the saver: a hidden window
// on the saver's thread that faults when it receives WM_APP, so that a processor
// fault arises inside the running mode's message loop.
#include <windows.h>

static LRESULT CALLBACK FaultingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        *static_cast<volatile int*>(nullptr) = 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateFaultTrigger()
{
    WNDCLASSA triggerClass = {};
    triggerClass.lpfnWndProc = FaultingProc;
    triggerClass.hInstance = GetModuleHandleA(nullptr);
    triggerClass.lpszClassName = "KhFaultTrigger";
    RegisterClassA(&triggerClass);
    return CreateWindowExA(0, triggerClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           nullptr, triggerClass.hInstance, nullptr);
}

// Made before WinMain runs, on the thread that later runs the saver.
[[maybe_unused]] static HWND faultTrigger = CreateFaultTrigger();
