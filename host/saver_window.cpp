// The saver window: its class, its creation, the message loop, and the procedure
// registered with the class, which sees every message before the scene does.
#include "host/host.h"

#include "scene/scene.h"

static const char saverClassName[] = "WindowsScreenSaverClass";
static const char fullScreenTitle[] = "Screen Saver";
static const char previewTitle[] = "Preview";

struct WindowShape {
    const char* title;
    DWORD style;
    DWORD exStyle;
    ScreenBox frame;
};

static WindowShape PreviewShape(HWND parent)
{
    RECT client = {};
    GetClientRect(parent, &client);
    return {previewTitle, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
            {0, 0, client.right, client.bottom}};
}

// More monitors are read than get a window, so that the primary one is found
// among them wherever the system lists it.
static const int kMonitorsRead = 64;

struct MonitorList {
    MonitorBox monitors[kMonitorsRead];
    int count;
    BOOL (WINAPI *getInfo)(HMONITOR, LPMONITORINFO);
};

static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list)
{
    auto* found = reinterpret_cast<MonitorList*>(list);
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (found->count < kMonitorsRead && found->getInfo(monitor, &info)) {
        MonitorBox& box = found->monitors[found->count++];
        box.box = BoxOfRect(info.rcMonitor);
        box.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        lstrcpynA(box.device, info.szDevice, sizeof box.device);
    }
    return TRUE;
}

// Every monitor gets a window, so that none of them keeps showing the desktop. The
// monitor functions came with Windows 98 and 2000; without them the primary screen
// is the only monitor.
FullScreenLayout MeasureFullScreen()
{
    // The system keeps the primary screen's top left corner at the origin.
    ScreenBox primaryScreen = {0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN)};
    MonitorList list = {};
    BOOL (WINAPI *enumerate)(HDC, LPCRECT, MONITORENUMPROC, LPARAM) = nullptr;
    HMODULE user = GetModuleHandleA("USER32.DLL");
    LookUpFunction(user, "EnumDisplayMonitors", enumerate);
    LookUpFunction(user, "GetMonitorInfoA", list.getInfo);
    if (enumerate && list.getInfo)
        enumerate(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return LayOutFullScreen(primaryScreen, list.monitors, list.count);
}

DeskShape ReadDesk()
{
    return {{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)},
            GetSystemMetrics(SM_CMONITORS)};
}

bool SameDesk(const DeskShape& one, const DeskShape& other)
{
    return SameBox(one.virtualScreen, other.virtualScreen) && one.monitors == other.monitors;
}

static WindowShape FullScreenShape(ScreenBox frame)
{
    return {fullScreenTitle, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
            WS_EX_TOPMOST, frame};
}

static int ScreenColourDepth()
{
    HDC screen = GetDC(nullptr);
    int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}

