// The saver where the setup program put it, run by setup_test.sh in its prefix.
#include <gtest/gtest.h>

#include "tests/host/saver_driver.h"

TEST(InstalledSaver, RunsFullScreenAndAKeyEndsItWithZero)
{
    char folder[MAX_PATH];  // the system folder of 32-bit programs
    if (GetSystemWow64DirectoryA(folder, MAX_PATH) == 0)
        GetSystemDirectoryA(folder, MAX_PATH);
    CentreCursor();
    PROCESS_INFORMATION saver = StartProgram(std::string(folder) + "\\KH_Schoner.scr", "/s");
    HWND window = WaitForSaverWindow(saver);
    ASSERT_NE(window, nullptr);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(frame.bottom - frame.top, GetSystemMetrics(SM_CYSCREEN));
    SendKey(VK_RETURN, false);
    SendKey(VK_RETURN, true);
    EXPECT_EQ(WaitForExitPumping(saver, 10000), 0u);
}
