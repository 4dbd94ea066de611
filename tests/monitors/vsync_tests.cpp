#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

struct WindowPresents {
    double rate;  // frames per second from its first on
    double torn;  // presents that did not wait for the blank
    double hz;    // its monitor's refresh
};

// Each window of a full-screen run on a display played by bench/swapcount.c: the
// primary monitor at 60 Hz, the other one (800 pixels wide) at 75 Hz. The library
// reads its settings as a process starts (the programs after the saver keep their
// own pace).
static std::vector<WindowPresents> Presents(const std::string& display)
{
    const std::string settings = "Z:" + std::string(getenv("SWAPCOUNT_SETTINGS"));
    WriteWholeFile(settings, "VSYNC_HZ=60\nVSYNC_HZ_800=75\n" + display +
                                 "SWAPCOUNT_FILE=" + settings.substr(2) + ".counts\n");
    WriteWholeFile(ControlIniPath(), "[Screen Saver.KH_Schoner]\r\nArt=KH-Logo\r\nNumber=5\r\n");
    PROCESS_INFORMATION process = StartScr("/s");
    WaitForSaverWindow(process);
    DeleteFileA(settings.c_str());
    KeepsRunning(process, 4000);
    // Per window: frames, first frame's time, torn presents, refresh.
    std::istringstream text(ReadWholeFile(settings + ".counts"));
    ULARGE_INTEGER now;  // in 100 ns from 1601, where the counts' times are ns from 1970
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
    const double nowNs = static_cast<double>(now.QuadPart) * 100 - 11644473600e9;
    const std::vector<double> counts(std::istream_iterator<double>(text), {});
    WaitForExit(process, 0);
    std::vector<WindowPresents> windows;
    for (size_t i = 0; i + 3 < counts.size(); i += 4)
        windows.push_back({(counts[i] - 1) * 1e9 / (nowNs - counts[i + 1]), counts[i + 2],
                           counts[i + 3]});
    return windows;
}

// Also where the driver keeps one swap interval for the whole process, as Mesa's
// WGL does: a window that asked for none there would take the others' wait away.
TEST(VerticalSync, EveryMonitorPresentsOncePerBlankOfItsOwnWithoutTearing)
{
    for (const char* display : {"", "VSYNC_PROCESS_WIDE=1\n"}) {
        const std::vector<WindowPresents> windows = Presents(display);
        EXPECT_EQ(windows.size(), 2u) << "is bench/swapcount.c preloaded? " << display;
        double refreshes = 0;
        for (const WindowPresents& window : windows) {
            refreshes += window.hz;
            EXPECT_TRUE(window.hz == 60 || window.hz == 75) << window.hz;
            EXPECT_GE(window.rate, 0.9 * window.hz) << "frames/s at " << window.hz << " Hz " << display;
            EXPECT_EQ(window.torn, 0) << window.hz << " Hz " << display;
        }
        EXPECT_EQ(refreshes, 60 + 75) << "one monitor at each refresh " << display;
    }
}