// A full-screen saver that runs already is brought to the front instead.
static bool ActivateRunningSaver()
{
    HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (!running || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

static bool CreateSaverWindow(HWND parent, const WindowShape& shape)
{
    WNDCLASSA saverClass = {};
    saverClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    saverClass.lpfnWndProc = SaverWindowProc;
    saverClass.hInstance = hostState.instance;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = saverClassName;
    if (!RegisterClassA(&saverClass))
        return false;
    // The scene sets itself up inside this call, on WM_CREATE.
    const ScreenBox& frame = shape.frame;
    hostState.mainWindow = CreateWindowExA(shape.exStyle, saverClassName, shape.title,
                                           shape.style, frame.x, frame.y, frame.width,
                                           frame.height, parent, nullptr, hostState.instance,
                                           nullptr);
    return hostState.mainWindow != nullptr;
}

// Shown while it was made, the window was activated then, and where the system let
// the saver have the foreground it became the foreground window. Only where it did
// not (the foreground lock of Windows 98 and 2000 on may leave another application
// in front, the saver window merely the active one of its own thread) is it brought
// to the front now. Taking the foreground back from an application the user has
// switched to since would lose that switch, which must end the run.
static void BringToFront()
{
    HWND window = hostState.mainWindow;
    if (!hostState.becameForeground && GetForegroundWindow() != window)
        SetForegroundWindow(window);
}

static int RunMessageLoop()
{
    MSG message = {};
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        // A failed read leaves the record as it was, with an earlier message's wParam.
        if (got == -1)
            return -1;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunSaverWindow(HWND parent)
{
    // A run starts here, and the first quit code posted in it must stand; nothing
    // an earlier run in this process learnt of the display holds any longer.
    hostState.quitPosted = false;
    hostState.becameForeground = false;
    hostState.displayOff = false;
    hostState.layoutPending = false;
    for (DisplayState& state : hostState.displayStates)
        state = DisplayUnknown;
    WindowShape shape;
    FullScreenLayout layout = {};
    if (parent) {
        shape = PreviewShape(parent);
        hostState.isPreview = true;
    } else {
        hostState.laidOutDesk = ReadDesk();
        layout = MeasureFullScreen();
        lstrcpynA(hostState.primaryDevice, layout.primaryDevice, sizeof hostState.primaryDevice);
        hostState.colourDepth = ScreenColourDepth();
        shape = FullScreenShape(layout.window);
        if (ActivateRunningSaver())
            return 0;
        LoadPasswordVerifier();
    }
    // Without a window there is no quit value; the run reports failure.
    int result = -1;
    if (CreateSaverWindow(parent, shape)) {
        if (!parent) {
            OpenMonitorWindows(layout);
            BringToFront();
            WatchDisplayState(hostState.mainWindow);
        }
        result = RunMessageLoop();
        if (!parent)
            StopWatchingDisplayState();
    }
    UnloadPasswordVerifier();
    return result;
}

static void HideCursorInFullScreen()
{
    if (!hostState.isPreview)
        SetCursor(nullptr);
}

// Typing into the saver must not reach an input method. The library is used
// only if something else has loaded it already.
static void DetachInputContext(HWND window)
{
    hostState.imeLibrary = GetModuleHandleA("IMM32.DLL");
    if (!hostState.imeLibrary)
        return;
    LookUpFunction(hostState.imeLibrary, "ImmAssociateContext", hostState.associateContext);
    if (hostState.associateContext)
        hostState.savedInputContext = hostState.associateContext(window, nullptr);
}

static void RestoreInputContext(HWND window)
{
    if (hostState.imeLibrary && hostState.associateContext && hostState.savedInputContext)
        hostState.associateContext(window, hostState.savedInputContext);
}

static void PrepareWindow(HWND window)
{
    DetachInputContext(window);
    AnchorAtCursor();
    HideCursorInFullScreen();
}

// The display settings show help for the preview's parent, not for the preview.
// A help request's lParam points to its details, valid only while it is being
// handled: it is sent, and only the context menu is posted.
static void ForwardToPreviewParent(HWND window, UINT message, LPARAM lParam)
{
    HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent))
        return;
    WPARAM parentHandle = reinterpret_cast<WPARAM>(parent);
    if (message == WM_HELP)
        SendMessageTimeoutA(parent, message, parentHandle, lParam, SMTO_ABORTIFHUNG, 1000,
                            nullptr);
    else
        PostMessageA(parent, message, parentHandle, lParam);
}

// A dock, a lid or a remote session can give the primary monitor another card, and
// another colour depth may want another pixel format: the saver window's context
// may then draw nowhere. Its scene is bound to the window's life, so the run ends
// as a key would end it, and the system starts the saver anew on the new display.
static bool EndRunForNewAdapter(const char* primaryDevice, int colourDepth)
{
    if (lstrcmpA(primaryDevice, hostState.primaryDevice) == 0 &&
        colourDepth == hostState.colourDepth)
        return false;
    PostMessageA(hostState.mainWindow, WM_CLOSE, 0, 0);
    return true;
}

// The saver window takes the primary monitor's rectangle, and the others follow
// their monitors. The system may have moved the cursor off a monitor that went
// away; where it stands now is where the user's travel starts.
static void FitWindowsToMonitors()
{
    hostState.laidOutDesk = ReadDesk();
    FullScreenLayout layout = MeasureFullScreen();
    if (EndRunForNewAdapter(layout.primaryDevice, hostState.colourDepth))
        return;
    const ScreenBox& frame = layout.window;
    SetWindowPos(hostState.mainWindow, HWND_TOPMOST, frame.x, frame.y, frame.width,
                 frame.height, SWP_NOACTIVATE);
    FitMonitorWindows(layout);
    AnchorAtCursor();
}

// A monitor added, removed, moved, resized or scaled: the run goes on over the
// monitors as they are now. DisplayPort monitors leave the layout when they sleep,
// so a change often comes as the display goes off; the windows are then fitted
// when it is on again.
void FollowDisplayChange()
{
    if (hostState.displayOff) {
        hostState.layoutPending = true;
        // Taken as known, so that a mouse move ends the run meanwhile.
        hostState.laidOutDesk = ReadDesk();
        return;
    }
    FitWindowsToMonitors();
}

// While the display is off nothing is drawn, and the timer that asks for frames
// stops, so that the process sleeps. The clock moves by frames, so the animation
// goes on where it stopped.
static void FollowDisplayState(HWND window, const POWERBROADCAST_SETTING* setting)
{
    DisplayState state = ReadDisplayState(setting);
    if (state == DisplayUnknown)
        return;
    hostState.displayStates[DisplayNoticeSource(setting)] = state;
    bool off = DisplayIsOff(hostState.displayStates);
    if (off == hostState.displayOff)
        return;
    hostState.displayOff = off;
    if (off) {
        StopSceneTimer(window);
        return;
    }
    if (hostState.layoutPending) {
        hostState.layoutPending = false;
        FitWindowsToMonitors();
    }
    StartSceneTimer(window);
}

// Switching tasks or starting another saver must not interrupt a full-screen run.
static bool IsBlockedSystemCommand(WPARAM command)
{
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        PrepareWindow(window);
        break;
    case WM_DESTROY:
        RestoreInputContext(window);
        PostQuitOnce(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (FramesStopped())
            return DefWindowProcA(window, message, wParam, lParam);
        HideCursorInFullScreen();
        break;
    case WM_HELP: case WM_CONTEXTMENU:
        if (hostState.isPreview) {
            ForwardToPreviewParent(window, message, lParam);
            return 1;
        }
        break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        if (hostState.closeAccepted)
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        if (!hostState.isPreview && IsBlockedSystemCommand(wParam))
            return 0;
        break;
    case WM_TIMER:
        if (FramesStopped())
            return 0;
        Sleep(0);
        break;
    case WM_DISPLAYCHANGE:
        // The new colour depth comes with the notice.
        if (!hostState.isPreview && !hostState.closeAccepted &&
            !EndRunForNewAdapter(hostState.primaryDevice, static_cast<int>(wParam))) {
            FollowDisplayChange();
            return 0;
        }
        break;
    case kDpiChanged: case kFitToMonitors:
        if (!hostState.isPreview && !hostState.closeAccepted) {
            FollowDisplayChange();
            return 0;
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE && !hostState.isPreview && !hostState.closeAccepted) {
            FollowDisplayState(window, reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
            return TRUE;
        }
        break;
    }
    return SceneWindowProc(window, message, wParam, lParam);
}
