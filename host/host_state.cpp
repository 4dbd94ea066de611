#include "host/host.h"

HostState hostState;

void PostQuitOnce(int code)
{
    if (hostState.quitPosted)
        return;
    hostState.quitPosted = true;
    PostQuitMessage(code);
}

void ShowFailure(const char* text)
{
    if (!hostState.quitPosted)
        MessageBoxA(nullptr, text, "Fehler", MB_OK | MB_ICONERROR);
}

bool FramesStopped()
{
    return hostState.closeAccepted || hostState.displayOff;
}
