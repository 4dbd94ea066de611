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
// Each thread has a timer of the saver window's period, of its own: the saver
// window's thread waits in the primary monitor's SwapBuffers and sees no tick
// meanwhile, so ticks handed on from there would hold a faster monitor to the
// primary one's refresh. A tick that comes while a frame is drawn is merged with
// the next, as on the saver window, and the system's timer granularity caps every
// monitor alike.
//
// While a thread runs it alone has its window's rendering context current and
// touches its scene's drawing state; the main thread stops it before it resizes,
// fits or releases the scene. Only calls that Windows 95 has are used.
#include "scene/scene.h"

#include <stdlib.h>

// The main thread's orders, read once the control event has woken the thread.
static void FollowOrders(const SceneState& scene, UINT_PTR& timer)
{
    const bool drawing = scene.drawingWanted != 0;
    if (drawing && !timer)
        timer = SetTimer(nullptr, 0, kFramePeriod, nullptr);
    if (!drawing && timer) {
        KillTimer(nullptr, timer);
        timer = 0;
    }
}

// Takes every message waiting; true when a tick is among them.
static bool TakeTicks()
{
    bool ticked = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ticked = ticked || message.message == WM_TIMER;
    return ticked;
}

static DWORD WINAPI DrawFrames(LPVOID parameter)
{
    SceneState& scene = *static_cast<SceneState*>(parameter);
    // The runtime keeps a generator per thread, which the flying words draw from:
    // seeded alike, every monitor's words would fly at the same moments.
    srand(GetTickCount() + GetCurrentThreadId());
    // A context this thread cannot take leaves its monitor black.
    if (!wglMakeCurrent(scene.deviceContext, scene.renderContext))
        return 1;
    UINT_PTR timer = 0;
    for (;;) {
        // Without a timer, and so without using the processor, while the display is off.
        DWORD woken = MsgWaitForMultipleObjects(1, &scene.control, FALSE, INFINITE, QS_TIMER);
        if (woken == WAIT_OBJECT_0) {
            if (scene.stopWanted)
                break;
            FollowOrders(scene, timer);
        }
        if (TakeTicks() && timer) {
            SetProjection(scene.width, scene.height);
            DrawFrame(scene);
            SwapBuffers(scene.deviceContext);
        }
    }
    if (timer)
        KillTimer(nullptr, timer);
    wglMakeCurrent(nullptr, nullptr);
    return 0;
}

bool StartRenderThread(SceneState& scene, bool drawing)
{
    // The context must not stay current here, or the thread could not take it.
    if (wglGetCurrentContext() == scene.renderContext)
        wglMakeCurrent(nullptr, nullptr);
    scene.stopWanted = 0;
    scene.drawingWanted = drawing;
    // Set: the thread reads its first orders at once.
    scene.control = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    if (!scene.control)
        return false;
    DWORD id;
    scene.renderThread = CreateThread(nullptr, 0, DrawFrames, &scene, 0, &id);
    if (scene.renderThread)
        return true;
    CloseHandle(scene.control);
    scene.control = nullptr;
    return false;
}

void StopRenderThread(SceneState& scene)
{
    if (!scene.renderThread)
        return;
    InterlockedExchange(&scene.stopWanted, 1);
    SetEvent(scene.control);
    WaitForSingleObject(scene.renderThread, INFINITE);
    CloseHandle(scene.renderThread);
    CloseHandle(scene.control);
    scene.renderThread = nullptr;
    scene.control = nullptr;
}

void DrawOnRenderThread(SceneState& scene, bool drawing)
{
    if (!scene.renderThread)
        return;
    InterlockedExchange(&scene.drawingWanted, drawing);
    SetEvent(scene.control);
}
