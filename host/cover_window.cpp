// The black windows over the monitors beside the primary one. They cost nothing
// per frame: the scene's window keeps to the primary monitor, so a frame clears
// and presents that monitor's pixels alone. Owned by the saver window, they stay
// above it and go with it; they hand the saver window every input, which ends the
// run through its own close request and password gate.
#include "host/host.h"

static const char coverClassName[] = "KranichhofCoverClass";

static LRESULT HandToSaver(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hostState.mainWindow, message, wParam, lParam);
}

LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEACTIVATE:
        // The saver window keeps the activation, and with it the keyboard: a click
        // here must not look like the saver's window losing it.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        // The saver hides the cursor as over its own window.
        return HandToSaver(message, reinterpret_cast<WPARAM>(hostState.mainWindow), lParam);
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_SYSCOMMAND:
        return HandToSaver(message, wParam, lParam);
    case WM_CLOSE:
        // A cover closes only with the run, whose close request may be refused.
        PostMessageA(hostState.mainWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CoverOtherMonitors(const FullScreenLayout& layout)
{
    WNDCLASSA coverClass = {};
    coverClass.lpfnWndProc = CoverWindowProc;
    coverClass.hInstance = hostState.instance;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = coverClassName;
    // An earlier run in the same process has registered the class already.
    if (layout.coverCount > 0)
        RegisterClassA(&coverClass);
    for (int i = 0; i < layout.coverCount; ++i) {
        const ScreenBox& cover = layout.covers[i];
        HWND window = CreateWindowExA(WS_EX_TOPMOST, coverClassName, "", WS_POPUP, cover.x,
                                      cover.y, cover.width, cover.height, hostState.mainWindow,
                                      nullptr, hostState.instance, nullptr);
        // Shown without taking the activation from the saver window.
        if (window)
            ShowWindow(window, SW_SHOWNA);
    }
}
