// The scene's own procedure in a real window, without the host's window around
// it: how the scene, soak and hostile-settings tests and the benchmark drive it.
// It needs nothing of the test framework: the benchmark, a program of its own,
// keeps it, and the tests link it from here.
#pragma once
#include <windows.h>

// Sets the host's values as for a preview (input must not close the window),
// clears the first scene record and gives it the seed source (none: the tick count),
// then creates a visible popup of this size whose procedure is the scene's. The
// scene reads control.ini as it stands; its rendering context is current after.
HWND OpenSceneWindow(int width, int height, DWORD (WINAPI *seedSource)() = nullptr);

// Destroys the window and drops the quit message that its teardown posts, which
// must not end a later message loop.
void DestroySceneWindow(HWND window);
