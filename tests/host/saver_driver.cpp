#include "tests/host/saver_driver.h"

#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

std::string HandleText(HWND window)
{
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
}

// A file of a build folder as Wine's drive Z: shows it.
static std::string BuildPath(const char* folder, const char* fileName)
{
    std::string path = std::string("Z:") + folder + "/" + fileName;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string Win98Path(const char* fileName)
{
    return BuildPath(KH_WIN98_DIR, fileName);
}

std::string DoublePath(const char* fileName)
{
    return BuildPath(KH_DOUBLES_DIR, fileName);
}

PROCESS_INFORMATION StartProgram(const std::string& program, const std::string& arguments)
{
    return StartWithCommandLine(program, "\"" + program + "\" " + arguments);
}

PROCESS_INFORMATION StartWithCommandLine(const std::string& program,
                                         const std::string& commandLine, bool silenced)
{
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE nothing = INVALID_HANDLE_VALUE;
    if (silenced) {
        nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, &inheritable,
                              OPEN_EXISTING, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    }
    PROCESS_INFORMATION process = {};
    CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, silenced, 0, nullptr,
                   nullptr, &startup, &process);
    if (silenced)
        CloseHandle(nothing);
    return process;
}

static void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// Pumps and polls for up to 20 seconds until `done` holds.
template <typename Condition>
static bool PollUntil(Condition done)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (done())
            return true;
        PumpFor(20);
    }
    return false;
}

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* query = reinterpret_cast<WindowQuery*>(lParam);
    char className[64] = "", title[64] = "";
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (processId == query->processId && strcmp(className, query->className) == 0 &&
        (!query->title || strcmp(title, query->title) == 0) && IsWindowVisible(window)) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForProcessWindow(const PROCESS_INFORMATION& process, const char* className,
                          const char* title)
{
    WindowQuery query = {process.dwProcessId, className, title, nullptr};
    PollUntil([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        return query.found || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    });
    return query.found;
}

HWND WaitForSaverWindow(const PROCESS_INFORMATION& process)
{
    HWND window = WaitForProcessWindow(process, "WindowsScreenSaverClass", "Screen Saver");
    // Input reaches the saver only once it has made itself the foreground window.
    PollUntil([&] { return !window || GetForegroundWindow() == window; });
    return window;
}

HWND WaitForChild(HWND parent, const char* className, const char* title)
{
    HWND child = nullptr;
    PollUntil([&] {
        child = FindWindowExA(parent, nullptr, className, title);
        return child && IsWindowVisible(child);
    });
    return child;
}

bool WaitUntilGone(HWND window)
{
    return PollUntil([&] { return !IsWindow(window); });
}

bool KeepsRunning(const PROCESS_INFORMATION& process, DWORD ms)
{
    PumpFor(ms);
    return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD WaitForExitPumping(PROCESS_INFORMATION& process, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        PumpMessages();
        if (GetTickCount() - start > timeoutMs)
            break;
    }
    return WaitForExit(process, 0);
}

void SendKey(WORD virtualKey, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, DWORD data)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
}

POINT CentreCursor()
{
    POINT centre = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    SetCursorPos(centre.x, centre.y);
    return centre;
}

static LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeTestWindow(bool activate)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KhHostTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Testfenster",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (activate)
        SetForegroundWindow(window);
    PumpMessages();
    return window;
}

// Every saver run of these tests shows the cheapest scene: one logo.
class QuickScene : public testing::Environment {
public:
    void SetUp() override
    {
        existed = FileExists(ControlIniPath());
        saved = ReadWholeFile(ControlIniPath());
        WriteWholeFile(ControlIniPath(),
                       "[Screen Saver.KH_Schoner]\r\nArt=KH-Logo\r\nSpeed=15\r\nNumber=1\r\n"
                       "Text=spitze\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n");
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini");
    }
    void TearDown() override
    {
        if (existed)
            WriteWholeFile(ControlIniPath(), saved);
        else
            RemoveControlIni();
    }

private:
    bool existed = false;
    std::string saved;
};
[[maybe_unused]] static testing::Environment* const quickScene =
    testing::AddGlobalTestEnvironment(new QuickScene);
