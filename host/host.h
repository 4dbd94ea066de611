// The screen-saver host: process entry, mode dispatch, saver window and the
// Windows 95/98/ME password. One record holds every process-wide host value.
#pragma once
#include <windows.h>

struct HostState {
    HINSTANCE instance;           // the module every resource is loaded from
    bool isWin9x;                 // Windows 95/98/ME family: gates the password
    LPTOP_LEVEL_EXCEPTION_FILTER previousFaultFilter;  // asked first when a fault escapes a mode

    HWND mainWindow;
    bool isPreview;               // set before a preview child is made; never cleared
    bool closeAccepted;           // a close was granted; never cleared
    bool promptActive;            // the password prompt is up
    POINT anchorPoint;            // where mouse travel is measured from

    HMODULE imeLibrary;
    HIMC (WINAPI *associateContext)(HWND, HIMC);
    HIMC savedInputContext;

    HMODULE verifierLibrary;
    BOOL (WINAPI *verifyPassword)(HWND);
    DWORD lastPromptTicks = 0xFFFFFFFF;  // all bits set: no prompt has ended yet

    // A quit code has been posted in this run. The system keeps only the last
    // code posted and reads it after every other posted message, so a later
    // post would replace the code of a failure; the first code must stand.
    // The scene's creation starts a run and clears it.
    bool quitPosted;
};

extern HostState hostState;

// Process entry and mode dispatch
const char* SkipProgramName(const char* commandLine);
int DispatchSaverMode(HINSTANCE instance, const char* arguments);
HWND ReadWindowHandle(const char* text);
int RunPreviewMode(const char* text);
int RunPasswordChangeMode(const char* text);
int ShowInfoDialog(HWND owner);

// Saver window
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// True when the cursor has travelled more than 4 pixels (across plus down) from the anchor.
bool MouseTravelEndsRun(POINT anchor, POINT position);
// Posts the quit message with this code unless one has been posted in this run.
void PostQuitOnce(int code);

// Password (Windows 95/98/ME only)
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(bool running);
BOOL ConfirmClose(HWND window);
void ChangeSaverPassword(HWND owner);
// True while a close request must be refused without a prompt: less than 200 ms
// (modulo 2^32) have passed since the last prompt ended.
bool WithinReaskDelay(DWORD nowTicks, DWORD lastPromptTicks);
