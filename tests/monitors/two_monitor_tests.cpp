// A full-screen run on two monitors: the primary one at (0,0) and a larger one
// to its left, so that the virtual screen starts at a negative x and reaches
// below the primary monitor (tools/harness_two_monitors.sh).
#include <gtest/gtest.h>

#include <algorithm>

#include "bench/display_notice.h"
#include "host/host.h"
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

static BOOL CALLBACK KeepOtherMonitor(HMONITOR, HDC, LPRECT box, LPARAM other)
{
    if (box->left != 0 || box->top != 0)
        *reinterpret_cast<RECT*>(other) = *box;
    return TRUE;
}

static RECT OtherMonitor()
{
    RECT other = {};
    EnumDisplayMonitors(nullptr, nullptr, KeepOtherMonitor, reinterpret_cast<LPARAM>(&other));
    return other;
}

// A run with these lines in the settings, photographed once it has drawn for a while.
class SaverOnTwoMonitors : public testing::Test {
protected:
    static void Run(const std::string& lines)
    {
        WriteWholeFile(ControlIniPath(), "[Screen Saver.KH_Schoner]\r\n" + lines);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, "control.ini");
        backdrop = MakeWhiteBackdrop();
        CentreCursor();
        process = StartScr("/s");
        window = WaitForSaverWindow(process);
        RECT all = VirtualScreen();
        shotOrigin = {all.left, all.top};
        if (window && KeepsRunning(process, 1500))
            shot = CaptureScreen(all);
    }
    static void TearDownTestSuite()
    {
        if (process.hProcess)
            WaitForExit(process, 0);
        DestroyWindow(backdrop);
        shot = {};
    }
    void SetUp() override
    {
        ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "the display must have two monitors";
        ASSERT_NE(window, nullptr);
        ASSERT_FALSE(shot.pixels.empty());
    }
    // Lit pixels of the photograph, in screen coordinates.
    static bool Lit(int x, int y) { return shot.At(x - shotOrigin.x, y - shotOrigin.y) != 0; }
    // The globe stands in the middle of a monitor's picture, as wide as it is high,
    // and as large as that monitor's height makes it: a viewport placed or sized
    // wrongly moves it away from the centre, and a projection of another size or
    // shape changes its width or height. The logo circling it can touch it in one
    // picture; of a few pictures the shortest reach counts.
    static void ExpectGlobeInTheMiddleOf(const RECT& monitor)
    {
        const int centreX = (monitor.right - monitor.left) / 2;
        const int centreY = (monitor.bottom - monitor.top) / 2;
        int across = 9999, down = 9999;
        for (int picture = 0; picture < 4 && KeepsRunning(process, 250); ++picture) {
            ScreenPicture shown = CaptureScreen(monitor);
            int lit = 0;
            for (int y = centreY - 16; y < centreY + 16; ++y)
                for (int x = centreX - 16; x < centreX + 16; ++x)
                    lit += shown.At(x, y) != 0;
            EXPECT_GT(lit, 32 * 32 / 2);
            // Lit pixels from the centre on, as far as the globe reaches in one direction.
            auto reach = [&](int dx, int dy) {
                int n = 0;
                while (n < 200 && shown.At(centreX + (n + 1) * dx, centreY + (n + 1) * dy))
                    ++n;
                return n;
            };
            across = std::min(across, reach(-1, 0) + reach(1, 0) + 1);
            down = std::min(down, reach(0, -1) + reach(0, 1) + 1);
        }
        // The globe's diameter is 0.157 of the height; it wanders a little off the
        // centre, so the lines through the centre cut it a little shorter.
        const double height = monitor.bottom - monitor.top;
        EXPECT_NEAR(across / height, 0.15, 0.015) << "across";
        EXPECT_NEAR(down / height, 0.15, 0.015) << "down";
    }
    static HWND backdrop;
    static PROCESS_INFORMATION process;
    static HWND window;
    static ScreenPicture shot;
    static POINT shotOrigin;
};
HWND SaverOnTwoMonitors::backdrop;
PROCESS_INFORMATION SaverOnTwoMonitors::process;
HWND SaverOnTwoMonitors::window;
ScreenPicture SaverOnTwoMonitors::shot;
POINT SaverOnTwoMonitors::shotOrigin;

