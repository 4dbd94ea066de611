// The Windows 95/98/ME screen-saver password: the system's verifier, the close
// gate that asks it, the saver-running state and the password change. On every
// other system all of it stays inactive. The saver itself never sees a password.
#include "host/host.h"

#include <cstring>

static const DWORD reaskDelay = 200;          // milliseconds after a prompt ended
static const DWORD noPromptYet = 0xFFFFFFFF;

void SetSaverRunning(bool running)
{
    if (!hostState.isWin9x)
        return;
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

// Four bytes into a zeroed buffer, whatever type is stored: a longer value fails
// the read and counts as off.
static bool ProtectionSwitchedOn(HKEY desktop)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           value != 0;
}

// By bare name, a file of that name in the current or the program's folder would
// be found first and could answer every password prompt: the system's libraries
// are loaded from the system folder only. One too long for a path is left out.
HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
    size_t nameLength = strlen(name);
    if (folderLength == 0 || folderLength + 1 + nameLength >= sizeof path)
        return nullptr;
    path[folderLength] = '\\';
    memcpy(path + folderLength + 1, name, nameLength + 1);
    return LoadLibraryA(path);
}

static void LoadVerifierLibrary()
{
    hostState.verifierLibrary = LoadSystemLibrary("PASSWORD.CPL");
    if (!hostState.verifierLibrary)
        return;
    LookUpFunction(hostState.verifierLibrary, "VerifyScreenSavePwd", hostState.verifyPassword);
    if (hostState.verifyPassword)
        SetSaverRunning(true);
    else
        UnloadPasswordVerifier();
}

void LoadPasswordVerifier()
{
    if (!hostState.isWin9x)
        return;
    if (hostState.verifierLibrary)
        UnloadPasswordVerifier();
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktop) != ERROR_SUCCESS)
        return;
    if (ProtectionSwitchedOn(desktop))
        LoadVerifierLibrary();
    RegCloseKey(desktop);
}

void UnloadPasswordVerifier()
{
    if (!hostState.isWin9x || !hostState.verifierLibrary)
        return;
    FreeLibrary(hostState.verifierLibrary);
    hostState.verifierLibrary = nullptr;
    if (hostState.verifyPassword) {
        hostState.verifyPassword = nullptr;
        SetSaverRunning(false);
    }
}

bool WithinReaskDelay(DWORD nowTicks, DWORD lastPromptTicks)
{
    // Unsigned subtraction keeps the difference right across the wrap at 2^32.
    return lastPromptTicks != noPromptYet && nowTicks - lastPromptTicks < reaskDelay;
}

// Ticks that were waiting when the prompt starts would only pile up frames behind it.
static void FlushPendingTimerTicks(HWND window)
{
    MSG scratch;
    PeekMessageA(&scratch, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&scratch, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

BOOL ConfirmClose(HWND window)
{
    if (hostState.promptActive || hostState.closeAccepted)
        return FALSE;
    if (!hostState.verifyPassword) {
        hostState.closeAccepted = true;
        return TRUE;
    }
    if (WithinReaskDelay(GetTickCount(), hostState.lastPromptTicks))
        return FALSE;

    // The system's prompt runs a modal loop inside this call; messages for the
    // saver arrive nested in it, and the flag keeps them from asking again.
    hostState.promptActive = true;
    FlushPendingTimerTicks(window);
    hostState.closeAccepted = SendMessageA(window, WM_APP, 0, 0) != 0;
    hostState.promptActive = false;
    if (!hostState.closeAccepted)
        SetCursor(nullptr);
    hostState.lastPromptTicks = GetTickCount();
    return hostState.closeAccepted;
}

void ChangeSaverPassword(HWND owner)
{
    HMODULE library = LoadSystemLibrary("MPR.DLL");
    if (!library)
        return;
    DWORD (WINAPI *changePassword)(LPCSTR, HWND, DWORD, LPVOID);
    LookUpFunction(library, "PwdChangePasswordA", changePassword);
    if (changePassword)
        changePassword("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(library);
}
