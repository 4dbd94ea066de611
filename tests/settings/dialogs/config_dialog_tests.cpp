// The configuration dialog and the font chooser of a running KH_Schoner.scr /c,
// opened from the about dialog, against the real control.ini.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <map>

#include "resources/resource_ids.h"
#include "tests/settings/dialogs/dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

const char kSection[] = "[Screen Saver.KH_Schoner]\r\n";
const char* const kKeys[] = {"Art",  "Speed",  "Number", "Text",
                             "Font", "Weight", "Italic", "AllMonitors"};
const char kWriteError[] = "Fehler beim Schreiben der Registry-Eintr\xe4ge";

const ExpectedControl kConfigControls[] = {
    {IDOK, "Button", "OK", {67, 205, 50, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDCANCEL, "Button", "Abbrechen", {124, 205, 50, 14}, WS_TABSTOP},
    {IDC_SPEED_GROUP, "Button", "&Geschwindigkeit", {26, 121, 126, 64}, BS_GROUPBOX | WS_GROUP},
    {0xFFFF, "Static", "langsam", {33, 141, 30, 12}, 0},
    {0xFFFF, "Static", "schnell", {119, 140, 26, 13}, SS_RIGHT},
    {0xFFFF, "Static", nullptr, {69, 136, 42, 20}, SS_BITMAP | SS_SUNKEN, KeepsPlace},
    {IDC_SPEED, "msctls_trackbar32", nullptr, {39, 161, 100, 21},
     TBS_AUTOTICKS | WS_TABSTOP | WS_GROUP},
    {IDC_ALL_MONITORS, "Button", "Szene auf allen Bildschirmen", {26, 189, 126, 10},
     BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP},
    {0xFFFF, "Button", "An&zahl", {96, 26, 55, 39}, BS_GROUPBOX | WS_GROUP},
    {IDC_NUMBER, "Edit", nullptr, {109, 40, 30, 12}, ES_NUMBER | ES_CENTER | WS_TABSTOP, KeepsPlace},
    {IDC_NUMBER_ARROWS, "msctls_updown32", nullptr, {138, 39, 10, 14},
     UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS | UDS_WRAP,
     PlacesItself},
    {IDC_KIND_GROUP, "Button", "Art", {26, 26, 60, 75}, BS_GROUPBOX | WS_GROUP},
    {IDC_KIND_LOGO, "Button", "KH &Logo", {30, 36, 39, 12}, BS_AUTORADIOBUTTON | WS_TABSTOP},
    {IDC_KIND_BEAR, "Button", "&B\xe4rchen", {30, 54, 43, 10}, BS_AUTORADIOBUTTON | WS_TABSTOP},
    {IDC_KIND_SATELLITE, "Button", "KH S&atellit", {30, 70, 48, 10},
     BS_AUTORADIOBUTTON | WS_TABSTOP},
    {IDC_KIND_SENTENCE, "Button", "Der &KH ist ...", {30, 87, 52, 10},
     BS_AUTORADIOBUTTON | WS_TABSTOP},
    {IDC_WORD, "Edit", nullptr, {96, 85, 55, 14}, ES_AUTOHSCROLL | WS_TABSTOP},
    {IDC_CHOOSE_FONT, "Button", "&Schriftart w\xe4hlen ...", {66, 104, 85, 14}, WS_TABSTOP},
    {0xFFFF, "Static", nullptr, {7, 8, 167, 12}, SS_BITMAP, KeepsPlace},
};

// The value of a key in the section as the file holds it, or "<missing>".
std::string StoredValue(const std::string& file, const std::string& key)
{
    size_t at = file.find("\n" + key + "=");
    if (at == std::string::npos)
        return "<missing>";
    at += key.size() + 2;
    return file.substr(at, file.find_first_of("\r\n", at) - at);
}

// Asked in wide characters: the lists belong to another process, and the
// narrow forms of these messages do not survive the trip there.
std::string ComboText(HWND combo, int index)
{
    wchar_t wide[256] = L"";
    if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < 256)
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
    char text[256] = "";
    WideCharToMultiByte(1252, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

int FindInCombo(HWND combo, const std::string& text)
{
    wchar_t wide[256] = L"";
    MultiByteToWideChar(1252, 0, text.c_str(), -1, wide, 256);
    return static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wide)));
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        items.push_back(ComboText(combo, i));
    return items;
}

// The chooser keeps each style's weight in the low half of its item data and
// its slant in the high half.
struct FontStyle {
    int weight;
    bool italic;
};

FontStyle StyleOf(HWND styles, int index)
{
    DWORD data = static_cast<DWORD>(SendMessageA(styles, CB_GETITEMDATA, index, 0));
    return {LOWORD(data), HIWORD(data) != 0};
}

