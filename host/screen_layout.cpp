// Where the full-screen windows go: one over each monitor. No window is needed to
// work it out.
#include "host/host.h"

bool SameBox(const ScreenBox& one, const ScreenBox& other)
{
    return one.x == other.x && one.y == other.y && one.width == other.width &&
           one.height == other.height;
}

ScreenBox BoxOfRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

FullScreenLayout LayOutFullScreen(ScreenBox primaryScreen, const MonitorBox* monitors, int count)
{
    FullScreenLayout layout = {primaryScreen, {}, {}, 0};
    // Windows 95 and NT 4 list no monitors: their one monitor is the primary screen.
    for (int i = 0; i < count; ++i)
        if (monitors[i].primary) {
            layout.window = monitors[i].box;
            lstrcpynA(layout.primaryDevice, monitors[i].device, sizeof layout.primaryDevice);
        }
    for (int i = 0; i < count && layout.otherCount < kMostMonitorWindows - 1; ++i) {
        const ScreenBox& box = monitors[i].box;
        if (!monitors[i].primary && box.width > 0 && box.height > 0)
            layout.others[layout.otherCount++] = monitors[i];
    }
    return layout;
}
