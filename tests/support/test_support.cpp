#include "tests/support/test_support.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "bench/scene_window.h"

std::string ScrPath()
{
    // Wine maps the Unix root to drive Z:.
    std::string path = "Z:" KH_SCR_PATH;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ControlIniPath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\control.ini";
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveControlIni()
{
    std::string path = ControlIniPath();
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        RemoveDirectoryA(path.c_str());
    else
        DeleteFileA(path.c_str());
    // The profile functions may hold a cached copy of the old file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini");
}

PROCESS_INFORMATION StartScr(const std::string& arguments)
{
    std::string commandLine = "\"" + ScrPath() + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    CreateProcessA(ScrPath().c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   nullptr, &startup, &process);
    return process;
}

DWORD WaitForExit(PROCESS_INFORMATION& process, DWORD timeoutMs)
{
    if (!process.hProcess)
        return 0x7FFFFFFE;
    DWORD code = 0x7FFFFFFF;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 0x7FFFFFFF);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
    return code;
}

DWORD RunScr(const std::string& arguments, DWORD timeoutMs, bool rawCommandLine)
{
    PROCESS_INFORMATION process;
    if (rawCommandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        process = {};
        std::vector<char> writable(arguments.begin(), arguments.end());
        writable.push_back('\0');
        CreateProcessA(ScrPath().c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process);
    } else {
        process = StartScr(arguments);
    }
    return WaitForExit(process, timeoutMs);
}

void TearDownSceneTest(HWND& window)
{
    if (window)
        DestroySceneWindow(window);
    window = nullptr;
    RemoveControlIni();
}

static struct {
    std::atomic<bool> running{false};
    std::thread worker;
    HHOOK hook;
    std::mutex lock;
    std::vector<std::string> texts;
    std::vector<HWND> closed;  // a box stays visible a moment after it is told to close
} errorBoxes;

static bool IsErrorBox(HWND window)
{
    char className[32], title[64];
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    return strcmp(className, "#32770") == 0 && strcmp(title, "Fehler") == 0;
}

static void CloseErrorBox(HWND window, const char* text)
{
    std::lock_guard<std::mutex> guard(errorBoxes.lock);
    for (HWND seen : errorBoxes.closed)
        if (seen == window)
            return;
    errorBoxes.closed.push_back(window);
    errorBoxes.texts.push_back(text);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

// Boxes of this process are caught on their own thread: asking a box for its text
// from another thread of the same process sends a message that its thread may not
// answer while it sits inside a window's creation.
static LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && IsErrorBox(window)) {
        char text[512] = "";
        GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        CloseErrorBox(window, text);
    }
    return CallNextHookEx(errorBoxes.hook, code, wParam, lParam);
}

// Boxes of other processes: GetWindowTextA reads their text without sending a message.
static BOOL CALLBACK CloseIfForeignErrorBox(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() || !IsErrorBox(window) || !IsWindowVisible(window))
        return TRUE;
    char text[512] = "";
    GetWindowTextA(GetDlgItem(window, 0xFFFF), text, sizeof text);
    CloseErrorBox(window, text);
    return TRUE;
}

void StartErrorBoxCloser()
{
    errorBoxes.texts.clear();
    errorBoxes.closed.clear();
    errorBoxes.hook = SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    errorBoxes.running = true;
    errorBoxes.worker = std::thread([] {
        while (errorBoxes.running) {
            EnumWindows(CloseIfForeignErrorBox, 0);
            Sleep(50);
        }
    });
}

std::vector<std::string> StopErrorBoxCloser()
{
    errorBoxes.running = false;
    if (errorBoxes.worker.joinable())
        errorBoxes.worker.join();
    UnhookWindowsHookEx(errorBoxes.hook);
    std::lock_guard<std::mutex> guard(errorBoxes.lock);
    return errorBoxes.texts;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

ScreenPicture CaptureScreen(const RECT& area)
{
    ScreenPicture picture;
    picture.width = area.right - area.left;
    picture.height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(words, words + static_cast<size_t>(picture.width) * picture.height);
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}