int CALLBACK CollectFontType(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM types)
{
    (*reinterpret_cast<std::map<std::string, DWORD>*>(types))[font->lfFaceName] |= type;
    return 1;
}

std::map<std::string, DWORD> FontTypesByFace()
{
    std::map<std::string, DWORD> types;
    LOGFONTA all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &all, CollectFontType, reinterpret_cast<LPARAM>(&types), 0);
    ReleaseDC(nullptr, screen);
    return types;
}

INT_PTR CALLBACK AnswerOnlyTheStart(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// What the platform's dialog loop returns for the about dialog's template when a
// quit message ends the loop.
INT_PTR AboutDialogCutShortByQuit()
{
    PostQuitMessage(4);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                                     nullptr, AnswerOnlyTheStart, 0);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return result;
}

class ConfigurationDialog : public ::testing::Test {
protected:
    void SetUp() override { RemoveControlIni(); }
    void TearDown() override { RemoveControlIni(); }

    static void Store(const std::string& lines) { WriteWholeFile(ControlIniPath(), kSection + lines); }

    // Stores the sentence scene in an outline face that this machine has in all
    // four styles, and returns the face; empty when there is none.
    static std::string StoreSentenceFont(const char* weightAndItalic)
    {
        std::map<std::string, DWORD> types = FontTypesByFace();
        for (const char* face : {"Liberation Sans", "DejaVu Sans", "Liberation Serif"})
            if (types[face] & TRUETYPE_FONTTYPE) {
                Store(std::string("Art=Text\r\nSpeed=15\r\nNumber=5\r\nText=spitze\r\nFont=") +
                      face + "\r\n" + weightAndItalic);
                return face;
            }
        return "";
    }
    static std::string Stored() { return ReadWholeFile(ControlIniPath()); }

    // Starts the run and opens the configuration dialog from the about dialog.
    void Open()
    {
        ASSERT_TRUE(run.Start());
        config = run.OpenConfiguration();
        ASSERT_NE(config, nullptr);
    }

    HWND Control(int id) const { return GetDlgItem(config, id); }
    bool Checked(int id) const
    {
        return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::string Number() const { return WindowText(Control(IDC_NUMBER)); }

    // Empties a field through the keyboard, as a user would.
    void ClearField(int id)
    {
        Click(Control(id));
        PressKey(VK_END);
        PressKeyWith(VK_SHIFT, VK_HOME);
        PressKey(VK_DELETE);
    }

    void ExpectKindStates(bool numberEnabled, bool sentenceEnabled)
    {
        EXPECT_EQ(IsWindowEnabled(Control(IDC_NUMBER)) != 0, numberEnabled);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_WORD)) != 0, sentenceEnabled);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_CHOOSE_FONT)) != 0, sentenceEnabled);
        EXPECT_TRUE(IsWindowEnabled(Control(IDC_NUMBER_ARROWS)));
    }

    // Clicks "OK" or "Abbrechen" and checks that both dialogs close and the run ends with 1.
    void CloseWith(int button)
    {
        Click(Control(button));
        EXPECT_EQ(run.WaitForEnd(), 1u);
    }

    HWND OpenChooser()
    {
        Click(Control(IDC_CHOOSE_FONT));
        HWND chooser = WaitForDialog(run.process.dwProcessId, kChooserTitle);
        if (chooser)
            BringToFront(chooser);
        return chooser;
    }

    // Picks the face and the first of its styles that the test accepts, through
    // the lists' own selection notices; false when the face offers no such style.
    static bool PickFont(HWND chooser, const std::string& face,
                         const std::function<bool(FontStyle)>& wanted)
    {
        HWND faces = GetDlgItem(chooser, cmb1);
        HWND styles = GetDlgItem(chooser, cmb2);
        int at = FindInCombo(faces, face);
        if (at == CB_ERR)
            return false;
        SendMessageA(faces, CB_SETCURSEL, at, 0);
        SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(faces));
        int count = static_cast<int>(SendMessageA(styles, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (!wanted(StyleOf(styles, i)))
                continue;
            SendMessageA(styles, CB_SETCURSEL, i, 0);
            SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(styles));
            return true;
        }
        return false;
    }

    // The first offered face, preferring the given ones, that has the wanted style.
    static std::string PickAnyFont(HWND chooser, const std::function<bool(FontStyle)>& wanted,
                                   const std::string& otherThan = "")
    {
        std::vector<std::string> faces = {"DejaVu Serif", "Liberation Serif", "DejaVu Sans"};
        for (const std::string& face : ComboItems(GetDlgItem(chooser, cmb1)))
            faces.push_back(face);
        for (const std::string& face : faces)
            if (face != otherThan && PickFont(chooser, face, wanted))
                return face;
        return "";
    }

    ConfigurationRun run;
    HWND config = nullptr;
};