class PrimaryMonitorOnly : public SaverOnTwoMonitors {
protected:
    static void SetUpTestSuite() { Run("Art=KH-Satellit\r\nAllMonitors=0\r\n"); }
};

class SceneOnEveryMonitor : public SaverOnTwoMonitors {
protected:
    static void SetUpTestSuite() { Run("Art=KH-Satellit\r\n"); }
};

// The scene's window presents the primary monitor's pixels alone; the other
// monitor has a topmost window of the saver's, owned by its window, over exactly
// that monitor.
TEST_F(PrimaryMonitorOnly, ItsWindowCoversThePrimaryMonitorAndAnOwnedOneTheOther)
{
    RECT frame, primary = PrimaryMonitor(), other = OtherMonitor();
    GetWindowRect(window, &frame);
    EXPECT_TRUE(EqualRect(&frame, &primary));
    HWND cover = WindowFromPoint({other.left + 10, 10});
    EXPECT_EQ(GetWindow(cover, GW_OWNER), window);
    EXPECT_TRUE(GetWindowLongA(cover, GWL_EXSTYLE) & WS_EX_TOPMOST);
    GetWindowRect(cover, &frame);
    EXPECT_TRUE(EqualRect(&frame, &other));
}

TEST_F(PrimaryMonitorOnly, EveryPixelOfTheOtherMonitorIsBlack)
{
    RECT other = OtherMonitor();
    int lit = 0;
    POINT firstLit = {};
    for (int y = other.top; y < other.bottom; ++y)
        for (int x = other.left; x < other.right; ++x)
            if (Lit(x, y) && lit++ == 0)
                firstLit = {x, y};
    EXPECT_EQ(lit, 0) << "first at " << firstLit.x << "," << firstLit.y;
}

TEST_F(PrimaryMonitorOnly, ThePrimaryMonitorShowsTheGlobeInItsMiddle)
{
    ExpectGlobeInTheMiddleOf(PrimaryMonitor());
}

TEST_F(SceneOnEveryMonitor, EachMonitorShowsAGlobeOfItsOwnSizeInItsMiddle)
{
    ExpectGlobeInTheMiddleOf(PrimaryMonitor());
    ExpectGlobeInTheMiddleOf(OtherMonitor());
}

class LogosOnEveryMonitor : public SaverOnTwoMonitors {
protected:
    static void SetUpTestSuite() { Run("Art=KH-Logo\r\nNumber=5\r\n"); }
};

// Both monitors are 4:3, and the two scenes have drawn as many frames: the same
// swarm would light the same cells of a grid laid over each monitor's picture.
TEST_F(LogosOnEveryMonitor, EachMonitorHasASwarmOfItsOwn)
{
    RECT monitors[2] = {PrimaryMonitor(), OtherMonitor()};
    bool cells[2][24][32] = {};
    for (int m = 0; m < 2; ++m) {
        const RECT& r = monitors[m];
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                cells[m][(y - r.top) * 24 / (r.bottom - r.top)][(x - r.left) * 32 / (r.right - r.left)] |= Lit(x, y);
    }
    int either = 0, different = 0;
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column) {
            either += cells[0][row][column] || cells[1][row][column];
            different += cells[0][row][column] != cells[1][row][column];
        }
    EXPECT_GT(either, 20);
    EXPECT_GT(different * 2, either) << different << " of " << either << " cells differ";
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

