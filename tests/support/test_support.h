// Helpers shared by the test programs that run under Wine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The built KH_Schoner.scr as a Windows path.
std::string ScrPath();

// The profile file the saver uses: control.ini in the Windows directory.
std::string ControlIniPath();
bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
void RemoveControlIni();

// Starts KH_Schoner.scr with the given argument text (a command line of
// "<quoted path> arguments" unless rawCommandLine is set) and waits for it.
// Returns the exit code, or 0x7FFFFFFF when it did not end within the timeout
// (the process is then killed).
DWORD RunScr(const std::string& arguments, DWORD timeoutMs = 20000, bool rawCommandLine = false);
PROCESS_INFORMATION StartScr(const std::string& arguments);
DWORD WaitForExit(PROCESS_INFORMATION& process, DWORD timeoutMs);

// The end of a test that drives a scene window: the window, if one is still
// open, and the settings file go.
void TearDownSceneTest(HWND& window);

// Closes every message box titled "Fehler" (shown by this thread or by another
// process) while it runs, and remembers their texts.
void StartErrorBoxCloser();
std::vector<std::string> StopErrorBoxCloser();

// Dispatches the messages waiting for this thread.
void PumpMessages();

// A piece of the screen as 0x00RRGGBB pixels, rows from the top.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenPicture CaptureScreen(const RECT& area);