bool BoldItalic(FontStyle style) { return style.weight > 400 && style.italic; }
bool Regular(FontStyle style) { return style.weight <= 400 && !style.italic; }

TEST_F(ConfigurationDialog, BearChoiceSpeed99AndATooLargeNumberAreShownAndSavedInOrder)
{
    Store("Art=B\xe4rchen\r\nSpeed=99\r\n");
    Open();
    EXPECT_EQ(WindowText(config), kConfigTitle);
    EXPECT_EQ(GetWindow(config, GW_OWNER), run.about);
    ExpectControls(config, kConfigControls);
    // An edit field may draw its border as a sunken client edge instead.
    for (int field : {IDC_NUMBER, IDC_WORD}) {
        bool border = (GetWindowLongA(Control(field), GWL_STYLE) & WS_BORDER) ||
                      (GetWindowLongA(Control(field), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_TRUE(border) << field;
    }

    EXPECT_TRUE(Checked(IDC_KIND_BEAR));
    EXPECT_FALSE(Checked(IDC_KIND_LOGO));
    EXPECT_FALSE(Checked(IDC_KIND_SATELLITE));
    EXPECT_FALSE(Checked(IDC_KIND_SENTENCE));
    ExpectKindStates(true, false);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(config) == Control(IDOK); }));
    EXPECT_EQ(SendMessageA(Control(IDC_SPEED), TBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(Number(), "5");
    EXPECT_EQ(WindowText(Control(IDC_WORD)), "spitze");
    EXPECT_TRUE(Checked(IDC_ALL_MONITORS)) << "every monitor, where the key is missing";

    ClearField(IDC_NUMBER);
    TypeText("25");
    EXPECT_EQ(Number(), "25");
    PressKey(VK_RETURN);
    EXPECT_EQ(run.WaitForEnd(), 1u);

    std::string file = Stored();
    EXPECT_EQ(StoredValue(file, "Art"), "B\xe4rchen");
    EXPECT_EQ(StoredValue(file, "Speed"), "30");
    EXPECT_EQ(StoredValue(file, "Number"), "5");
    EXPECT_EQ(StoredValue(file, "Text"), "spitze");
    EXPECT_EQ(StoredValue(file, "Font"), "Arial");
    EXPECT_EQ(StoredValue(file, "Weight"), "0");
    EXPECT_EQ(StoredValue(file, "Italic"), "0");
    EXPECT_EQ(StoredValue(file, "AllMonitors"), "1");
    // Art and Speed were in the file already; the others follow in the order written.
    size_t previous = 0;
    for (const char* key : kKeys) {
        size_t at = file.find(std::string("\n") + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key << " out of order in\n" << file;
        previous = at;
    }
}

TEST_F(ConfigurationDialog, SentenceChoiceSelectsTheWordAndLogoStillSavesWordAndNumber)
{
    Store("Art=Text\r\nSpeed=3\r\nNumber=7\r\nText=spitze\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n"
          "AllMonitors=0\r\n");
    Open();
    EXPECT_FALSE(Checked(IDC_ALL_MONITORS));
    HWND word = Control(IDC_WORD);
    EXPECT_TRUE(Checked(IDC_KIND_SENTENCE));
    EXPECT_FALSE(Checked(IDC_KIND_LOGO));
    ExpectKindStates(false, true);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(config) == word; }));
    DWORD start = 99, end = 99;
    SendMessageA(word, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 6u);

    TypeText("abcdefghijklmnopqrst");
    EXPECT_EQ(WindowText(word), "abcdefghijklmnopqr");
    const std::string percentWord = "100%ig %s%d%%";
    ClearField(IDC_WORD);
    TypeText(percentWord);
    EXPECT_EQ(WindowText(word), percentWord);

    Click(Control(IDC_KIND_LOGO));
    EXPECT_TRUE(Checked(IDC_KIND_LOGO));
    EXPECT_FALSE(Checked(IDC_KIND_SENTENCE));
    ExpectKindStates(true, false);
    ClearField(IDC_NUMBER);
    TypeText("0");
    EXPECT_EQ(Number(), "0");
    CloseWith(IDOK);

    std::string file = Stored();
    EXPECT_EQ(StoredValue(file, "Art"), "KH-Logo");
    EXPECT_EQ(StoredValue(file, "Text"), percentWord);
    EXPECT_EQ(StoredValue(file, "Number"), "5");
    EXPECT_EQ(StoredValue(file, "Speed"), "3");
    EXPECT_EQ(StoredValue(file, "AllMonitors"), "0");
}

