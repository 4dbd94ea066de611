// The built saver started with each kind of command line, read by its exit code
// and by the windows it makes.
#include <gtest/gtest.h>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

static const DWORD minusOne = 0xFFFFFFFF;

TEST(CommandLine, LettersThatNameNoModeEndWithMinusOne)
{
    for (const char* arguments : {"/x", "/1", "/\ts", "\xe4s", "7"})
        EXPECT_EQ(RunScr(arguments), minusOne) << arguments;
}

TEST(CommandLine, ThePasswordLetterOnThisSystemEndsWithMinusOne)
{
    EXPECT_EQ(RunScr("/a"), minusOne);
}

TEST(CommandLine, APreviewWithoutAReadableWindowEndsWithMinusOne)
{
    HWND window = MakeTestWindow(false);
    std::string handle = HandleText(window);
    for (std::string arguments : {"/p:" + handle, "/p\t" + handle, std::string("/p"),
                                  std::string("/p 0")}) {
        PROCESS_INFORMATION process = StartScr(arguments);
        EXPECT_EQ(WaitForExitPumping(process), minusOne) << arguments;
        EXPECT_EQ(FindWindowExA(window, nullptr, nullptr, nullptr), nullptr) << arguments;
    }
    DestroyWindow(window);
}

TEST(CommandLine, EachSpellingOfThePreviewRunsInTheGivenWindow)
{
    for (const char* spelling : {"/p %", "/p   %", "/l %", "-P %ab", "L%"}) {
        HWND parent = MakeTestWindow(false);
        std::string arguments = spelling;
        arguments.replace(arguments.find('%'), 1, HandleText(parent));
        PROCESS_INFORMATION process = StartScr(arguments);
        EXPECT_NE(WaitForChild(parent, "WindowsScreenSaverClass", "Preview"), nullptr)
            << arguments;
        DestroyWindow(parent);
        EXPECT_EQ(WaitForExitPumping(process), 0u) << arguments;
    }
}

struct FullScreenStart {
    std::string commandLine;  // the whole line, program name included
    std::vector<WORD> keys;   // pressed in order, released after the run
    DWORD buttonDown, buttonUp;
};

TEST(CommandLine, EachSpellingOfFullScreenRunsAndEachKeyOrButtonEndsItWithZero)
{
    std::string program = "\"" + ScrPath() + "\" ";
    const FullScreenStart starts[] = {
        {"\"C:\\Program Files\\Mein Schoner\\KH Schoner.scr\" /s", {VK_SPACE}, 0, 0},
        {"C:\\KH_SCH~1.SCR    -S", {VK_MENU, 'X'}, 0, 0},
        {program + "s", {}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
        {program + "/sx", {}, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
        {program + "/ -s", {}, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
    };
    for (const FullScreenStart& start : starts) {
        CentreCursor();
        PROCESS_INFORMATION process = StartWithCommandLine(ScrPath(), start.commandLine);
        ASSERT_NE(WaitForSaverWindow(process), nullptr) << start.commandLine;
        for (WORD key : start.keys)
            SendKey(key, false);
        if (start.buttonDown)
            SendMouse(start.buttonDown);
        EXPECT_EQ(WaitForExitPumping(process, 10000), 0u) << start.commandLine;
        for (WORD key : start.keys)
            SendKey(key, true);
        if (start.buttonUp)
            SendMouse(start.buttonUp);
    }
}

static HWND AboutDialogOf(const PROCESS_INFORMATION& process)
{
    return WaitForProcessWindow(process, "#32770", nullptr);
}

TEST(CommandLine, NoLetterOrTheConfigureLetterShowsTheAboutDialog)
{
    HWND foreground = MakeTestWindow(true);
    struct { std::string arguments; HWND owner; } cases[] = {
        {"", nullptr}, {"- / ", nullptr}, {"/c:1234", foreground}, {"C", foreground}};
    for (const auto& each : cases) {
        SetForegroundWindow(foreground);
        PROCESS_INFORMATION process = StartProgram(ScrPath(), each.arguments);
        HWND dialog = AboutDialogOf(process);
        ASSERT_NE(dialog, nullptr) << each.arguments;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), each.owner) << each.arguments;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(WaitForExitPumping(process), 1u) << each.arguments;
    }
    DestroyWindow(foreground);
}
