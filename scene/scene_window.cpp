// The scene's window procedure: binds an OpenGL context and an animation to the
// life of a window. The saver window's scene comes first; a window on another
// monitor has one of its own, drawn by a thread of its own on the first one's timer.
#include "scene/scene.h"

#include <GL/glu.h>
#include <stdlib.h>

#include "host/host.h"
#include "settings/settings.h"

// SetTimer answers a timer of identifier 0 with some other nonzero value; the
// timer is killed by the identifier it was started with.
static const UINT_PTR kTimerId = 0;

bool IsFirstScene(const SceneState& scene)
{
    return &scene == &sceneStates[0];
}

SceneState* SceneOfWindow(HWND window)
{
    for (SceneState& scene : sceneStates)
        if (scene.window == window && window)
            return &scene;
    return nullptr;
}

// Each scene has a context of its own; the one of the window about to be drawn
// must be current. With a single window it always is, and nothing is switched.
static void MakeSceneCurrent(const SceneState& scene)
{
    if (wglGetCurrentContext() != scene.renderContext)
        wglMakeCurrent(scene.deviceContext, scene.renderContext);
}

void SetProjection(int width, int height)
{
    // A client height of 0 would make the aspect ratio infinite; draw as if it were 1.
    double aspect = static_cast<double>(width) / (height > 0 ? height : 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65.0, aspect, 1.0, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ResizeScene(SceneState& scene, int width, int height)
{
    scene.width = width;
    scene.height = height;
    MakeSceneCurrent(scene);
    glViewport(0, 0, width, height);
    SetProjection(width, height);
    DrawFrame(scene);
}

void PaintFrame(HWND window)
{
    SceneState* scene = SceneOfWindow(window);
    if (!scene)
        return;
    HDC deviceContext = GetDC(window);
    if (!deviceContext)
        return;
    MakeSceneCurrent(*scene);
    RECT client;
    GetClientRect(window, &client);
    SetProjection(client.right - client.left, client.bottom - client.top);
    DrawFrame(*scene);
    ReleaseDC(window, deviceContext);
}

// The other monitors' threads draw while the first scene's timer runs.
static bool TimerRuns()
{
    return sceneStates[0].timerId != 0;
}

static void DrawOnRenderThreads(bool drawing)
{
    for (SceneState& scene : sceneStates)
        DrawOnRenderThread(scene, drawing);
}

static void StopTimer(SceneState& scene)
{
    if (scene.timerId) {
        KillTimer(scene.window, kTimerId);
        scene.timerId = 0;
    }
}

void StartSceneTimer(HWND window)
{
    SceneState* scene = SceneOfWindow(window);
    if (scene && !scene->timerId)
        scene->timerId = SetTimer(window, kTimerId, kFramePeriod, nullptr);
    DrawOnRenderThreads(true);
}

void StopSceneTimer(HWND window)
{
    if (SceneState* scene = SceneOfWindow(window))
        StopTimer(*scene);
    DrawOnRenderThreads(false);
}

// Every window presents once per vertical blank of its monitor. A new context has
// a swap interval of 1, but some drivers wait only where the program has set it.
// Drivers of Windows 95's time lack the extension and are left as they are.
static void WaitForEachBlank()
{
    PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer a name they do not know with 1, 2, 3 or -1 instead of null.
    INT_PTR value = reinterpret_cast<INT_PTR>(reinterpret_cast<void*>(found));
    if (value == 0 || value == -1 || (value >= 1 && value <= 3))
        return;
    auto setSwapInterval = reinterpret_cast<BOOL (WINAPI*)(int)>(
        reinterpret_cast<void (*)()>(found));
    setSwapInterval(1);
}

static SceneState* TakeFreeRecord(HWND window)
{
    for (SceneState& scene : sceneStates)
        if (!scene.window) {
            scene.window = window;
            scene.failed = false;
            return &scene;
        }
    return nullptr;
}

// Releases what the scene holds, each resource once, and frees its record.
static void ReleaseScene(SceneState& scene)
{
    StopRenderThread(scene);
    if (scene.renderContext) {
        wglMakeCurrent(scene.deviceContext, nullptr);
        wglDeleteContext(scene.renderContext);
        scene.renderContext = nullptr;
    }
    if (scene.outlineFont) {
        // Windows 95/98/ME cannot delete a font that is still selected, and would
        // keep it for good.
        SelectObject(scene.deviceContext, scene.originalFont);
        DeleteObject(scene.outlineFont);
        scene.outlineFont = nullptr;
        scene.originalFont = nullptr;
    }
    if (scene.deviceContext) {
        ReleaseDC(scene.window, scene.deviceContext);
        scene.deviceContext = nullptr;
    }
    StopTimer(scene);
    free(scene.objects);
    scene.objects = nullptr;
    // The texture bitmap too: a process that makes window after window must not
    // keep one bitmap per window.
    if (scene.textureImage.bitmap) {
        DeleteObject(scene.textureImage.bitmap);
        scene.textureImage = TextureImage{};
    }
    scene.window = nullptr;
}

static void CreateScene(HWND window)
{
    SceneState* record = TakeFreeRecord(window);
    if (!record)
        return;
    SceneState& scene = *record;
    const bool first = IsFirstScene(scene);
    scene.deviceContext = GetDC(window);
    // The first scene goes on after a refused pixel format or context, with its
    // quit posted; a format or context that another monitor's card refuses leaves
    // it black.
    bool drawable = ChooseScenePixelFormat(scene);
    scene.renderContext = wglCreateContext(scene.deviceContext);
    const bool current =
        scene.renderContext && wglMakeCurrent(scene.deviceContext, scene.renderContext);
    if (first && drawable && !current) {
        ShowFailure(scene.renderContext ? "wglMakeCurrent fehlgeschlagen!"
                                        : "wglCreateContext fehlgeschlagen!");
        PostQuitOnce(0);
    }
    drawable = drawable && current;
    if (!first && !drawable) {
        ReleaseScene(scene);
        return;
    }
    if (drawable)
        WaitForEachBlank();

    RECT client;
    GetClientRect(window, &client);

    // The run reads its settings once, for the first scene.
    if (first) {
        if (!LoadSaverSettings())
            PostQuitOnce(5);
    }
    scene.kind = SceneKindFromArt(saverSettings.Art);

    InitScene(scene);
    if (scene.failed) {
        ReleaseScene(scene);
        return;
    }
    ResizeScene(scene, client.right, client.bottom);
    if (first)
        StartSceneTimer(window);
    else if (!StartRenderThread(scene, TimerRuns()))
        ReleaseScene(scene);
}

// The thread lets the context go after its frame; the new size is drawn here, and
// a new thread goes on from there. The size its thread already draws for (the one
// every window is told right after its creation) needs no new thread.
static void ResizeSceneWindow(SceneState& scene, int width, int height)
{
    const bool threaded = scene.renderThread != nullptr;
    if (threaded && width == scene.width && height == scene.height)
        return;
    StopRenderThread(scene);
    ResizeScene(scene, width, height);
    if (threaded && !StartRenderThread(scene, TimerRuns()))
        ReleaseScene(scene);
}

// The first scene's teardown ends the run; a second one finds nothing left.
static void DestroyScene(HWND window)
{
    SceneState* scene = SceneOfWindow(window);
    if (!scene)
        return;
    const bool first = IsFirstScene(*scene);
    ReleaseScene(*scene);
    if (first)
        PostQuitOnce(0);
}

// The saver window draws its own frame; a window on another monitor leaves it to
// its thread, which draws the next one soon.
static void PaintScene(HWND window)
{
    SceneState* scene = SceneOfWindow(window);
    if (!scene)
        return;
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (IsFirstScene(*scene)) {
        PaintFrame(window);
        SwapBuffers(scene->deviceContext);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK SceneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateScene(window);
        break;
    case WM_DESTROY:
        DestroyScene(window);
        return 0;
    case WM_SIZE:
        if (SceneState* scene = SceneOfWindow(window))
            ResizeSceneWindow(*scene, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_PAINT:
        PaintScene(window);
        break;
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        break;
    }
    return SaverDefaultProc(window, message, wParam, lParam);
}
