// The screen-saver host: process entry, mode dispatch, saver window and the
// Windows 95/98/ME password. One record holds every process-wide host value.
#pragma once
#include <windows.h>

// A rectangle as an origin and a size, the way the system's metrics give it.
struct ScreenBox {
    int x;
    int y;
    int width;
    int height;
};

// A full-screen run shows a scene on no more than this many monitors, the primary
// one's first: the scene table has one record for each.
constexpr int kMostMonitors = 16;
// WM_DPICHANGED, which the headers give only to programs for Windows 8.1.
constexpr UINT kDpiChanged = 0x02E0;
// Monitors beyond the scene table still get a black window, up to this many in all.
constexpr int kMostMonitorWindows = 64;
// Posted to the saver window when a monitor's scale changed: every window is fitted
// to its monitor again. (WM_APP itself asks for the password on Windows 95/98/ME.)
constexpr UINT kFitToMonitors = WM_APP + 1;

// A monitor as the system lists it; `device` names it across display changes.
struct MonitorBox {
    ScreenBox box;
    bool primary;
    char device[CCHDEVICENAME];
};

// Where the full-screen windows go, in screen coordinates: the saver window over
// the primary monitor, and one window over each other monitor, so that a frame
// clears and presents one monitor's pixels in each window, and no window spans
// monitors of different scales.
struct FullScreenLayout {
    ScreenBox window;
    char primaryDevice[CCHDEVICENAME];  // empty where the system lists no monitors
    MonitorBox others[kMostMonitorWindows - 1];
    int otherCount;
};

bool SameBox(const ScreenBox& one, const ScreenBox& other);
ScreenBox BoxOfRect(const RECT& rect);

// The monitors as a whole: a display change alters one or both.
struct DeskShape {
    ScreenBox virtualScreen;
    int monitors;
};

// A window over a monitor beside the primary one.
struct MonitorWindow {
    HWND window;
    MonitorBox monitor;
};

// The display's power state (Windows Vista and later), as the system's notices tell
// it: the console's (from Windows 8 on; the monitor's on Vista and 7) and the
// session's (Windows 8 on), which in a remote session is the remote display's.
enum DisplayState { DisplayUnknown, DisplayOff, DisplayOn };
enum DisplaySource { ConsoleDisplay, SessionDisplay, kDisplaySources };

struct HostState {
    HINSTANCE instance;           // the module every resource is loaded from
    bool isWin9x;                 // Windows 95/98/ME family: gates the password
    LPTOP_LEVEL_EXCEPTION_FILTER previousFaultFilter;  // asked first when a fault escapes a mode

    // Asked to make the process aware of pixel density before a full-screen
    // window is made; null: the system's own declaration, where it exists.
    void (*declareDpiAware)();

    HWND mainWindow;
    bool isPreview;               // set before a preview child is made; never cleared
    bool closeAccepted;           // a close was granted; never cleared
    bool promptActive;            // the password prompt is up
    bool becameForeground;        // the saver window was the foreground window when activated
    bool displayOff;              // the system has switched the display off: no frames
    DisplayState displayStates[kDisplaySources];  // what each notice said last
    HANDLE displayNotices[kDisplaySources];       // the registrations; null: none
    bool layoutPending;           // the monitors changed while the display was off
    DeskShape laidOutDesk;        // what the run's windows were last fitted to
    // The saver window's context belongs to the primary monitor's card, made for
    // the colour depth of the run's start.
    char primaryDevice[CCHDEVICENAME];
    int colourDepth;

    MonitorWindow monitorWindows[kMostMonitorWindows - 1];
    int monitorWindowCount;
    POINT anchorPoint;            // where mouse travel is measured from
    bool anchorKnown;             // false until a cursor position could be read

    HMODULE imeLibrary;
    HIMC (WINAPI *associateContext)(HWND, HIMC);
    HIMC savedInputContext;

    HMODULE verifierLibrary;
    BOOL (WINAPI *verifyPassword)(HWND);
    DWORD lastPromptTicks = 0xFFFFFFFF;  // all bits set: no prompt has ended yet

