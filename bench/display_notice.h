// The system's notice that the display went off or on, as a full-screen saver
// window registered for it gets it from Windows 8 on. Nothing sends it under Wine,
// so the benchmark and the tests send it themselves.
#pragma once
#include <windows.h>

// Writes the notice into the window's process, as the system would, and sends it
// there; false when it could not be delivered.
bool SendDisplayState(HWND window, bool on);
