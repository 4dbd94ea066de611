// Mode dispatch: a first stand-in that knows the full-screen and preview modes.
#include "host/host.h"

#include "resources/resource_ids.h"
#include "settings/settings.h"

UINT ReadWindowHandle(const char* text)
{
    UINT value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<UINT>(*text - '0');
    return value;
}

int RunPreviewMode(const char* text)
{
    HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(ReadWindowHandle(text)));
    if (!parent || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}

int RunPasswordChangeMode(const char*)
{
    return 0;
}

int ShowInfoDialog(HWND owner)
{
    return static_cast<int>(DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_ABOUT),
                                            owner, AboutDialogProc, 0));
}

int DispatchSaverMode(HINSTANCE instance, const char* arguments)
{
    hostState.instance = instance;
    for (const char* c = arguments;; ++c) {
        switch (*c) {
        case '\0': return ShowInfoDialog(nullptr);
        case ' ': case '-': case '/': continue;
        case 's': case 'S': return RunSaverWindow(nullptr);
        case 'p': case 'P': case 'l': case 'L':
            ++c;
            while (*c == ' ')
                ++c;
            return RunPreviewMode(c);
        case 'c': case 'C': return ShowInfoDialog(GetForegroundWindow());
        default: return -1;
        }
    }
}