    // A quit code has been posted in this run. The system keeps only the last
    // code posted and reads it after every other posted message, so a later
    // post would replace the code of a failure; the first code must stand.
    // RunSaverWindow starts a run and clears it.
    bool quitPosted;
};

extern HostState hostState;

// GetProcAddress gives every function the one type FARPROC. The pointer to fill
// names the real type, and on i686 it must be WINAPI or the call does not
// compile; the step through void (*)() is the one cast the compiler lets pass.
template <typename Result, typename... Parameters>
void LookUpFunction(HMODULE library, const char* name, Result (WINAPI*& function)(Parameters...))
{
    function = reinterpret_cast<Result (WINAPI*)(Parameters...)>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// A system library from the system folder only, never by a bare name that searches
// the program's and the current folder first; null where it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Process entry and mode dispatch
const char* SkipProgramName(const char* commandLine);
int DispatchSaverMode(HINSTANCE instance, const char* arguments);
HWND ReadWindowHandle(const char* text);
int RunPreviewMode(const char* text);
int RunPasswordChangeMode(const char* text);
int ShowInfoDialog(HWND owner);

// Saver window
int RunSaverWindow(HWND parent);
// The saver window takes the primary monitor (the primary screen where the system
// lists no monitors), and every other monitor of a size gets a window of its own, up
// to kMostMonitors in all.
FullScreenLayout LayOutFullScreen(ScreenBox primaryScreen, const MonitorBox* monitors, int count);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Topmost windows over the layout's other monitors, owned by the saver window: each
// shows a scene of its own when the AllMonitors setting asks for it, else black.
void OpenMonitorWindows(const FullScreenLayout& layout);
// After a display change: the window of a monitor that is gone closes, one that
// moved or changed size fits it again, and a new monitor gets a window.
void FitMonitorWindows(const FullScreenLayout& layout);
// The monitors as the system lists them now, laid out for the run's windows.
FullScreenLayout MeasureFullScreen();
DeskShape ReadDesk();
bool SameDesk(const DeskShape& one, const DeskShape& other);
// After a display change, or a change of a monitor's scale: the windows are fitted
// to the monitors as they are now, or once the display is on again.
void FollowDisplayChange();
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// True when the cursor has travelled more than 4 pixels (across plus down) from the anchor.
bool MouseTravelEndsRun(POINT anchor, POINT position);
// The cursor position becomes the anchor. It cannot always be read (on Windows NT
// while the input desktop changes); then the anchor stays as it was.
void AnchorAtCursor();
// The travel rule for one cursor reading, `read` false when it failed: true when
// the run must close, the anchor then moving to the position. A failed reading
// does nothing; without an anchor, the reading becomes it.
bool CursorReadingEndsRun(bool read, POINT position);
// No frame is drawn once a close is granted, nor while the display is off.
bool FramesStopped();
// Posts the quit message with this code unless one has been posted in this run.
void PostQuitOnce(int code);
// Shows a failure in a message box without owner, captioned "Fehler", unless a
// quit has been posted in this run: a box that finds it pending closes at once,
// and the first failure's message stands.
void ShowFailure(const char* text);

// A full-screen run asks the system to tell its saver window when the display goes
// off and on again; the preview never does.
// What a power-setting notice says of the display: a notice of another setting, or
// of an unexpected size, says nothing. Dimmed counts as on.
DisplayState ReadDisplayState(const POWERBROADCAST_SETTING* setting);
// Which notice it is: the session's, or the console's (the monitor's on Vista and 7).
DisplaySource DisplayNoticeSource(const POWERBROADCAST_SETTING* setting);
// The display is off when a notice has said so and none says it is on: the console
// may be off while the remote display of a session is on.
bool DisplayIsOff(const DisplayState* states);
void WatchDisplayState(HWND window);
void StopWatchingDisplayState();

// Password (Windows 95/98/ME only)
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(bool running);
BOOL ConfirmClose(HWND window);
void ChangeSaverPassword(HWND owner);
// True while a close request must be refused without a prompt: less than 200 ms
// (modulo 2^32) have passed since the last prompt ended.
bool WithinReaskDelay(DWORD nowTicks, DWORD lastPromptTicks);
