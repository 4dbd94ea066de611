// The OpenGL scene: its window procedure, one-time set-up and per-frame drawing.
// A SceneState holds all state of one scene; every window that shows a scene has
// a record of its own in the scene table.
#pragma once
#include <windows.h>
#include <GL/gl.h>

#include "host/host.h"
#include "settings/settings.h"

struct TextureImage {
    HBITMAP bitmap;
    LONG width;
    LONG height;
    const void* rows;      // bottom row first, blue-green-red, no padding
};

struct SceneState {
    HWND window;           // the window the scene draws in; null while the record is free
    HDC deviceContext;
    HGLRC renderContext;
    UINT_PTR timerId;      // nonzero while the timer runs
    SceneKind kind;
    HFONT outlineFont;
    HGDIOBJ originalFont;  // what outlineFont displaced in deviceContext; selected back at teardown
    GLYPHMETRICSFLOAT glyphMetrics[255];
    TextureImage textureImage;
    float* objects;        // 3 x Number floats
    float depthCentre;
    float spinFactor[3];
    signed char spinSign[3];
    // Kept in double precision: a float clock stops moving once its magnitude
    // reaches 2^24 (about four days at 64 frames a second). What reaches OpenGL
    // is still rounded to single precision.
    double clock;
    float textureMatrixA[16];
    float textureMatrixB[16];
    float halfCircleSin[31];
    float halfCircleCos[31];
    DWORD wordClockStart;
    int wordActive;
    unsigned char wordIndex;
    float wordHeight;
    double wordSwing;
    signed char wordDirection;

    // Time sources, replaceable so that a test can fix the seed and the
    // flying-word trigger.
    DWORD (WINAPI *seedSource)();    // GetTickCount
    DWORD (WINAPI *millisecondSource)();  // timeGetTime

    // Set when a scene on another monitor than the primary one cannot be made:
    // it is then released, and its window stays black.
    bool failed;

    // The client size the frames are drawn for.
    int width;
    int height;
    // A scene on another monitor than the primary one is drawn by a thread of its
    // own, which holds the record and the context while it runs.
    HANDLE renderThread;   // null: drawn on the main thread, or not at all
    HANDLE control;        // set when the two orders below change
    volatile LONG drawingWanted;  // nonzero while the saver window's timer runs
    volatile LONG stopWanted;
};

// One record per window that shows a scene: the first for the saver window on the
// primary monitor (or the preview), the others for the windows on other monitors.
extern SceneState sceneStates[kMostMonitors];

// The window's own procedure for the saver window. The windows on the other
// monitors hand it their creation, size, paint and destruction: the first window
// to be made takes the first record and ends the run on its failures; every later
// one fails quietly and stays black, and is drawn and presented by a thread of its
// own while the first window's timer runs.
LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The record of the scene drawn in the window; null when it shows none.
SceneState* SceneOfWindow(HWND window);
// The saver window's (or the preview's) scene, whose failures end the run.
bool IsFirstScene(const SceneState& scene);
void PaintFrame(HWND window);
void ResizeScene(SceneState& scene, int width, int height);
void SetProjection(int width, int height);
// The frames' timer, which belongs to the first scene's window: stopped while
// nothing is to be drawn, and started again where the animation stopped.
void StartSceneTimer(HWND window);
void StopSceneTimer(HWND window);

// The timer's period, in milliseconds: a scene draws one frame a period at most.
constexpr UINT kFramePeriod = 2;

// The thread that draws a scene on another monitor: started once the scene is
// made (false where it cannot be), drawing while the saver window's timer runs,
// and stopped, waiting for the frame it draws, before the main thread touches the
// scene again.
bool StartRenderThread(SceneState& scene, bool drawing);
void StopRenderThread(SceneState& scene);
void DrawOnRenderThread(SceneState& scene, bool drawing);

// A pixel format of the system's own renderer that no driver accelerates.
bool RendersInSoftware(DWORD pixelFormatFlags);
bool ChooseScenePixelFormat(SceneState& scene);
void InitScene(SceneState& scene);
void LoadTextureImage(SceneState& scene, int resource);
void FillHalfCircleTables(SceneState& scene);
void CreateObjectTable(SceneState& scene);

// The amount the clock falls per frame for a Speed setting and kind.
float FrameStep(int speed, SceneKind kind);

void DrawFrame(SceneState& scene);
void DrawSentenceScene(SceneState& scene);

// Shared by the frame and the sentence scene.
void Turn(double degrees, float x, float y, float z);  // glRotatef within one turn
void DrawLogoBody(const SceneState& scene);  // letters, a move of one unit along z, letters, sides, arch
void LightSpin(double turn, float ax, float ay, float az, const GLfloat* first,
               const GLfloat* second);

// The flying word of the sentence scene, without drawing: the trigger of an idle
// frame (elapsed milliseconds since set-up), and the end test of a frame in flight
// given the sine at which the word was drawn.
void TryStartFlyingWord(SceneState& scene, DWORD elapsed);
void AdvanceFlyingWord(SceneState& scene, float drawnSine);

// Random draws as the scene uses them: rand() mod 255 scaled by 1/255, and a sign.
float RandomFraction();
signed char RandomSign();
