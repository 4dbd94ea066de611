// Renders each kind in an 800 x 600 window through the scene's own window procedure,
// one frame after the other with no pacing, and prints what a frame costs.
//   kh_bench table FRAMES          one row per kind and Number
//   kh_bench run ART NUMBER SECONDS  draws unpaced for a wall time, prints nothing
//   kh_bench monitors              the monitors as Wine reports them
//   kh_bench display off|on        tells the running full-screen saver the display's state
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "bench/display_notice.h"
#include "bench/gl_counter.h"
#include "bench/scene_window.h"

static const int kWidth = 800;
static const int kHeight = 600;

struct Case {
    const char* label;
    const char* art;
    int number;
};

static void WriteSettings(const char* art, int number)
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    lstrcatA(path, "\\control.ini");
    DeleteFileA(path);
    const std::string text = "[Screen Saver.KH_Schoner]\r\nArt=" + std::string(art) +
                             "\r\nNumber=" + std::to_string(number) + "\r\n";
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

static HWND OpenScene(const char* art, int number)
{
    WriteSettings(art, number);
    return OpenSceneWindow(kWidth, kHeight);
}

// One frame as the saver makes it: a timer tick invalidates the window, and the
// paint that follows draws and presents. Other waiting messages are handled so that
// the window system is not starved; the scene's own timer ticks are not needed.
static void Frame(HWND window)
{
    SendMessageA(window, WM_TIMER, 0, 0);
    UpdateWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message != WM_TIMER)
            DispatchMessageA(&message);
}

static double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

static LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

static double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

static void MeasureCase(const Case& c, int frames)
{
    HWND window = OpenScene(c.art, c.number);
    if (!window) {
        printf("%-10s %6d  window failed\n", c.label, c.number);
        return;
    }
    // The first frames pay for the driver's shader and texture set-up.
    for (int i = 0; i < 10; ++i)
        Frame(window);
    TakeGlCounts();
    std::vector<double> times;
    unsigned long long calls = 0, textureBytes = 0;
    const LONGLONG start = Now();
    for (int i = 0; i < frames; ++i) {
        const LONGLONG before = Now();
        Frame(window);
        times.push_back(Milliseconds(Now() - before));
        const GlCounts counts = TakeGlCounts();
        calls += counts.calls;
        textureBytes += counts.textureBytes;
    }
    const double total = Milliseconds(Now() - start);
    DestroySceneWindow(window);
    printf("%-10s %6d %10.2f %10.2f %8.1f %10llu %12llu\n", c.label, c.number,
           Percentile(times, 0.5), Percentile(times, 0.9), 1000.0 * frames / total,
           calls / frames, textureBytes / frames);
    fflush(stdout);
}

static int RunTable(int frames)
{
    static const Case kCases[] = {
        {"Logo", "KH-Logo", 5},         {"Logo", "KH-Logo", 20},
        {"Bear", "B\xe4rchen", 5},      {"Bear", "B\xe4rchen", 20},
        {"Satellite", "KH-Satellit", 5}, {"Sentence", "Text", 5},
    };
    printf("%-10s %6s %10s %10s %8s %10s %12s\n", "kind", "Number", "median ms", "p90 ms",
           "fps", "GL calls", "tex bytes");
    for (const Case& c : kCases)
        MeasureCase(c, frames);
    return 0;
}

static int RunFor(const char* art, int number, int seconds)
{
    HWND window = OpenScene(art, number);
    if (!window)
        return 1;
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (static_cast<LONG>(end - GetTickCount()) > 0)
        Frame(window);
    DestroySceneWindow(window);
    return 0;
}

// The layout the next program started in this prefix finds, so that a row of
// the benchmark names what it was measured on.
static int PrintMonitors()
{
    printf("%d monitor(s), virtual screen %d x %d, primary %d x %d\n",
           GetSystemMetrics(SM_CMONITORS), GetSystemMetrics(SM_CXVIRTUALSCREEN),
           GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

static int TellDisplayState(const char* state)
{
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    return saver && SendDisplayState(saver, strcmp(state, "on") == 0) ? 0 : 1;
}

int main(int argc, char** argv)
{
    StartCountingGlCalls();
    if (argc == 3 && strcmp(argv[1], "table") == 0)
        return RunTable(std::max(1, atoi(argv[2])));
    if (argc == 5 && strcmp(argv[1], "run") == 0)
        return RunFor(argv[2], atoi(argv[3]), std::max(1, atoi(argv[4])));
    if (argc == 2 && strcmp(argv[1], "monitors") == 0)
        return PrintMonitors();
    if (argc == 3 && strcmp(argv[1], "display") == 0)
        return TellDisplayState(argv[2]);
    fprintf(stderr, "usage: kh_bench table FRAMES | kh_bench run ART NUMBER SECONDS | "
                    "kh_bench monitors | kh_bench display off|on\n");
    return 2;
}
