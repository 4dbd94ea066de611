// The host's window-free rules, and its procedures driven inside this process
// where a saver process would hide what they do.
#include <gtest/gtest.h>

#include "host/host.h"

#include <imm.h>

#include <array>
#include <string>
#include <vector>

#include "bench/display_notice.h"
#include "scene/scene.h"
#include "tests/host/saver_driver.h"
#include "tests/scene/scene_harness.h"
#include "tests/support/test_support.h"

// A window made alone takes the first scene record.
static SceneState& sceneState = sceneStates[0];

TEST(ProgramName, AQuotedNameWithBlanksIsSkippedWhole)
{
    EXPECT_STREQ(SkipProgramName("\"C:\\Mein Ordner\\KH Schoner.scr\" /s"), "/s");
    EXPECT_STREQ(SkipProgramName("\"C:\\ohne Ende"), "");
}

TEST(ProgramName, BlanksTabsAndControlCharactersAfterTheNameAreSkipped)
{
    EXPECT_STREQ(SkipProgramName("C:\\KH_SCH~1.SCR   \t\x01\x1f-S"), "-S");
    EXPECT_STREQ(SkipProgramName("C:\\Sch\xf6ner.scr /p 5"), "/p 5");
    EXPECT_STREQ(SkipProgramName("saver.scr"), "");
}

TEST(WindowHandle, DigitsAreReadUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(ReadWindowHandle("1234"), reinterpret_cast<HWND>(1234));
    EXPECT_EQ(ReadWindowHandle("12ab"), reinterpret_cast<HWND>(12));
    EXPECT_EQ(ReadWindowHandle(":1234"), nullptr);
    EXPECT_EQ(ReadWindowHandle("\t1234"), nullptr);
    EXPECT_EQ(ReadWindowHandle("-5"), nullptr);
}

TEST(WindowHandle, LargeNumbersWrapAroundAt32Bits)
{
    EXPECT_EQ(ReadWindowHandle("4294967295"), reinterpret_cast<HWND>(0xFFFFFFFFu));
    EXPECT_EQ(ReadWindowHandle("4294967297"), reinterpret_cast<HWND>(1));
}

TEST(MouseTravel, FourPixelsDoNotCloseAndFiveDo)
{
    POINT anchor = {100, 100};
    EXPECT_FALSE(MouseTravelEndsRun(anchor, {103, 101}));
    EXPECT_TRUE(MouseTravelEndsRun(anchor, {103, 102}));
    EXPECT_FALSE(MouseTravelEndsRun(anchor, {96, 100}));
    EXPECT_TRUE(MouseTravelEndsRun(anchor, {97, 98}));
}

TEST(MouseTravel, SmallMovesAddUpFromAnUnchangedAnchor)
{
    POINT anchor = {-20, 7};
    EXPECT_FALSE(MouseTravelEndsRun(anchor, {-17, 7}));
    EXPECT_TRUE(MouseTravelEndsRun(anchor, {-14, 7}));
}

TEST(ReaskDelay, ACloseWithin200MillisecondsOfThePromptIsRefused)
{
    EXPECT_TRUE(WithinReaskDelay(1150, 1000));
    EXPECT_TRUE(WithinReaskDelay(1199, 1000));
    EXPECT_FALSE(WithinReaskDelay(1200, 1000));
}

TEST(ReaskDelay, NoPromptYetRefusesNothing)
{
    EXPECT_FALSE(WithinReaskDelay(0xFFFFFFFF, 0xFFFFFFFF));
    EXPECT_FALSE(WithinReaskDelay(5, 0xFFFFFFFF));
}

TEST(ReaskDelay, TheDifferenceIsTakenAcrossTheTickWrap)
{
    EXPECT_TRUE(WithinReaskDelay(0xFFFFFFF0u + 150, 0xFFFFFFF0u));
    EXPECT_FALSE(WithinReaskDelay(0xFFFFFFF0u + 200, 0xFFFFFFF0u));
}

// The password gate, on a window whose procedure is the host's default procedure,
// with the Windows 95/98/ME path switched on and a scripted verifier.
struct VerifierScript {
    int calls;
    HWND owner;
    bool promptWasActive;
    int timerTicksLeftDuringPrompt;
    LRESULT nestedCloseResult;
};
static VerifierScript script;

