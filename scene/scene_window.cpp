// The scene's window procedure: binds an OpenGL context and an animation to the
// life of a window. The saver window's scene comes first; a window on another
// monitor has one of its own, drawn on the first one's timer.
#include "scene/scene.h"

#include <GL/glu.h>
#include <stdlib.h>

#include "host/host.h"
#include "settings/settings.h"

// SetTimer answers a timer of identifier 0 with some other nonzero value; the
// timer is killed by the identifier it was started with.
static const UINT_PTR kTimerId = 0;
static const UINT kTimerPeriod = 2;  // the shortest useful period; each tick yields one frame at most

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
        scene->timerId = SetTimer(window, kTimerId, kTimerPeriod, nullptr);
}

void StopSceneTimer(HWND window)
{
    if (SceneState* scene = SceneOfWindow(window))
        StopTimer(*scene);
}

// Every context presents with a swap interval of 1, and most drivers then hold
// SwapBuffers until the monitor's next vertical blank. One thread presents every
// window in turn, so if each waited for a blank of its own, N monitors would get a
// frame every N blanks, and the animation, which moves by frames, would slow to
// 1/N. Only the saver window waits; the others present at once, just before it.
// Drivers of Windows 95's time lack the extension and are left as they are.
static void PresentWithoutWaiting()
{
    PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer a name they do not know with 1, 2, 3 or -1 instead of null.
    INT_PTR value = reinterpret_cast<INT_PTR>(reinterpret_cast<void*>(found));
    if (value == 0 || value == -1 || (value >= 1 && value <= 3))
        return;
    auto setSwapInterval = reinterpret_cast<BOOL (WINAPI*)(int)>(
        reinterpret_cast<void (*)()>(found));
    setSwapInterval(0);
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
    // The first scene goes on after a refused pixel format, with its quit posted;
    // a format or context that another monitor's card refuses leaves it black.
    bool drawable = ChooseScenePixelFormat(scene);
    scene.renderContext = wglCreateContext(scene.deviceContext);
    drawable = wglMakeCurrent(scene.deviceContext, scene.renderContext) && scene.renderContext &&
               drawable;
    if (!first && !drawable) {
        ReleaseScene(scene);
        return;
    }
    if (!first)
        PresentWithoutWaiting();

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

// A scene drawn on the saver window's paint, beside the first one's.
static bool DrawsBeside(const SceneState& other, const SceneState& first)
{
    return &other != &first && other.window && other.renderContext;
}

// The saver window's paint is the frame of the whole run: it draws every other
// monitor's scene, then its own, and presents theirs before its own, so that the
// one wait for the vertical blank comes last. A window on another monitor paints
// itself only when the system asks it to.
static void PaintScene(HWND window)
{
    SceneState* scene = SceneOfWindow(window);
    if (!scene)
        return;
    const bool first = IsFirstScene(*scene);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (first)
        for (const SceneState& other : sceneStates)
            if (DrawsBeside(other, *scene))
                PaintFrame(other.window);
    PaintFrame(window);
    if (first)
        for (const SceneState& other : sceneStates)
            if (DrawsBeside(other, *scene))
                SwapBuffers(other.deviceContext);
    SwapBuffers(scene->deviceContext);
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
            ResizeScene(*scene, LOWORD(lParam), HIWORD(lParam));
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
