// The screen-saver host: process entry, mode dispatch, saver window and the
// Windows 95/98/ME password. One record holds every process-wide host value.
#pragma once
#include <windows.h>

struct HostState {
    HINSTANCE instance;           // the module every resource is loaded from
    bool isWin9x;                 // Windows 95/98/ME family: gates the password

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
    DWORD lastPromptTicks;        // 0xFFFFFFFF: no prompt has ended yet
};

extern HostState hostState;

// Process entry and mode dispatch
int DispatchSaverMode(HINSTANCE instance, const char* arguments);
UINT ReadWindowHandle(const char* text);
int RunPreviewMode(const char* text);
int RunPasswordChangeMode(const char* text);
int ShowInfoDialog(HWND owner);

// Saver window
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Password (Windows 95/98/ME only)
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(bool running);
BOOL ConfirmClose(HWND window);
void ChangeSaverPassword(HWND owner);
