// A real window driven by the scene procedure, for the scene tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "scene/scene.h"
#include "bench/scene_window.h"

struct SceneSettings {
    std::string art = "KH-Logo";
    int number = 5;
    int speed = 15;
    std::string text = "spitze";
};

// Fixed seed for every scene the tests make.
const DWORD kTestSeed = 4711;

// Writes the settings and opens an 800 x 600 scene window with the fixed seed;
// the rendering context is current afterwards.
HWND CreateSceneWindow(const SceneSettings& settings, int width = 800, int height = 600);

// Draws one frame as a paint does, without presenting it, and reads the back buffer.
std::vector<unsigned char> DrawAndRead(HWND window, int width = 800, int height = 600);
void SaveBitmap(const std::string& path, const std::vector<unsigned char>& rgb, int width,
                int height);

// Reference generator: state * 214013 + 2531011, bits 16 to 30.
struct ReferenceRandom {
    unsigned state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7fff);
    }
};
