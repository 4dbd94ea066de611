// The about dialog of a running KH_Schoner.scr /c: its controls, its links with
// their cursor, underline and shell targets, the terms of use, and its four ways out.
#include <gtest/gtest.h>

#include "host/host.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "tests/settings/dialogs/dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

const char kWebTarget[] = "http://www.kranichhof.example";
const char kMailTarget[] = "mailto: kh@kh.example?subject=KH Schoner";
const uint32_t kLinkBlue = 0x0000FF;

const ExpectedControl kAboutControls[] = {
    {IDC_CLOSE, "Button", "&Schlie\xdf" "en", {174, 83, 72, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDC_CONFIGURE, "Button", "&Konfigurieren ...", {10, 83, 69, 14}, WS_TABSTOP},
    {IDC_WEB_LINK, "Static", "www.kranichhof.example", {141, 67, 96, 8}, 0},
    {IDC_ADDRESS, "Static", "Kranichhof e.V., Musterstra\xdf" "e 1, 12345 Musterstadt",
     {137, 34, 111, 29}, SS_SUNKEN | SS_NOTIFY},
    {IDC_BEAR_PICTURE, "Static", nullptr, {102, 57, 27, 32}, SS_BITMAP | SS_SUNKEN | SS_NOTIFY,
     KeepsPlace},
    {IDC_RIGHTS, "Static", "\xa9 2001 Kranichhof e.V. Alle Rechte vorbehalten.", {15, 53, 79, 17},
     SS_CENTER | SS_NOTIFY},
    {IDC_PRODUCT, "Static", "Kranichhof Bildschirmschoner v1.6 f\xfcr Windows 95/98/ME/NT4/2000",
     {7, 34, 121, 17}, SS_NOTIFY},
    {IDC_LOGO_PICTURE, "Static", nullptr, {19, 7, 42, 20}, SS_BITMAP | SS_SUNKEN | SS_NOTIFY,
     KeepsPlace},
    {IDC_BANNER, "Static", nullptr, {69, 11, 167, 12}, SS_BITMAP | SS_NOTIFY, KeepsPlace},
    {IDC_MAIL_LINK, "Static", "kh@kh.example", {33, 71, 66, 8}, 0},
    {0xFFFF, "Static", "e-mail:", {7, 71, 24, 8}, 0},
};

// Pictures take the size of their bitmap: width and height in pixels.
struct PictureSize {
    int id;
    int width;
    int height;
};
const PictureSize kPictureSizes[] = {
    {IDC_LOGO_PICTURE, 61, 30}, {IDC_BEAR_PICTURE, 39, 50}, {IDC_BANNER, 250, 19}};

// A row inside the link where blue runs across most of the text's width.
bool HasUnderline(HWND link)
{
    ScreenPicture picture = CaptureScreen(ScreenRect(link));
    int textWidth = 0;
    for (int x = 0; x < picture.width; ++x)
        for (int y = 0; y < picture.height; ++y)
            if (picture.At(x, y) == kLinkBlue)
                textWidth = x + 1;
    for (int y = 0; y < picture.height; ++y) {
        int blue = 0;
        for (int x = 0; x < textWidth; ++x)
            blue += picture.At(x, y) == kLinkBlue;
        if (textWidth > 20 && blue * 10 >= textWidth * 9)
            return true;
    }
    return false;
}

std::string TermsOfUse()
{
    char first[500] = "", second[400] = "";
    LoadStringA(GetModuleHandleA(nullptr), IDS_TERMS_FIRST, first, sizeof first);
    LoadStringA(GetModuleHandleA(nullptr), IDS_TERMS_SECOND, second, sizeof second);
    return std::string(first) + second;
}

class AboutDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearShellLog();
        ASSERT_TRUE(run.Start());
    }

    HWND Control(int id) const { return GetDlgItem(run.about, id); }
    DWORD ProcessId() const { return run.process.dwProcessId; }
    HWND TermsBox() const { return FindDialog(ProcessId(), kTermsTitle); }

    // A point of the dialog, in dialog units, where there is no control.
    POINT Beside(int x, int y) const { return DialogUnitPoint(run.about, x, y); }

    ConfigurationRun run;
};