static int CountPendingTimerTicks(HWND window)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
        ++count;
    return count;
}

static BOOL WINAPI ScriptedVerifier(HWND owner)
{
    ++script.calls;
    script.owner = owner;
    script.promptWasActive = hostState.promptActive;
    script.timerTicksLeftDuringPrompt = CountPendingTimerTicks(owner);
    // What arrives while the system's prompt is up: a key and a close request.
    SendMessageA(owner, WM_KEYDOWN, VK_SPACE, 0);
    script.nestedCloseResult = SendMessageA(owner, WM_CLOSE, 0, 0);
    // The user moves the mouse before refusing; the prompt shows the pointer.
    SetCursorPos(321, 123);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return FALSE;
}

class CloseGate : public testing::Test {
protected:
    void SetUp() override
    {
        hostState = HostState{};
        hostState.instance = GetModuleHandleA(nullptr);
        hostState.isWin9x = true;
        hostState.verifyPassword = ScriptedVerifier;
        script = VerifierScript{};
        WNDCLASSA probeClass = {};
        probeClass.lpfnWndProc = SaverDefaultProc;
        probeClass.hInstance = hostState.instance;
        probeClass.lpszClassName = "KhCloseGateProbe";
        RegisterClassA(&probeClass);
        window = CreateWindowExA(0, probeClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, hostState.instance, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        hostState = HostState{};
    }
    bool CloseRequestPending()
    {
        MSG message;
        return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
    }
    HWND window;
};

TEST_F(CloseGate, ARefusalKeepsTheWindowHidesTheCursorAndTakesANewAnchor)
{
    for (int i = 0; i < 3; ++i)
        PostMessageA(window, WM_TIMER, 0, 0);
    SetCursorPos(20, 30);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);

    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(script.calls, 1);
    EXPECT_EQ(script.owner, window);
    EXPECT_TRUE(script.promptWasActive);
    EXPECT_EQ(script.timerTicksLeftDuringPrompt, 1);
    EXPECT_FALSE(hostState.promptActive);
    EXPECT_FALSE(hostState.closeAccepted);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(hostState.anchorPoint.x, 321);
    EXPECT_EQ(hostState.anchorPoint.y, 123);
}

TEST_F(CloseGate, InputAndClosesWhileThePromptIsUpAreRefused)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(script.nestedCloseResult, 0);
    EXPECT_EQ(script.calls, 1);
    EXPECT_FALSE(CloseRequestPending());
}

TEST_F(CloseGate, OnceAcceptedNoInputRaisesAnotherClose)
{
    hostState.closeAccepted = true;
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(CloseRequestPending());
}

