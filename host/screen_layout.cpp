// Where the full-screen window and the scene go when the desktop spans several
// monitors. No window is needed to work it out.
#include "host/host.h"

FullScreenLayout LayOutFullScreen(ScreenBox virtualScreen, ScreenBox primaryScreen)
{
    // Windows 95 and NT 4 report no virtual screen: their one monitor is the primary.
    bool hasVirtualScreen = virtualScreen.width > 0 && virtualScreen.height > 0;
    ScreenBox window = hasVirtualScreen ? virtualScreen : primaryScreen;
    // OpenGL counts rows from the bottom of the window upwards.
    int windowBottom = window.y + window.height;
    int primaryBottom = primaryScreen.y + primaryScreen.height;
    ScreenBox viewport = {primaryScreen.x - window.x, windowBottom - primaryBottom,
                          primaryScreen.width, primaryScreen.height};
    return {window, viewport};
}
