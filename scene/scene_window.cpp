// The scene's window procedure: binds the OpenGL context and the animation to the
// life of the one saver window.
#include "scene/scene.h"

#include <GL/glu.h>
#include <stdlib.h>

#include "host/host.h"
#include "settings/settings.h"

// SetTimer answers a timer of identifier 0 with some other nonzero value; the
// timer is killed by the identifier it was started with.
static const UINT_PTR kTimerId = 0;
static const UINT kTimerPeriod = 2;  // the shortest useful period; each tick yields one frame at most

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

void ResizeScene(int width, int height)
{
    glViewport(0, 0, width, height);
    SetProjection(width, height);
    DrawFrame();
}

void PaintFrame(HWND window)
{
    HDC deviceContext = GetDC(window);
    if (!deviceContext)
        return;
    RECT client;
    GetClientRect(window, &client);
    SetProjection(client.right - client.left, client.bottom - client.top);
    DrawFrame();
    ReleaseDC(window, deviceContext);
}

static void CreateScene(HWND window)
{
    sceneState.deviceContext = GetDC(window);
    if (!ChooseScenePixelFormat(sceneState.deviceContext))
        PostQuitOnce(0);
    sceneState.renderContext = wglCreateContext(sceneState.deviceContext);
    wglMakeCurrent(sceneState.deviceContext, sceneState.renderContext);

    RECT client;
    GetClientRect(window, &client);

    if (!LoadSaverSettings())
        PostQuitOnce(5);
    sceneState.kind = SceneKindFromArt(saverSettings.Art);

    InitScene();
    ResizeScene(client.right, client.bottom);
    sceneState.timerId = SetTimer(window, kTimerId, kTimerPeriod, nullptr);
}

// Releases each resource once; a second run finds nothing left to release.
static void DestroyScene(HWND window)
{
    if (sceneState.renderContext) {
        wglMakeCurrent(sceneState.deviceContext, nullptr);
        wglDeleteContext(sceneState.renderContext);
        sceneState.renderContext = nullptr;
    }
    if (sceneState.outlineFont) {
        // Windows 95/98/ME cannot delete a font that is still selected, and would
        // keep it for good.
        SelectObject(sceneState.deviceContext, sceneState.originalFont);
        DeleteObject(sceneState.outlineFont);
        sceneState.outlineFont = nullptr;
        sceneState.originalFont = nullptr;
    }
    if (sceneState.deviceContext) {
        ReleaseDC(window, sceneState.deviceContext);
        sceneState.deviceContext = nullptr;
    }
    if (sceneState.timerId) {
        KillTimer(window, kTimerId);
        sceneState.timerId = 0;
    }
    free(sceneState.objects);
    sceneState.objects = nullptr;
    // The texture bitmap too: a process that makes window after window must not
    // keep one bitmap per window.
    if (sceneState.textureImage.bitmap) {
        DeleteObject(sceneState.textureImage.bitmap);
        sceneState.textureImage = TextureImage{};
    }
    PostQuitOnce(0);
}

static void PaintScene(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    PaintFrame(window);
    SwapBuffers(sceneState.deviceContext);
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
        ResizeScene(LOWORD(lParam), HIWORD(lParam));
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
