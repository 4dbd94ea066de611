#include "bench/scene_window.h"

#include "host/host.h"
#include "scene/scene.h"

static const char kClass[] = "KhSceneTestClass";

HWND OpenSceneWindow(int width, int height, DWORD (WINAPI *seedSource)())
{
    hostState.instance = GetModuleHandleA(nullptr);
    hostState.isPreview = true;
    // Each window is a run of its own, as RunSaverWindow would start it.
    hostState.quitPosted = false;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = SceneWindowProc;
    windowClass.hInstance = hostState.instance;
    windowClass.lpszClassName = kClass;
    // Fails harmlessly once the class exists.
    RegisterClassA(&windowClass);

    sceneStates[0] = SceneState{};
    sceneStates[0].seedSource = seedSource;
    return CreateWindowExA(0, kClass, "Kranichhof scene", WS_POPUP | WS_VISIBLE, 0, 0, width,
                           height, nullptr, nullptr, hostState.instance, nullptr);
}

void DestroySceneWindow(HWND window)
{
    DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}
