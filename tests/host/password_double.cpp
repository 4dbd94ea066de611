// Stands in for the system's PASSWORD.CPL. Its prompt is a window titled
// "Kennwort-Attrappe" that runs a modal loop, as the real prompt does, until the
// test posts it WM_APP + 1 with the answer in wParam. A nonzero lParam makes it
// post one more close request to the saver just as the prompt ends.
#include <windows.h>

#include "tests/host/double_log.h"

static HMODULE self;
static const char logName[] = "password_log.txt";

static LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 1) {
        SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        PostQuitMessage(lParam ? 2 : 1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner)
{
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    char line[128];
    wsprintfA(line, "verify owner=%lu running=%d", static_cast<unsigned long>(
                  reinterpret_cast<UINT_PTR>(owner)), running);
    AppendToLog(self, logName, line);

    WNDCLASSA promptClass = {};
    promptClass.lpfnWndProc = PromptProc;
    promptClass.hInstance = self;
    promptClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    promptClass.lpszClassName = "KhPasswordPromptDouble";
    RegisterClassA(&promptClass);
    HWND prompt = CreateWindowExA(WS_EX_TOPMOST, promptClass.lpszClassName, "Kennwort-Attrappe",
                                  WS_POPUP | WS_VISIBLE, 0, 0, 120, 60, owner, nullptr, self,
                                  nullptr);
    // The system's prompt shows the pointer; the saver must hide it again.
    SetCursor(promptClass.hCursor);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    BOOL answer = static_cast<BOOL>(GetWindowLongPtrA(prompt, GWLP_USERDATA));
    DestroyWindow(prompt);
    wsprintfA(line, "answer=%d", answer);
    AppendToLog(self, logName, line);
    if (message.wParam == 2)
        PostMessageA(owner, WM_CLOSE, 0, 0);
    return answer;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        AppendToLog(self, logName, "load");
    } else if (reason == DLL_PROCESS_DETACH) {
        // Without `reserved` the library is freed; with it the process is ending.
        AppendToLog(self, logName, reserved ? "process end" : "free");
    }
    return TRUE;
}
