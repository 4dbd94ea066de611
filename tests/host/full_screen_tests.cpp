// A full-screen run of the built saver: its window, the input that ends it and
// the input that does not.
#include <gtest/gtest.h>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

// One run shared by the checks that leave it running; the last one ends it.
class RunningSaver : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CentreCursor();
        process = StartScr("/s");
        window = WaitForSaverWindow(process);
    }
    static void TearDownTestSuite()
    {
        if (process.hProcess)
            WaitForExit(process, 0);
    }
    void SetUp() override
    {
        ASSERT_NE(window, nullptr);
    }
    static PROCESS_INFORMATION process;
    static HWND window;
};
PROCESS_INFORMATION RunningSaver::process;
HWND RunningSaver::window;

TEST_F(RunningSaver, IsATopmostPopupCoveringEveryMonitor)
{
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x96000000u);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(frame.right - frame.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(frame.bottom - frame.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(RunningSaver, HidesTheCursor)
{
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ(cursor.hCursor, nullptr);
}

TEST_F(RunningSaver, KeyUpButtonUpWheelAndCharactersDoNotEndIt)
{
    SendKey('K', true);
    SendMouse(MOUSEEVENTF_LEFTUP);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    SendMouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA));
    PostMessageA(window, WM_CHAR, 'k', 0);
    PostMessageA(window, WM_SYSCHAR, 'k', 0);
    EXPECT_TRUE(KeepsRunning(process, 500));
}

TEST_F(RunningSaver, TaskSwitchAndScreenSaveCommandsAreSwallowed)
{
    for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE}) {
        DWORD_PTR result = 1;
        EXPECT_TRUE(SendMessageTimeoutA(window, WM_SYSCOMMAND, command, 0, SMTO_BLOCK, 5000,
                                        &result));
        EXPECT_EQ(result, 0u) << command;
    }
    EXPECT_TRUE(KeepsRunning(process, 300));
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(RunningSaver, KeepsItsTitle)
{
    DWORD_PTR result = 1;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Anders"), SMTO_BLOCK,
                        5000, &result);
    EXPECT_EQ(result, 0u);
    char title[32] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
}

TEST_F(RunningSaver, AnswersNoPasswordRequestOnThisSystem)
{
    DWORD_PTR result = 1;
    SendMessageTimeoutA(window, WM_APP, 0, 0, SMTO_BLOCK, 5000, &result);
    EXPECT_EQ(result, 0u);
}

TEST_F(RunningSaver, ASecondStartLeavesItInFrontAndEndsWithZeroAtOnce)
{
    EXPECT_EQ(RunScr("/s", 10000), 0u);
    EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), window);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_TRUE(KeepsRunning(process, 100));
}

TEST_F(RunningSaver, AKeyEndsItWithZero)
{
    SendKey(VK_RETURN, false);
    SendKey(VK_RETURN, true);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
}

// Each of these needs a run of its own: the anchor is taken when the window is made.
static PROCESS_INFORMATION StartCentred(POINT& centre)
{
    centre = CentreCursor();
    PROCESS_INFORMATION process = StartScr("/s");
    EXPECT_NE(WaitForSaverWindow(process), nullptr);
    return process;
}

// Two moves, each measured from the centre where the run took its anchor: the
// first leaves the saver running, the second ends it with 0.
static void ExpectSecondMoveEndsIt(POINT first, POINT second)
{
    POINT centre;
    PROCESS_INFORMATION process = StartCentred(centre);
    SetCursorPos(centre.x + first.x, centre.y + first.y);
    EXPECT_TRUE(KeepsRunning(process, 500));
    SetCursorPos(centre.x + second.x, centre.y + second.y);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
}

TEST(FullScreen, MouseTravelOfFourDoesNotEndItAndFiveDoes)
{
    ExpectSecondMoveEndsIt({3, 1}, {3, 2});
}

TEST(FullScreen, TwoMovesOfThreeInOneDirectionEndIt)
{
    ExpectSecondMoveEndsIt({-3, 0}, {-6, 0});
}

TEST(FullScreen, AnotherApplicationBecomingActiveEndsIt)
{
    POINT centre;
    PROCESS_INFORMATION process = StartCentred(centre);
    HWND other = MakeTestWindow(true);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
    DestroyWindow(other);
}