TEST_F(ConfigurationDialog, UnknownKindChoosesTheSentenceArrowsWrapAndAnEmptyNumberSavesFive)
{
    Store("Art=kh-logo\r\nNumber=20\r\nAllMonitors=nein\r\n");
    Open();
    EXPECT_TRUE(Checked(IDC_KIND_SENTENCE));
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(config) == Control(IDC_WORD); }));
    EXPECT_TRUE(Checked(IDC_ALL_MONITORS)) << "any text but 0 asks for every monitor";
    Click(Control(IDC_ALL_MONITORS));
    EXPECT_EQ(Number(), "20");

    Click(Control(IDC_KIND_BEAR));
    ExpectKindStates(true, false);
    RECT arrows = ScreenRect(Control(IDC_NUMBER_ARROWS));
    POINT up = {(arrows.left + arrows.right) / 2, arrows.top + 3};
    POINT down = {(arrows.left + arrows.right) / 2, arrows.bottom - 3};
    ClickAt(up);
    EXPECT_TRUE(WaitUntil([&] { return Number() == "1"; })) << Number();
    ClickAt(down);
    EXPECT_TRUE(WaitUntil([&] { return Number() == "20"; })) << Number();

    Click(Control(IDC_NUMBER));
    ASSERT_EQ(FocusOf(config), Control(IDC_NUMBER));
    PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return Number() == "1"; })) << Number();
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return Number() == "20"; })) << Number();

    ClearField(IDC_NUMBER);
    EXPECT_EQ(Number(), "");
    CloseWith(IDOK);
    std::string file = Stored();
    EXPECT_EQ(StoredValue(file, "Number"), "5");
    EXPECT_EQ(StoredValue(file, "Art"), "B\xe4rchen");
    EXPECT_EQ(StoredValue(file, "AllMonitors"), "0");
}