// Another colour depth may want another pixel format than the scene's.
TEST(TwoMonitorRun, ANewColourDepthEndsIt)
{
    PROCESS_INFORMATION process = StartScr("/s");
    HWND window = WaitForSaverWindow(process);
    DWORD_PTR answer;
    SendMessageTimeoutA(window, WM_DISPLAYCHANGE, 16, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    EXPECT_EQ(WaitForExitPumping(process), 0u);
}

// The other monitor laid out anew with xrandr to the primary one's right, so that
// X keeps the primary one, and with it the cursor, where they are; then the change
// is announced as Windows announces it: Wine reads the new monitors but tells no
// window. A width of 0 switches the monitor off; a `left` of true puts it back.
static bool LayOutOtherMonitor(int width, int height, bool left = false)
{
    std::string other = width ? "--mode " + std::to_string(width) + "x" + std::to_string(height) +
                                    (left ? " --pos 0x0" : " --pos 640x0")
                              : "--off";
    // Wine runs a Unix program without a handle to wait on; the change shows in the metrics.
    const DeskShape before = ReadDesk();
    StartProgram("Z:\\usr\\bin\\xrandr", "--fb 1440x600 --output DUMMY0 --pos " +
                                                std::string(left ? "800" : "0") + "x0 --output DUMMY1 " + other);
    for (int i = 0; SameDesk(ReadDesk(), before); ++i)
        if (i == 50)
            return false;
        else
            Sleep(100);
    DWORD_PTR answer;
    SendMessageTimeoutA(HWND_BROADCAST, WM_DISPLAYCHANGE, 32, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    return true;
}

static BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    *reinterpret_cast<int*>(count) += IsWindowVisible(window) ? 1 : 0;
    return TRUE;
}

class DisplayChanges : public SaverOnTwoMonitors {
protected:
    static void SetUpTestSuite()
    {
        if (LayOutOtherMonitor(800, 600))
            Run("Art=KH-Satellit\r\n");
    }
    static void TearDownTestSuite()
    {
        LayOutOtherMonitor(800, 600, true);
        SaverOnTwoMonitors::TearDownTestSuite();
    }
    static int SaverWindows()
    {
        int count = 0;
        EnumThreadWindows(process.dwThreadId, CountWindow, reinterpret_cast<LPARAM>(&count));
        return count;
    }
};

// A smaller mode, the monitor off and on again: each time the run goes on, and the
// other monitor's window follows it with a round globe of its new size.
TEST_F(DisplayChanges, TheRunGoesOnAndItsWindowsFollowTheMonitors)
{
    ASSERT_TRUE(LayOutOtherMonitor(640, 480));
    EXPECT_TRUE(KeepsRunning(process, 1000));
    RECT other = OtherMonitor(), frame = {};
    EXPECT_EQ(other.right - other.left, 640);
    GetWindowRect(WindowFromPoint({other.left + 10, 10}), &frame);
    EXPECT_TRUE(EqualRect(&frame, &other));
    ExpectGlobeInTheMiddleOf(other);

    ASSERT_TRUE(LayOutOtherMonitor(0, 0));
    EXPECT_TRUE(KeepsRunning(process, 1000));
    EXPECT_EQ(SaverWindows(), 1);

    ASSERT_TRUE(LayOutOtherMonitor(800, 600));
    EXPECT_TRUE(KeepsRunning(process, 1000));
    EXPECT_EQ(SaverWindows(), 2);
    ExpectGlobeInTheMiddleOf(OtherMonitor());
    ExpectGlobeInTheMiddleOf(PrimaryMonitor());

    // The monitor sleeps with the display and comes back where it was; meanwhile
    // the system has moved its window onto the primary one, as Windows does.
    other = OtherMonitor();
    HWND cover = WindowFromPoint({other.left + 10, 10});
    ASSERT_TRUE(SendDisplayState(window, false));
    ASSERT_TRUE(LayOutOtherMonitor(0, 0));
    SetWindowPos(cover, HWND_TOPMOST, 0, 0, 640, 480, SWP_NOACTIVATE);
    ASSERT_TRUE(LayOutOtherMonitor(800, 600));
    ASSERT_TRUE(SendDisplayState(window, true));
    EXPECT_TRUE(KeepsRunning(process, 1000));
    GetWindowRect(cover, &frame);
    EXPECT_TRUE(EqualRect(&frame, &other));
    ExpectGlobeInTheMiddleOf(other);
    SendKey('K', false);
    EXPECT_EQ(WaitForExitPumping(process), 0u);
}
