// Taking the command line apart and running the one mode it asks for.
#include "host/host.h"

#include "resources/resource_ids.h"
#include "settings/settings.h"

static bool IsAboveSpace(char c)
{
    return static_cast<unsigned char>(c) > ' ';
}

const char* SkipProgramName(const char* commandLine)
{
    // CharNextA steps over a double-byte character of the ANSI code page as one.
    const char* text = commandLine;
    if (*text == '"') {
        text = CharNextA(text);
        while (*text && *text != '"')
            text = CharNextA(text);
        if (*text == '"')
            text = CharNextA(text);
    } else {
        while (IsAboveSpace(*text))
            text = CharNextA(text);
    }
    while (*text && !IsAboveSpace(*text))
        text = CharNextA(text);
    return text;
}

HWND ReadWindowHandle(const char* text)
{
    // Handles are 32-bit values on every system the saver is started on.
    UINT value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<UINT>(*text - '0');
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
}

static const char* SkipBlanks(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
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

// Only the first letter counts; switch characters before it are optional and may repeat.
static int RunModeOfFirstLetter(const char* text)
{
    for (;; ++text) {
        switch (*text) {
        case '\0':
            return ShowInfoDialog(nullptr);
        case ' ': case '-': case '/':
            continue;
        case 'A': case 'a':
            if (!hostState.isWin9x)
                return -1;
            return RunPasswordChangeMode(SkipBlanks(text + 1));
        case 'C': case 'c':
            return ShowInfoDialog(GetForegroundWindow());
        case 'L': case 'l': case 'P': case 'p':
            return RunPreviewMode(SkipBlanks(text + 1));
        case 'S': case 's':
            return RunSaverWindow(nullptr);
        default:
            return -1;
        }
    }
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
    int result = RunModeOfFirstLetter(arguments);
    SetUnhandledExceptionFilter(hostState.previousFaultFilter);
    return result;
}
