// Driving saver processes from the test: starting them, finding their windows,
// real input, and waiting while this thread keeps its own windows answering.
#pragma once
#include <windows.h>

#include <string>

std::string HandleText(HWND window);  // the handle in decimal, as the command line takes it

// The Windows 95/98/ME folder: a copy of the saver and the fault probe.
std::string Win98Path(const char* fileName);
// Where the doubles of the system's password libraries are built.
std::string DoublePath(const char* fileName);

// Starts `program` with the command line "<quoted program> arguments", or with
// `commandLine` exactly as given; `silenced` sends its output (and that of a
// crash report it starts) nowhere.
PROCESS_INFORMATION StartProgram(const std::string& program, const std::string& arguments);
PROCESS_INFORMATION StartWithCommandLine(const std::string& program,
                                         const std::string& commandLine,
                                         bool silenced = false);

// The visible top-level window of the process with the class and title, or none
// after some seconds; visible means that its creation has ended. Pumps this
// thread's messages while it waits. The saver window is also waited for to
// become the foreground window.
HWND WaitForProcessWindow(const PROCESS_INFORMATION& process, const char* className,
                          const char* title);
HWND WaitForSaverWindow(const PROCESS_INFORMATION& process);
HWND WaitForChild(HWND parent, const char* className, const char* title);
bool WaitUntilGone(HWND window);

// True when the process is still running after `ms` milliseconds of pumping.
bool KeepsRunning(const PROCESS_INFORMATION& process, DWORD ms);
// The exit code; 0x7FFFFFFF when it did not end in time (it is killed then).
DWORD WaitForExitPumping(PROCESS_INFORMATION& process, DWORD timeoutMs = 20000);

// Real input through the system's input queue.
void SendKey(WORD virtualKey, bool up);
void SendMouse(DWORD flags, DWORD data = 0);
// Puts the cursor where a new saver run will take its anchor from.
POINT CentreCursor();

// A window of this test program, made foreground when `activate` is set.
HWND MakeTestWindow(bool activate);
