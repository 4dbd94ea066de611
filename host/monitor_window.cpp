// The windows over the monitors beside the primary one. Each shows a scene of its
// own, drawn on the saver window's timer, or stays black when the AllMonitors
// setting is off or its scene cannot be made. Owned by the saver window, they stay
// above it and go with it; they never take the activation, and they hand the saver
// window every input, which ends the run through its own close request and
// password gate.
#include "host/host.h"

#include "scene/scene.h"
#include "settings/settings.h"

static const char monitorClassName[] = "KranichhofMonitorClass";

static LRESULT HandToSaver(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hostState.mainWindow, message, wParam, lParam);
}

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (!saverSettings.AllMonitors)
            return 0;
        break;
    case WM_PAINT:
        if (FramesStopped())
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_MOUSEACTIVATE:
        // The saver window keeps the activation, and with it the keyboard: a click
        // here must not look like the saver's window losing it. These windows never
        // have the keyboard focus, so no key reaches them to be handed on.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        // The saver hides the cursor as over its own window.
        return HandToSaver(message, reinterpret_cast<WPARAM>(hostState.mainWindow), lParam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_SYSCOMMAND:
        return HandToSaver(message, wParam, lParam);
    case kDpiChanged:
        // The saver window fits every window to its monitor; this one may be
        // closed by it, so not while its own message is handled.
        PostMessageA(hostState.mainWindow, kFitToMonitors, 0, 0);
        return 0;
    case WM_CLOSE:
        // These windows close only with the run, whose close request may be refused.
        PostMessageA(hostState.mainWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    // The scene takes its creation, size, paint and destruction; a window without
    // a scene passes them through to the system, which paints it black.
    switch (message) {
    case WM_CREATE: case WM_SIZE: case WM_PAINT: case WM_DESTROY:
        return SceneWindowProc(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void RegisterMonitorClass()
{
    WNDCLASSA monitorClass = {};
    // Each window keeps its own device context, for the pixel format of its scene.
    monitorClass.style = CS_OWNDC;
    monitorClass.lpfnWndProc = MonitorWindowProc;
    monitorClass.hInstance = hostState.instance;
    monitorClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    monitorClass.lpszClassName = monitorClassName;
    // Fails harmlessly where an earlier run in the same process registered it.
    RegisterClassA(&monitorClass);
}

static HWND CreateMonitorWindow(DWORD exStyle, const ScreenBox& box)
{
    return CreateWindowExA(exStyle, monitorClassName, "",
                           WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, box.x, box.y, box.width,
                           box.height, hostState.mainWindow, nullptr, hostState.instance, nullptr);
}

// A monitor beyond the scene table gets a window all the same: without a record
// it stays black, and no monitor shows the desktop.
static void OpenMonitorWindow(const MonitorBox& monitor)
{
    if (hostState.monitorWindowCount >= kMostMonitorWindows - 1)
        return;
    // Never activated, by the mouse, by touch or by pen: the saver window keeps the
    // activation, whose loss would end the run. Windows 98 and ME know no such
    // style; there MA_NOACTIVATE alone keeps a click from activating the window.
    HWND window = CreateMonitorWindow(WS_EX_TOPMOST | WS_EX_NOACTIVATE, monitor.box);
    if (!window)
        window = CreateMonitorWindow(WS_EX_TOPMOST, monitor.box);
    if (!window)
        return;
    hostState.monitorWindows[hostState.monitorWindowCount++] = {window, monitor};
    // Shown without taking the activation from the saver window.
    ShowWindow(window, SW_SHOWNA);
}

static bool SameMonitor(const MonitorBox& one, const MonitorBox& other)
{
    return lstrcmpA(one.device, other.device) == 0;
}

static const MonitorBox* FindMonitor(const FullScreenLayout& layout, const MonitorBox& monitor)
{
    for (int i = 0; i < layout.otherCount; ++i)
        if (SameMonitor(layout.others[i], monitor))
            return &layout.others[i];
    return nullptr;
}

// A window that stays keeps its scene: a new size refits the scene's projection on
// WM_SIZE, and its animation goes on. It is fitted by where it really is: the
// system moves the windows of a monitor that leaves the layout onto the others,
// and that monitor may come back where it was.
static bool KeepMonitorWindow(MonitorWindow& kept, const FullScreenLayout& layout)
{
    const MonitorBox* monitor = FindMonitor(layout, kept.monitor);
    if (!monitor) {
        // Its scene's resources go with it.
        DestroyWindow(kept.window);
        return false;
    }
    const ScreenBox& box = monitor->box;
    RECT frame = {};
    GetWindowRect(kept.window, &frame);
    if (!SameBox(box, BoxOfRect(frame)))
        SetWindowPos(kept.window, HWND_TOPMOST, box.x, box.y, box.width, box.height,
                     SWP_NOACTIVATE);
    kept.monitor = *monitor;
    return true;
}

void FitMonitorWindows(const FullScreenLayout& layout)
{
    int kept = 0;
    for (int i = 0; i < hostState.monitorWindowCount; ++i)
        if (KeepMonitorWindow(hostState.monitorWindows[i], layout))
            hostState.monitorWindows[kept++] = hostState.monitorWindows[i];
    hostState.monitorWindowCount = kept;
    if (layout.otherCount > 0)
        RegisterMonitorClass();
    for (int i = 0; i < layout.otherCount; ++i) {
        bool open = false;
        for (int k = 0; k < kept && !open; ++k)
            open = SameMonitor(hostState.monitorWindows[k].monitor, layout.others[i]);
        if (!open)
            OpenMonitorWindow(layout.others[i]);
    }
}

void OpenMonitorWindows(const FullScreenLayout& layout)
{
    hostState.monitorWindowCount = 0;
    FitMonitorWindows(layout);
}
