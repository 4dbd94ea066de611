// The saver window: a first stand-in that runs the scene full-screen or in preview
// and closes on a key or a button.
#include "host/host.h"

#include "scene/scene.h"

static const char kClassName[] = "WindowsScreenSaverClass";

int RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = hostState.instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;

    int width, height;
    DWORD style, exStyle;
    const char* title;
    if (parent) {
        RECT client;
        GetClientRect(parent, &client);
        width = client.right;
        height = client.bottom;
        hostState.isPreview = true;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        exStyle = 0;
        title = "Preview";
    } else {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_TOPMOST;
        title = "Screen Saver";
    }
    if (RegisterClassA(&windowClass))
        hostState.mainWindow = CreateWindowExA(exStyle, kClassName, title, style, 0, 0, width,
                                               height, parent, nullptr, hostState.instance, nullptr);
    MSG message = {};
    if (hostState.mainWindow) {
        if (!parent)
            SetForegroundWindow(hostState.mainWindow);
        while (GetMessageA(&message, nullptr, 0, 0)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)
        Sleep(0);
    return SceneWindowProc(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.isPreview) {
        switch (message) {
        case WM_KEYDOWN: case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
