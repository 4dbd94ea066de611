// The display's power state. A saver usually runs on after the display has been
// switched off for the night; nothing is worth drawing then. From Windows Vista on
// the system tells a window that asks when the display goes off and on again.
// Windows 8 and later tell the console display's state (on, off or dimmed) and
// deprecate the older notice of the monitor's power, which Vista and 7 send. They
// also tell the session's display state, which programs of an interactive
// session are meant to follow: in a remote session it is the remote display's.
// The saver never asks the system to keep the display awake.
#include "host/host.h"

#include <string.h>

static const DWORD kDisplayOffValue = 0;

DisplayState ReadDisplayState(const POWERBROADCAST_SETTING* setting)
{
    if (!setting || setting->DataLength != sizeof(DWORD))
        return DisplayUnknown;
    if (!IsEqualGUID(setting->PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
        !IsEqualGUID(setting->PowerSetting, GUID_MONITOR_POWER_ON) &&
        !IsEqualGUID(setting->PowerSetting, GUID_SESSION_DISPLAY_STATUS))
        return DisplayUnknown;
    DWORD value;
    memcpy(&value, setting->Data, sizeof value);
    return value == kDisplayOffValue ? DisplayOff : DisplayOn;
}

DisplaySource DisplayNoticeSource(const POWERBROADCAST_SETTING* setting)
{
    return IsEqualGUID(setting->PowerSetting, GUID_SESSION_DISPLAY_STATUS) ? SessionDisplay
                                                                           : ConsoleDisplay;
}

bool DisplayIsOff(const DisplayState* states)
{
    bool off = false;
    for (int source = 0; source < kDisplaySources; ++source) {
        if (states[source] == DisplayOn)
            return false;
        off = off || states[source] == DisplayOff;
    }
    return off;
}

// Windows 8 is version 6.2; without a manifest, 8.1 and later report 6.2 too.
static bool KnowsConsoleDisplayState()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
}

void WatchDisplayState(HWND window)
{
    HPOWERNOTIFY (WINAPI *registerNotice)(HANDLE, LPCGUID, DWORD) = nullptr;
    LookUpFunction(GetModuleHandleA("USER32.DLL"), "RegisterPowerSettingNotification",
                   registerNotice);
    // Before Vista there is no such notice, and the saver draws all the while.
    if (!registerNotice)
        return;
    const bool windows8 = KnowsConsoleDisplayState();
    hostState.displayNotices[ConsoleDisplay] =
        registerNotice(window, windows8 ? &GUID_CONSOLE_DISPLAY_STATE : &GUID_MONITOR_POWER_ON,
                       DEVICE_NOTIFY_WINDOW_HANDLE);
    if (windows8)
        hostState.displayNotices[SessionDisplay] =
            registerNotice(window, &GUID_SESSION_DISPLAY_STATUS, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingDisplayState()
{
    BOOL (WINAPI *unregisterNotice)(HPOWERNOTIFY) = nullptr;
    LookUpFunction(GetModuleHandleA("USER32.DLL"), "UnregisterPowerSettingNotification",
                   unregisterNotice);
    for (HANDLE& notice : hostState.displayNotices) {
        if (notice && unregisterNotice)
            unregisterNotice(notice);
        notice = nullptr;
    }
}
