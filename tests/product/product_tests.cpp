// The product as a user starts it: full-screen it draws its scene, and a key ends
// it with 0. On a slow machine (an emulated PC among them) its window and its
// first frame can take minutes, so they are waited for, never timed.
#include <gtest/gtest.h>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

// The monograms' blue glyphs; the screen behind the saver has none.
static int BluePixels(const ScreenPicture& picture)
{
    int count = 0;
    for (uint32_t pixel : picture.pixels) {
        int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
        count += b > 120 && r < 90 && g < 90;
    }
    return count;
}

TEST(Product, DrawsItsLogoSwarmFullScreenAndAKeyEndsItWithZero)
{
    WriteWholeFile(ControlIniPath(), "[Screen Saver.KH_Schoner]\r\nArt=KH-Logo\r\nNumber=20\r\n");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini");
    CentreCursor();
    PROCESS_INFORMATION saver = StartScr("/s");
    HWND window = nullptr;
    for (int wait = 0; wait < 15 && !window && KeepsRunning(saver, 0); ++wait)
        window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int blue = 0;
    for (int second = 0; second < 300 && blue < 500 && KeepsRunning(saver, 1000); ++second)
        blue = BluePixels(CaptureScreen(screen));
    EXPECT_GE(blue, 500);
    SendKey(VK_RETURN, false);
    SendKey(VK_RETURN, true);
    EXPECT_EQ(WaitForExitPumping(saver, 300000), 0u);
    RemoveControlIni();
}