TEST_F(ConfigurationDialog, FontChooserHasItsOwnTemplateOutlineFacesOnlyAndOkSavesTheChoice)
{
    std::string storedFace = StoreSentenceFont("Weight=0\r\nItalic=0\r\n");
    ASSERT_FALSE(storedFace.empty()) << "no outline face in all four styles";
    Open();
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(config) == Control(IDC_WORD); }));
    SaveScreenshot(config, "config_dialog");
    HWND chooser = OpenChooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), config);
    EXPECT_EQ(WindowText(GetDlgItem(chooser, stc1)), "&Schriftart:");
    EXPECT_EQ(WindowText(GetDlgItem(chooser, stc2)), "Schriftst&il:");
    EXPECT_EQ(WindowText(GetDlgItem(chooser, grp2)), "Beispiel");
    EXPECT_EQ(WindowText(GetDlgItem(chooser, IDOK)), "OK");
    EXPECT_EQ(WindowText(GetDlgItem(chooser, IDCANCEL)), "Abbrechen");
    ASSERT_NE(GetDlgItem(chooser, stc3), nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(chooser, stc3)), "Gr\xf6\xdf" "e:");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, stc3)));
    ASSERT_NE(GetDlgItem(chooser, cmb3), nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, cmb3)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(chooser, stc5)));
    RECT want = DialogUnitsToPixels(17, 15, 94, 0);
    RECT got = ClientRectInDialog(GetDlgItem(chooser, cmb1));
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);

    std::vector<std::string> faces = ComboItems(GetDlgItem(chooser, cmb1));
    ASSERT_FALSE(faces.empty());
    // Started before the raster face was installed, this process loads it itself.
    ASSERT_GT(AddFontResourceExA(RasterFontPath().c_str(), FR_PRIVATE, nullptr), 0);
    std::map<std::string, DWORD> types = FontTypesByFace();
    EXPECT_EQ(types[kRasterFace], static_cast<DWORD>(RASTER_FONTTYPE));
    for (const std::string& face : faces)
        EXPECT_TRUE(types[face] & TRUETYPE_FONTTYPE) << face << " is no outline face";
    EXPECT_EQ(FindInCombo(GetDlgItem(chooser, cmb1), kRasterFace), CB_ERR);
    SaveScreenshot(chooser, "font_chooser");

    const std::string before = Stored();
    std::string face = PickAnyFont(chooser, BoldItalic, storedFace);
    ASSERT_FALSE(face.empty()) << "no face with a bold italic style";
    Click(GetDlgItem(chooser, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
    // Nothing is written before "OK" in the configuration dialog.
    EXPECT_EQ(Stored(), before);

    BringToFront(config);
    CloseWith(IDOK);
    std::string file = Stored();
    EXPECT_EQ(StoredValue(file, "Font"), face);
    EXPECT_EQ(StoredValue(file, "Weight"), "1");
    EXPECT_EQ(StoredValue(file, "Italic"), "1");
    EXPECT_EQ(StoredValue(file, "Art"), "Text");
}

TEST_F(ConfigurationDialog, FontChooserStartsFromTheLastChoiceAndCancelLeavesTheStoreAlone)
{
    std::string storedFace = StoreSentenceFont("Weight=1\r\nItalic=1\r\n");
    ASSERT_FALSE(storedFace.empty()) << "no outline face in all four styles";
    const std::string before = Stored();
    Open();
    HWND chooser = OpenChooser();
    ASSERT_NE(chooser, nullptr);
    HWND faces = GetDlgItem(chooser, cmb1);
    EXPECT_EQ(ComboText(faces, static_cast<int>(SendMessageA(faces, CB_GETCURSEL, 0, 0))),
              storedFace);
    HWND styles = GetDlgItem(chooser, cmb2);
    int current = static_cast<int>(SendMessageA(styles, CB_GETCURSEL, 0, 0));
    ASSERT_GE(current, 0);
    EXPECT_TRUE(BoldItalic(StyleOf(styles, current)));

    std::string face = PickAnyFont(chooser, Regular, storedFace);
    ASSERT_FALSE(face.empty());
    Click(GetDlgItem(chooser, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));

    BringToFront(config);
    chooser = OpenChooser();
    ASSERT_NE(chooser, nullptr);
    faces = GetDlgItem(chooser, cmb1);
    EXPECT_EQ(ComboText(faces, static_cast<int>(SendMessageA(faces, CB_GETCURSEL, 0, 0))), face);
    styles = GetDlgItem(chooser, cmb2);
    current = static_cast<int>(SendMessageA(styles, CB_GETCURSEL, 0, 0));
    ASSERT_GE(current, 0);
    EXPECT_TRUE(Regular(StyleOf(styles, current)));
    Click(GetDlgItem(chooser, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));

    BringToFront(config);
    Click(Control(IDC_ALL_MONITORS));
    CloseWith(IDCANCEL);
    EXPECT_EQ(Stored(), before);
}

TEST_F(ConfigurationDialog, AStoreThatCannotBeWrittenShowsTheMessageAndEndsTheRun)
{
    ASSERT_TRUE(CreateDirectoryA(ControlIniPath().c_str(), nullptr));
    ASSERT_TRUE(run.Start());
    StartErrorBoxCloser();
    Click(GetDlgItem(run.about, IDC_CONFIGURE));
    DWORD exitCode = run.WaitForEnd();
    std::vector<std::string> messages = StopErrorBoxCloser();
    // Not the 1 of a dialog ended by a button, nor a fault's code, nor a run
    // killed for hanging: only a quit message ends a run with this.
    EXPECT_EQ(exitCode, static_cast<DWORD>(AboutDialogCutShortByQuit()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kWriteError);
}

TEST_F(ConfigurationDialog, AFailedWriteOnOkIsReportedAndTheRunStillEnds)
{
    Store("Art=KH-Logo\r\nSpeed=15\r\nNumber=5\r\nText=spitze\r\nFont=Arial\r\nWeight=0\r\nItalic=0\r\n");
    Open();
    Click(Control(IDC_KIND_SATELLITE));
    // The store turns unwritable while the dialog is open.
    RemoveControlIni();
    ASSERT_TRUE(CreateDirectoryA(ControlIniPath().c_str(), nullptr));
    StartErrorBoxCloser();
    CloseWith(IDOK);
    std::vector<std::string> messages = StopErrorBoxCloser();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kWriteError);
}

TEST_F(ConfigurationDialog, AFailedWriteShowsOneMessageOwnedByTheDialogAndOkCannotSaveAgain)
{
    Store("Art=KH-Logo\r\nSpeed=15\r\nNumber=5\r\n");
    Open();
    RemoveControlIni();
    ASSERT_TRUE(CreateDirectoryA(ControlIniPath().c_str(), nullptr));
    Click(Control(IDOK));
    HWND box = WaitForDialog(run.process.dwProcessId, "Fehler");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), kWriteError);
    EXPECT_EQ(GetWindow(box, GW_OWNER), config);

    Click(Control(IDOK));
    Sleep(1000);
    EXPECT_EQ(FindDialogs(run.process.dwProcessId, "Fehler").size(), 1u);
    BringToFront(box);
    PressKey(VK_RETURN);
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

}  // namespace
