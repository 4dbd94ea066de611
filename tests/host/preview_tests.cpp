// A preview run of the built saver inside a window of this test program, as the
// display settings show it.
#include <gtest/gtest.h>

#include <vector>

#include "tests/host/saver_driver.h"
#include "tests/support/test_support.h"

struct ParentMessage {
    UINT message;
    WPARAM wParam;
    UINT helpSize;
    bool sent;
};
static std::vector<ParentMessage> parentReceived;

static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        UINT helpSize = message == WM_HELP ? reinterpret_cast<HELPINFO*>(lParam)->cbSize : 0;
        parentReceived.push_back({message, wParam, helpSize, InSendMessage() != FALSE});
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class RunningPreview : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA parentClass = {};
        parentClass.lpfnWndProc = ParentProc;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "KhPreviewParent";
        RegisterClassA(&parentClass);
        parent = CreateWindowExA(0, parentClass.lpszClassName, "Anzeige",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 170, 140, nullptr,
                                 nullptr, parentClass.hInstance, nullptr);
        process = StartScr("/p " + HandleText(parent));
        preview = WaitForChild(parent, "WindowsScreenSaverClass", "Preview");
    }
    static void TearDownTestSuite()
    {
        if (IsWindow(parent))
            DestroyWindow(parent);
        if (process.hProcess)
            WaitForExit(process, 0);
    }
    void SetUp() override
    {
        ASSERT_NE(preview, nullptr);
    }
    static HWND parent, preview;
    static PROCESS_INFORMATION process;
};
HWND RunningPreview::parent;
HWND RunningPreview::preview;
PROCESS_INFORMATION RunningPreview::process;

TEST_F(RunningPreview, IsAChildFillingTheParentsClientArea)
{
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(preview, GWL_STYLE)), 0x52000000u);
    EXPECT_EQ(GetWindowLongA(preview, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT parentClient, previewFrame;
    GetClientRect(parent, &parentClient);
    GetWindowRect(preview, &previewFrame);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&previewFrame), 2);
    EXPECT_EQ(previewFrame.left, 0);
    EXPECT_EQ(previewFrame.top, 0);
    EXPECT_EQ(previewFrame.right, parentClient.right);
    EXPECT_EQ(previewFrame.bottom, parentClient.bottom);
}

TEST_F(RunningPreview, KeysClicksAndMovesNeverEndIt)
{
    RECT frame;
    GetWindowRect(preview, &frame);
    SetCursorPos(frame.left + 10, frame.top + 10);
    SendMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(preview, WM_SYSKEYDOWN, VK_MENU, 0);
    for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN})
        SendMessageA(preview, button, 0, MAKELPARAM(5, 5));
    SetCursorPos(frame.left + 60, frame.top + 50);
    SendMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(50, 40));
    SendMessageA(preview, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(KeepsRunning(process, 500));
    EXPECT_TRUE(IsWindow(preview));
}

TEST_F(RunningPreview, HelpAndContextMenuRequestsGoToTheParent)
{
    parentReceived.clear();
    HELPINFO help = {};
    help.cbSize = sizeof help;
    EXPECT_EQ(SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    EXPECT_EQ(SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview),
                           MAKELPARAM(120, 130)), 1);
    KeepsRunning(process, 300);
    ASSERT_EQ(parentReceived.size(), 2u);
    EXPECT_EQ(parentReceived[0].message, static_cast<UINT>(WM_HELP));
    EXPECT_EQ(parentReceived[0].wParam, reinterpret_cast<WPARAM>(parent));
    EXPECT_EQ(parentReceived[0].helpSize, sizeof help);
    EXPECT_EQ(parentReceived[1].message, static_cast<UINT>(WM_CONTEXTMENU));
    EXPECT_EQ(parentReceived[1].wParam, reinterpret_cast<WPARAM>(parent));
}

TEST_F(RunningPreview, AHelpRequestIsSentToTheParentAndAContextMenuPosted)
{
    parentReceived.clear();
    HELPINFO help = {};
    help.cbSize = sizeof help;
    SendMessageA(preview, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    ASSERT_EQ(parentReceived.size(), 1u);
    EXPECT_TRUE(parentReceived[0].sent);
    SendMessageA(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), 0);
    EXPECT_EQ(parentReceived.size(), 1u);
    KeepsRunning(process, 300);
    ASSERT_EQ(parentReceived.size(), 2u);
    EXPECT_FALSE(parentReceived[1].sent);
}

TEST_F(RunningPreview, EndsWithZeroWhenTheParentIsDestroyed)
{
    DestroyWindow(parent);
    EXPECT_EQ(WaitForExitPumping(process, 10000), 0u);
}
