#include "host/host.h"

HostState hostState;

void PostQuitOnce(int code)
{
    if (hostState.quitPosted)
        return;
    hostState.quitPosted = true;
    PostQuitMessage(code);
}
