// A full-screen run on two monitors: the primary one at (0,0) and a larger one
// to its left, so that the virtual screen starts at a negative x and reaches
// below the primary monitor (tools/harness_two_monitors.sh).
#include <gtest/gtest.h>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

static RECT VirtualScreen()
{
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

static RECT PrimaryMonitor()
{
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// What a desktop would show wherever the saver leaves the screen uncovered: the
// display's own background is black already.
static HWND MakeWhiteBackdrop()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "KhWhiteBackdrop";
    RegisterClassA(&windowClass);
    RECT all = VirtualScreen();
    HWND backdrop = CreateWindowExA(WS_EX_NOACTIVATE, windowClass.lpszClassName, "", WS_POPUP,
                                    all.left, all.top, all.right - all.left,
                                    all.bottom - all.top, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    UpdateWindow(backdrop);
    return backdrop;
}

// One run of the globe scene, photographed once it has drawn for a while.
class SaverOnTwoMonitors : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WriteWholeFile(ControlIniPath(),
                       "[Screen Saver.KH_Schoner]\r\nArt=KH-Satellit\r\nSpeed=15\r\nNumber=1\r\n"
                       "Text=spitze\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n");
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini");
        backdrop = MakeWhiteBackdrop();
        CentreCursor();
        process = StartScr("/s");
        window = WaitForSaverWindow(process);
        if (window && KeepsRunning(process, 1500))
            shot = CaptureScreen(VirtualScreen());
    }
    static void TearDownTestSuite()
    {
        if (process.hProcess)
            WaitForExit(process, 0);
        DestroyWindow(backdrop);
    }
    void SetUp() override
    {
        ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "the display must have two monitors";
        ASSERT_NE(window, nullptr);
        ASSERT_FALSE(shot.pixels.empty());
    }
    static HWND backdrop;
    static PROCESS_INFORMATION process;
    static HWND window;
    static ScreenPicture shot;
};
HWND SaverOnTwoMonitors::backdrop;
PROCESS_INFORMATION SaverOnTwoMonitors::process;
HWND SaverOnTwoMonitors::window;
ScreenPicture SaverOnTwoMonitors::shot;

// The scene's window presents the primary monitor's pixels alone; the other
// monitor is a topmost window of the saver's, owned by its window.
TEST_F(SaverOnTwoMonitors, ItsWindowCoversThePrimaryMonitorAndAnOwnedOneTheOther)
{
    RECT frame, primary = PrimaryMonitor();
    GetWindowRect(window, &frame);
    EXPECT_TRUE(EqualRect(&frame, &primary));
    HWND cover = WindowFromPoint({VirtualScreen().left + 10, 10});
    EXPECT_EQ(GetWindow(cover, GW_OWNER), window);
    EXPECT_TRUE(GetWindowLongA(cover, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SaverOnTwoMonitors, EveryPixelOutsideThePrimaryMonitorIsBlack)
{
    RECT primary = PrimaryMonitor();
    RECT all = VirtualScreen();
    int lit = 0;
    POINT firstLit = {};
    for (int y = all.top; y < all.bottom; ++y)
        for (int x = all.left; x < all.right; ++x)
            if (!PtInRect(&primary, {x, y}) && shot.At(x - all.left, y - all.top) != 0 &&
                lit++ == 0)
                firstLit = {x, y};
    EXPECT_EQ(lit, 0) << "first at " << firstLit.x << "," << firstLit.y;
}

// The globe stands in the middle of the picture: a viewport placed or sized
// wrongly inside the larger window moves it away from the monitor's centre.
TEST_F(SaverOnTwoMonitors, ThePrimaryMonitorShowsTheGlobeInItsMiddle)
{
    RECT primary = PrimaryMonitor();
    int centreX = (primary.left + primary.right) / 2;
    int centreY = (primary.top + primary.bottom) / 2;
    RECT all = VirtualScreen();
    int lit = 0;
    for (int y = centreY - 16; y < centreY + 16; ++y)
        for (int x = centreX - 16; x < centreX + 16; ++x)
            lit += shot.At(x - all.left, y - all.top) != 0;
    EXPECT_GT(lit, 32 * 32 / 2);
}

// The cursor stands on the other monitor from the start, so no travel ends the
// run before the click does.
TEST(TwoMonitorRun, AClickOnTheOtherMonitorEndsIt)
{
    SetCursorPos(VirtualScreen().left + 100, 100);
    PROCESS_INFORMATION process = StartScr("/s");
    ASSERT_NE(WaitForSaverWindow(process), nullptr);
    EXPECT_TRUE(KeepsRunning(process, 500));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(WaitForExitPumping(process), 0u);
}
