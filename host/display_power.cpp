// The display's power state. A saver usually runs on after the display has been
// switched off for the night; nothing is worth drawing then. From Windows Vista on
// the system tells a window that asks when the display goes off and on again.
// Windows 8 and later tell the console display's state (on, off or dimmed) and
// deprecate the older notice of the monitor's power, which Vista and 7 send.
// The saver never asks the system to keep the display awake.
#include "host/host.h"

#include <string.h>

static const DWORD kDisplayOffValue = 0;

DisplayState ReadDisplayState(const POWERBROADCAST_SETTING* setting)
{
    if (!setting || setting->DataLength != sizeof(DWORD))
        return DisplayUnknown;
    if (!IsEqualGUID(setting->PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
        !IsEqualGUID(setting->PowerSetting, GUID_MONITOR_POWER_ON))
        return DisplayUnknown;
    DWORD value;
    memcpy(&value, setting->Data, sizeof value);
    return value == kDisplayOffValue ? DisplayOff : DisplayOn;
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
    const GUID& setting =
        KnowsConsoleDisplayState() ? GUID_CONSOLE_DISPLAY_STATE : GUID_MONITOR_POWER_ON;
    hostState.displayNotice = registerNotice(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingDisplayState()
{
    if (!hostState.displayNotice)
        return;
    BOOL (WINAPI *unregisterNotice)(HPOWERNOTIFY) = nullptr;
    LookUpFunction(GetModuleHandleA("USER32.DLL"), "UnregisterPowerSettingNotification",
                   unregisterNotice);
    if (unregisterNotice)
        unregisterNotice(hostState.displayNotice);
    hostState.displayNotice = nullptr;
}
