// The threads that draw the scenes on the monitors beside the primary one. Under
// vertical sync a driver holds SwapBuffers until its monitor's next blank; one
// thread presenting every window in turn would wait for every monitor, each
// monitor's frames would come at a fraction of its refresh, and the animation,
// which moves by frames, would slow with them. A thread per window waits for its
// own monitor only, with the swap interval of 1 that every window keeps: giving
// windows 0 instead tears where the driver flips a window that covers its monitor,
// where nothing composes the desktop, and on drivers that keep one interval for the
// whole process, the primary monitor's too.
//
// Each thread keeps the saver window's timer period itself. The main thread waits
// in the primary monitor's SwapBuffers, and no tick reaches it meanwhile: ticks
// handed on from there would hold a faster monitor to the primary one's refresh.
//
// While a thread runs it alone has its window's rendering context current and
// touches its scene's drawing state; the main thread stops it before it resizes,
// fits or releases the scene. Only Win32's own thread calls are used, which
// Windows 95 has.
#include "scene/scene.h"

#include <mmsystem.h>
#include <stdlib.h>

static DWORD WINAPI DrawFrames(LPVOID parameter)
{
    SceneState& scene = *static_cast<SceneState*>(parameter);
    // The runtime keeps a generator per thread, which the flying words draw from:
    // seeded alike, every monitor's words would fly at the same moments.
    srand(GetTickCount() + GetCurrentThreadId());
    // A context this thread cannot take leaves its monitor black.
    if (!wglMakeCurrent(scene.deviceContext, scene.renderContext))
        return 1;
    for (;;) {
        // Without using the processor while the display is off.
        WaitForSingleObject(scene.framesWanted, INFINITE);
        if (scene.stopWanted)
            break;
        const DWORD start = timeGetTime();
        SetProjection(scene.width, scene.height);
        DrawFrame(scene);
        SwapBuffers(scene.deviceContext);
        // As the timer's ticks: one frame a period at most, the next one at once
        // when this one took longer, as after a wait for the blank.
        const DWORD spent = timeGetTime() - start;
        if (spent < kFramePeriod)
            Sleep(kFramePeriod - spent);
    }
    wglMakeCurrent(nullptr, nullptr);
    return 0;
}

bool StartRenderThread(SceneState& scene, bool drawing)
{
    // The context must not stay current here, or the thread could not take it.
    if (wglGetCurrentContext() == scene.renderContext)
        wglMakeCurrent(nullptr, nullptr);
    scene.stopWanted = false;
    scene.framesWanted = CreateEventA(nullptr, TRUE, drawing, nullptr);
    if (!scene.framesWanted)
        return false;
    DWORD id;
    scene.renderThread = CreateThread(nullptr, 0, DrawFrames, &scene, 0, &id);
    if (scene.renderThread)
        return true;
    CloseHandle(scene.framesWanted);
    scene.framesWanted = nullptr;
    return false;
}

void StopRenderThread(SceneState& scene)
{
    if (!scene.renderThread)
        return;
    // The event orders the flag before the thread reads it.
    scene.stopWanted = true;
    SetEvent(scene.framesWanted);
    WaitForSingleObject(scene.renderThread, INFINITE);
    CloseHandle(scene.renderThread);
    CloseHandle(scene.framesWanted);
    scene.renderThread = nullptr;
    scene.framesWanted = nullptr;
}

void DrawOnRenderThread(const SceneState& scene, bool drawing)
{
    if (!scene.renderThread)
        return;
    if (drawing)
        SetEvent(scene.framesWanted);
    else
        ResetEvent(scene.framesWanted);
}