TEST_F(AboutDialog, ShowsItsTitleAndEveryControlAndEndsWithOneThroughClose)
{
    EXPECT_EQ(WindowText(run.about), kAboutTitle);
    ExpectControls(run.about, kAboutControls);
    for (const PictureSize& picture : kPictureSizes) {
        SCOPED_TRACE("picture " + std::to_string(picture.id));
        HWND control = Control(picture.id);
        EXPECT_NE(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        RECT rect = ScreenRect(control);
        EXPECT_EQ(rect.right - rect.left, picture.width);
        EXPECT_EQ(rect.bottom - rect.top, picture.height);
    }
    EXPECT_EQ(FocusOf(run.about), Control(IDC_CLOSE));
    MovePointerTo(Beside(133, 80));
    SaveScreenshot(run.about, "about_dialog");

    Click(Control(IDC_CLOSE));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, EnterEndsItWithOne)
{
    PressKey(VK_RETURN);
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, EscapeEndsItWithOne)
{
    PressKey(VK_ESCAPE);
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, TheCloseBoxEndsItWithOne)
{
    RECT frame = ScreenRect(run.about);
    POINT closeBox = {};
    for (int y = frame.top; y < frame.top + 30 && !closeBox.x; ++y)
        for (int x = frame.right - 1; x > frame.right - 40; --x)
            if (SendMessageA(run.about, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                // Aim at the middle of the box, not its edge.
                closeBox = {x - 6, y + 6};
                break;
            }
    ASSERT_NE(closeBox.x, 0);
    ASSERT_EQ(SendMessageA(run.about, WM_NCHITTEST, 0, MAKELPARAM(closeBox.x, closeBox.y)),
              HTCLOSE);
    ClickAt(closeBox);
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, LinksShowTheHandLoseTheirUnderlineAndHandTheirTargetToTheShell)
{
    HWND webLink = Control(IDC_WEB_LINK);
    HWND mailLink = Control(IDC_MAIL_LINK);
    MovePointerTo(CentreOf(Control(IDC_CLOSE)));
    HCURSOR arrow = CurrentCursor();
    ASSERT_NE(arrow, nullptr);
    MovePointerTo(Beside(150, 65));
    EXPECT_EQ(CurrentCursor(), arrow);
    EXPECT_TRUE(WaitUntil([&] { return HasUnderline(webLink); }));

    MovePointerTo(CentreOf(webLink));
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() != arrow; }));
    HCURSOR hand = CurrentCursor();
    EXPECT_NE(hand, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !HasUnderline(webLink); }));

    MovePointerTo(Beside(150, 65));
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() == arrow; }));
    EXPECT_TRUE(WaitUntil([&] { return HasUnderline(webLink); }));

    MovePointerTo(CentreOf(mailLink));
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() == hand; }));

    Click(webLink);
    // Starting the stand-in takes its time on a busy machine.
    ASSERT_TRUE(WaitUntil([] { return ShellLog().size() == 1; }, 20000));
    EXPECT_EQ(ShellLog()[0], kWebTarget);
    Click(mailLink);
    ASSERT_TRUE(WaitUntil([] { return ShellLog().size() == 2; }, 20000));
    EXPECT_EQ(ShellLog()[1], kMailTarget);

    // Just above the web address and just right of the mail address.
    ClickAt(Beside(150, 65));
    ClickAt(Beside(100, 75));
    Sleep(1500);
    EXPECT_EQ(ShellLog().size(), 2u);
    EXPECT_EQ(TermsBox(), nullptr);

    Click(Control(IDC_CLOSE));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, BothLinksFollowTheHoverAndLeavingStraightOntoAControlOrOutOfTheDialog)
{
    HWND webLink = Control(IDC_WEB_LINK);
    HWND mailLink = Control(IDC_MAIL_LINK);
    auto bothUnderlined = [&] { return HasUnderline(webLink) && HasUnderline(mailLink); };
    MovePointerTo(CentreOf(webLink));
    EXPECT_TRUE(WaitUntil([&] { return !HasUnderline(webLink) && !HasUnderline(mailLink); }));
    HCURSOR hand = CurrentCursor();
    // What the system sends ahead of every pointer move over the dialog.
    SendMessageA(run.about, WM_SETCURSOR, reinterpret_cast<WPARAM>(run.about),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(CurrentCursor(), hand);

    MovePointerTo(CentreOf(Control(IDC_CLOSE)));
    EXPECT_TRUE(WaitUntil(bothUnderlined));

    MovePointerTo(CentreOf(mailLink));
    EXPECT_TRUE(WaitUntil([&] { return !HasUnderline(mailLink); }));
    RECT frame = ScreenRect(run.about);
    MovePointerTo({frame.right + 30, frame.bottom + 30});
    EXPECT_TRUE(WaitUntil(bothUnderlined));

    Click(Control(IDC_CLOSE));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(AboutDialog, TextsAndPicturesShowTheTermsOfUseButTheMailLabelDoesNot)
{
    const std::string terms = TermsOfUse();
    ASSERT_GT(terms.size(), 100u);
    for (int id : {IDC_BANNER, IDC_BEAR_PICTURE, IDC_LOGO_PICTURE, IDC_ADDRESS, IDC_RIGHTS,
                   IDC_PRODUCT}) {
        SCOPED_TRACE("control " + std::to_string(id));
        Click(Control(id));
        HWND box = WaitForDialog(ProcessId(), kTermsTitle);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), run.about);
        char text[2048] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_EQ(text, terms);
        BringToFront(box);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return TermsBox() == nullptr; }));
        BringToFront(run.about);
    }

    Click(ChildWithText(run.about, "e-mail:"));
    Sleep(1000);
    EXPECT_EQ(TermsBox(), nullptr);
    EXPECT_TRUE(ShellLog().empty());

    Click(Control(IDC_CLOSE));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

// A first Windows 95 gives no notice of the pointer leaving: the dialog must
// notice it itself when the pointer goes from a link out of the dialog.
TEST(AboutDialogWithoutLeaveNotice, SeesThePointerLeaveALinkOutOfTheDialog)
{
    hostState.instance = GetModuleHandleA(nullptr);
    HWND dialog = CreateDialogParamA(hostState.instance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                     AboutDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    AboutDialogState& state = aboutDialogState;
    state.requestLeaveNotice = nullptr;
    ShowWindow(dialog, SW_SHOW);
    BringToFront(dialog);
    MovePointerTo(CentreOf(state.webLink));
    EXPECT_TRUE(WaitUntil([&] { return !state.webLinkAway; }));
    RECT frame = ScreenRect(dialog);
    MovePointerTo({frame.right + 30, frame.bottom + 30});
    EXPECT_TRUE(WaitUntil([&] { return state.webLinkAway && state.pointerAway; }));
    DestroyWindow(dialog);
}

}  // namespace
