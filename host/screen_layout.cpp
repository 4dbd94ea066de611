// Where the full-screen window and the black covers go when the desktop spans
// several monitors. No window is needed to work it out.
#include "host/host.h"

static void AddCover(FullScreenLayout& layout, ScreenBox cover)
{
    if (cover.width > 0 && cover.height > 0)
        layout.covers[layout.coverCount++] = cover;
}

FullScreenLayout LayOutFullScreen(ScreenBox virtualScreen, ScreenBox primaryScreen)
{
    FullScreenLayout layout = {primaryScreen, {}, 0};
    // Windows 95 and NT 4 report no virtual screen: their one monitor is the primary.
    if (virtualScreen.width <= 0 || virtualScreen.height <= 0)
        return layout;
    // The virtual screen holds the primary one. The bands above and below it take
    // the whole width, those beside it the primary screen's rows.
    int left = virtualScreen.x, top = virtualScreen.y;
    int right = left + virtualScreen.width, bottom = top + virtualScreen.height;
    int primaryRight = primaryScreen.x + primaryScreen.width;
    int primaryBottom = primaryScreen.y + primaryScreen.height;
    AddCover(layout, {left, top, virtualScreen.width, primaryScreen.y - top});
    AddCover(layout, {left, primaryBottom, virtualScreen.width, bottom - primaryBottom});
    AddCover(layout, {left, primaryScreen.y, primaryScreen.x - left, primaryScreen.height});
    AddCover(layout, {primaryRight, primaryScreen.y, right - primaryRight, primaryScreen.height});
    return layout;
}
