// The OpenGL scene: its window procedure, one-time set-up and per-frame drawing.
// SceneState is the one record of all scene state.
#pragma once
#include <windows.h>
#include <GL/gl.h>

#include "settings/settings.h"

struct TextureImage {
    HBITMAP bitmap;
    LONG width;
    LONG height;
    const void* rows;      // bottom row first, blue-green-red, no padding
};

struct SceneState {
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
};

extern SceneState sceneState;

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintFrame(HWND window);
void ResizeScene(int width, int height);
void SetProjection(int width, int height);

bool ChooseScenePixelFormat(HDC deviceContext);
void InitScene();
void LoadTextureImage(int resource);
void FillHalfCircleTables();
void CreateObjectTable();

// The amount the clock falls per frame for a Speed setting and kind.
float FrameStep(int speed, SceneKind kind);

void DrawFrame();
void DrawSentenceScene();

// Shared by the frame and the sentence scene.
void Turn(double degrees, float x, float y, float z);  // glRotatef within one turn
void DrawLogoBody();  // letters, a move of one unit along z, letters, sides, arch
void LightSpin(double turn, float ax, float ay, float az, const GLfloat* first,
               const GLfloat* second);

// The flying word of the sentence scene, without drawing: the trigger of an idle
// frame (elapsed milliseconds since set-up), and the end test of a frame in flight
// given the sine at which the word was drawn.
void TryStartFlyingWord(DWORD elapsed);
void AdvanceFlyingWord(float drawnSine);

// Random draws as the scene uses them: rand() mod 255 scaled by 1/255, and a sign.
float RandomFraction();
signed char RandomSign();
