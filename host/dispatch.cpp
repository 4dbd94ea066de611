// Taking the command line apart and running the one mode it asks for.
#include "host/host.h"

#include "host/mode_choice.h"

#include "resources/resource_ids.h"
#include "settings/settings.h"

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and PROCESS_PER_MONITOR_DPI_AWARE, which
// the headers give only to programs for Windows 10 and 8.1.
static const INT_PTR kPerMonitorAwareV2 = -4;
static const int kPerMonitorAware = 2;

HWND ReadWindowHandle(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ReadHandleNumber(text)));
}

int RunPreviewMode(const char* text)
{
    HWND parent = ReadWindowHandle(text);
    if (!parent || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}

int RunPasswordChangeMode(const char* text)
{
    HWND owner = ReadWindowHandle(text);
    if (!owner || !IsWindow(owner))
        owner = GetForegroundWindow();
    ChangeSaverPassword(owner);
    return 0;
}

int ShowInfoDialog(HWND owner)
{
    return static_cast<int>(DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_ABOUT),
                                            owner, AboutDialogProc, 0));
}

static bool ReportsWin9xFamily()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = 148;  // the size every system of the family knows
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// On a screen scaled above 100 % the system would otherwise draw the saver at a
// lower resolution and stretch it. From Windows 8.1 on each monitor has a scale
// of its own, and a process aware of the system's scale only still reads scaled
// rectangles, and is stretched, on every monitor of another scale: the run asks
// to see every monitor in its own pixels, with the newest call the system has.
// Only the full-screen run does; the dialogs and the preview stay as the system
// scales them. Vista and 7 know the system's scale alone, and before Vista
// nothing is declared. No answer is needed: a refusal leaves the saver scaled as
// before.
static void DeclareDpiAware()
{
    if (hostState.declareDpiAware) {
        hostState.declareDpiAware();
        return;
    }
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (!user32)
        return;
    BOOL (WINAPI *setContext)(HANDLE) = nullptr;
    LookUpFunction(user32, "SetProcessDpiAwarenessContext", setContext);
    // Windows 10 1703: each monitor's own scale, dialogs and all scaled by the system.
    if (setContext && setContext(reinterpret_cast<HANDLE>(kPerMonitorAwareV2)))
        return;
    // Windows 8.1; SHCORE.DLL keeps the awareness in the process, not in itself.
    if (HMODULE shcore = LoadSystemLibrary("SHCORE.DLL")) {
        HRESULT (WINAPI *setAwareness)(int) = nullptr;
        LookUpFunction(shcore, "SetProcessDpiAwareness", setAwareness);
        HRESULT result = setAwareness ? setAwareness(kPerMonitorAware) : E_NOTIMPL;
        FreeLibrary(shcore);
        if (SUCCEEDED(result))
            return;
    }
    BOOL (WINAPI *setProcessDpiAware)() = nullptr;
    LookUpFunction(user32, "SetProcessDPIAware", setProcessDpiAware);
    if (setProcessDpiAware)
        setProcessDpiAware();
}

static int RunChosenMode(const char* arguments)
{
    ModeChoice choice = ChooseSaverMode(arguments, hostState.isWin9x);
    switch (choice.mode) {
    case modeAboutWithoutOwner:
        return ShowInfoDialog(nullptr);
    case modeAboutWithForegroundOwner:
        return ShowInfoDialog(GetForegroundWindow());
    case modeFullScreen:
        DeclareDpiAware();
        return RunSaverWindow(nullptr);
    case modePreview:
        return RunPreviewMode(choice.handleText);
    case modePasswordChange:
        return RunPasswordChangeMode(choice.handleText);
    case modeInvalid:
        break;
    }
    return -1;
}

// A fault that escapes a mode must not leave the system believing that a saver
// still runs. Whoever handled unhandled faults before (the runtime's signal
// translation, then the system's report) decides first; unless it repairs the
// fault, the running state is cleared before the process goes down.
static LONG WINAPI ClearRunningStateOnFault(EXCEPTION_POINTERS* fault)
{
    LONG decision = hostState.previousFaultFilter ? hostState.previousFaultFilter(fault)
                                                  : EXCEPTION_CONTINUE_SEARCH;
    if (decision != EXCEPTION_CONTINUE_EXECUTION)
        SetSaverRunning(false);
    return decision;
}

int DispatchSaverMode(HINSTANCE instance, const char* arguments)
{
    hostState.instance = instance;
    hostState.previousFaultFilter = SetUnhandledExceptionFilter(ClearRunningStateOnFault);
    hostState.isWin9x = ReportsWin9xFamily();
    int result = RunChosenMode(arguments);
    SetUnhandledExceptionFilter(hostState.previousFaultFilter);
    return result;
}
