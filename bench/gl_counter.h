// Counts the OpenGL calls this process makes, and the texture bytes it uploads,
// by redirecting the opengl32.dll imports of the program and of glu32.dll.
#pragma once
#include <windows.h>

struct GlCounts {
    unsigned long calls;
    unsigned long long textureBytes;
};

// Call once, before the first OpenGL call to be counted.
void StartCountingGlCalls();

// The counts since the last call; starts again from zero.
GlCounts TakeGlCounts();