// The whole chain on a window of the saver's own procedure, with the real scene.
class SaverChain : public testing::Test {
protected:
    void SetUp() override
    {
        hostState = HostState{};
        hostState.instance = GetModuleHandleA(nullptr);
        WNDCLASSA chainClass = {};
        chainClass.style = CS_OWNDC;
        chainClass.lpfnWndProc = SaverWindowProc;
        chainClass.hInstance = hostState.instance;
        chainClass.lpszClassName = "KhSaverChainProbe";
        RegisterClassA(&chainClass);
        window = CreateWindowExA(0, chainClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                 200, 150, nullptr, nullptr, hostState.instance, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        hostState = HostState{};
    }
    // A timer tick followed by the paint it may have asked for.
    double ClockAfterTick()
    {
        EXPECT_EQ(SendMessageA(window, WM_TIMER, 0, 0), 0);
        UpdateWindow(window);
        return sceneState.clock;
    }
    HWND window;
};

TEST_F(SaverChain, AfterACloseIsAcceptedTimerTicksDrawNoMoreFrames)
{
    double before = sceneState.clock;
    EXPECT_NE(ClockAfterTick(), before);

    hostState.closeAccepted = true;
    before = sceneState.clock;
    EXPECT_EQ(ClockAfterTick(), before);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(sceneState.clock, before);
}

static HIMC contextAtDestroy;
static LRESULT CALLBACK WatchDestroy(int code, WPARAM wParam, LPARAM lParam)
{
    auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (call->message == WM_DESTROY)
        contextAtDestroy = ImmGetContext(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(SaverChain, TheInputContextIsDetachedForTheRunAndGivenBackAtItsEnd)
{
    ASSERT_NE(GetModuleHandleA("IMM32.DLL"), nullptr);
    ASSERT_NE(hostState.savedInputContext, nullptr);
    EXPECT_EQ(ImmGetContext(window), nullptr);

    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDestroy, nullptr,
                                   GetCurrentThreadId());
    DestroyWindow(window);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(contextAtDestroy, hostState.savedInputContext);
    ImmReleaseContext(window, contextAtDestroy);
}

TEST(MouseTravel, AnUnreadableCursorNeitherClosesNorMovesTheAnchor)
{
    hostState = HostState{};
    hostState.anchorPoint = {100, 100};
    hostState.anchorKnown = true;
    EXPECT_FALSE(CursorReadingEndsRun(false, {5000, -7000}));
    EXPECT_FALSE(CursorReadingEndsRun(true, {103, 101}));
    EXPECT_TRUE(CursorReadingEndsRun(true, {103, 102}));
    hostState = HostState{};
}

TEST(MouseTravel, WithoutAnAnchorTheFirstReadablePositionBecomesIt)
{
    hostState = HostState{};
    EXPECT_FALSE(CursorReadingEndsRun(true, {500, 400}));
    EXPECT_FALSE(CursorReadingEndsRun(true, {503, 401}));
    EXPECT_TRUE(CursorReadingEndsRun(true, {503, 402}));
    hostState = HostState{};
}

// The saver window, then each other monitor's window, as x, y, width, height,
// around a primary screen of 1280 x 1024.
using Boxes = std::vector<std::array<int, 4>>;
static Boxes Layout(const std::vector<MonitorBox>& monitors)
{
    FullScreenLayout layout = LayOutFullScreen({0, 0, 1280, 1024}, monitors.data(),
                                               static_cast<int>(monitors.size()));
    Boxes boxes = {{layout.window.x, layout.window.y, layout.window.width, layout.window.height}};
    for (int i = 0; i < layout.otherCount; ++i) {
        const ScreenBox& c = layout.others[i].box;
        boxes.push_back({c.x, c.y, c.width, c.height});
    }
    return boxes;
}

TEST(ScreenLayout, WithoutAListOfMonitorsThePrimaryScreenIsTheOnlyOne)
{
    EXPECT_EQ(Layout({}), (Boxes{{0, 0, 1280, 1024}}));
    EXPECT_EQ(Layout({{{0, 0, 1280, 1024}, true, {}}}), (Boxes{{0, 0, 1280, 1024}}));
}

// Listed before the primary one, to its left, taller and reaching above it; then one
// above the primary monitor's right half. A band across the whole virtual screen
// would cross monitors of different scales.
TEST(ScreenLayout, EveryOtherMonitorGetsAWindowOfExactlyItsRectangle)
{
    EXPECT_EQ(Layout({{{-1920, -96, 1920, 1200}, false, {}}, {{0, 0, 1280, 1024}, true, {}},
                      {{640, -768, 1024, 768}, false, {}}}),
              (Boxes{{0, 0, 1280, 1024}, {-1920, -96, 1920, 1200}, {640, -768, 1024, 768}}));
}

// No monitor may show the desktop: those beyond the scene table get black windows.
TEST(ScreenLayout, EmptyMonitorsGetNoWindowAndSixtyThreeOthersGetOne)
{
    std::vector<MonitorBox> monitors = {
        {{1280, 0, 0, 768}, false, {}}, {{1280, 0, 1024, 0}, false, {}}, {{0, 0, 1280, 1024}, true, {}}};
    for (int i = 0; i < 70; ++i)
        monitors.push_back({{1280 + 1024 * i, 0, 1024, 768}, false, {}});
    Boxes boxes = Layout(monitors);
    ASSERT_EQ(boxes.size(), 64u);
    EXPECT_EQ(boxes[1], (std::array<int, 4>{1280, 0, 1024, 768}));
    EXPECT_EQ(boxes[63], (std::array<int, 4>{1280 + 1024 * 62, 0, 1024, 768}));
}

// A mode run inside this process, with the pixel-density declaration recorded. A
// quit posted beforehand ends its message loop, or its dialog, as soon as it begins.
static int dpiDeclarations;
static HWND windowAtDeclaration;
static void RecordDpiDeclaration()
{
    ++dpiDeclarations;
    windowAtDeclaration = hostState.mainWindow;
}

static HWND RunModeInProcess(const char* arguments)
{
    hostState = HostState{};
    hostState.declareDpiAware = RecordDpiDeclaration;
    dpiDeclarations = 0;
    PostQuitMessage(0);
    DispatchSaverMode(GetModuleHandleA(nullptr), arguments);
    return hostState.mainWindow;
}

static void EndModeInProcess(HWND window)
{
    DestroyWindow(window);
    PumpMessages();
    UnregisterClassA("WindowsScreenSaverClass", GetModuleHandleA(nullptr));
    hostState = HostState{};
}

TEST(DpiAwareness, IsDeclaredForAFullScreenRunBeforeItsWindowIsMade)
{
    HWND window = RunModeInProcess("/s");
    EXPECT_EQ(dpiDeclarations, 1);
    EXPECT_EQ(windowAtDeclaration, nullptr);
    EXPECT_NE(window, nullptr);
    EndModeInProcess(window);
}

TEST(DpiAwareness, IsNotDeclaredForTheDialogsThePreviewOrAnInvalidCommand)
{
    HWND parent = MakeTestWindow(false);
    std::string preview = "/p " + HandleText(parent);
    for (const char* arguments : {"", "/c", preview.c_str(), "/p 0", "/a", "/x"}) {
        EndModeInProcess(RunModeInProcess(arguments));
        EXPECT_EQ(dpiDeclarations, 0) << arguments;
    }
    DestroyWindow(parent);
}

// Frames drawn while this thread handles the run's messages for a while.
static double ClockAfterPumping(DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(5))
        PumpMessages();
    return sceneState.clock;
}

// In a remote session the console may be off while the session's display is on.
TEST(DisplayState, IsOffWhenANoticeSaysSoAndNoneSaysOn)
{
    DisplayState states[kDisplaySources] = {DisplayUnknown, DisplayUnknown};
    EXPECT_FALSE(DisplayIsOff(states));
    states[ConsoleDisplay] = DisplayOff;
    EXPECT_TRUE(DisplayIsOff(states));
    states[SessionDisplay] = DisplayOn;
    EXPECT_FALSE(DisplayIsOff(states));
}

// The system moves the cursor off a monitor that went away, and the move may come
// before the notice of the change: the run follows the change instead of ending.
TEST(DisplayChange, ACursorMovedWithTheMonitorsDoesNotEndTheRun)
{
    HWND window = RunModeInProcess("/s");
    hostState.laidOutDesk = {};
    hostState.anchorPoint = {-5000, 100};
    SendMessageA(window, WM_MOUSEMOVE, 0, 0);
    MSG close;
    EXPECT_FALSE(PeekMessageA(&close, window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_TRUE(SameDesk(hostState.laidOutDesk, ReadDesk()));
    EndModeInProcess(window);
}

TEST(DisplayState, NoFrameIsDrawnWhileTheDisplayIsOffAndTheAnimationGoesOnAfter)
{
    HWND window = RunModeInProcess("/s");
    double before = sceneState.clock;
    ASSERT_LT(ClockAfterPumping(300), before);
    ASSERT_TRUE(SendDisplayState(window, false));
    double off = ClockAfterPumping(100);
    EXPECT_EQ(ClockAfterPumping(1000), off);
    ASSERT_TRUE(SendDisplayState(window, true));
    EXPECT_LT(ClockAfterPumping(300), off);
    EndModeInProcess(window);
}

// The full-screen run takes the settings of the scene window made before it, and
// like it starts from a fresh scene record with the test seed.
TEST(FullScreenPicture, OnOneMonitorItIsThePictureOfAWindowOfThePrimaryScreen)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND before = CreateSceneWindow({"KH-Logo", 20}, width, height);
    std::vector<unsigned char> expected = DrawAndRead(before, width, height);
    DestroySceneWindow(before);
    DWORD(WINAPI * testSeed)() = sceneState.seedSource;
    sceneState = SceneState{};
    sceneState.seedSource = testSeed;
    HWND window = RunModeInProcess("/s");
    EXPECT_TRUE(DrawAndRead(window, width, height) == expected);
    EndModeInProcess(window);
    RemoveControlIni();
}
