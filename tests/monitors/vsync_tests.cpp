#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

// Each window's presented frames per second, from its first on, in a full-screen run
// on a 60 Hz display played by bench/swapcount.c, which reads its settings as a
// process starts (the programs after the saver keep their own pace).
static std::vector<double> WindowRates(const std::string& lines)
{
    const std::string settings = "Z:" + std::string(getenv("SWAPCOUNT_SETTINGS"));
    WriteWholeFile(settings, "VSYNC_HZ=60\nSWAPCOUNT_FILE=" + settings.substr(2) + ".counts\n");
    WriteWholeFile(ControlIniPath(), "[Screen Saver.KH_Schoner]\r\n" + lines);
    PROCESS_INFORMATION process = StartScr("/s");
    WaitForSaverWindow(process);
    DeleteFileA(settings.c_str());
    KeepsRunning(process, 4000);
    std::istringstream text(ReadWholeFile(settings + ".counts"));  // per window: frames, time
    ULARGE_INTEGER now;  // in 100 ns from 1601, where the counts' times are ns from 1970
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
    const double nowNs = static_cast<double>(now.QuadPart) * 100 - 11644473600e9;
    const std::vector<double> counts(std::istream_iterator<double>(text), {});
    WaitForExit(process, 0);
    std::vector<double> rates;
    for (size_t i = 0; i + 1 < counts.size(); i += 2)
        rates.push_back((counts[i] - 1) * 1e9 / (nowNs - counts[i + 1]));
    return rates;
}

// One monitor's rate is the same run's with the scene on the primary monitor only:
// the other monitor's window then has no rendering context and presents nothing.
TEST(VerticalSync, EveryMonitorPresentsAsOftenAsOneMonitorAlone)
{
    const std::vector<double> alone = WindowRates("Art=KH-Logo\r\nNumber=5\r\nAllMonitors=0\r\n");
    const std::vector<double> every = WindowRates("Art=KH-Logo\r\nNumber=5\r\n");
    ASSERT_EQ(alone.size(), 1u) << "no frames counted: is bench/swapcount.c preloaded?";
    EXPECT_NEAR(alone[0], 60, 6) << "the display must pace one monitor at its refresh";
    EXPECT_EQ(every.size(), 2u);
    for (double rate : every)
        EXPECT_GE(rate, 0.9 * alone[0]) << "frames/s of a window; of one monitor: " << alone[0];
}
