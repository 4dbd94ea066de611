// The dialogs on a display of 192 pixels per inch (200 %). The saver declares no
// awareness of its own: the system scales its dialogs as a whole. Wine treats
// every process as aware and instead enlarges dialog fonts and dialog units by
// the resolution it reads when a process starts, so here every control must
// still show whole, with nothing clipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/settings/dialogs/dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

const DWORD kPlainDpi = 96;
const DWORD kScaledDpi = 192;

// Wine takes the resolution from the current user's desktop settings, before
// the machine's font settings, each time a process starts. The wineserver
// outlives the test, so the value must go back to what it was.
const char kDesktopKey[] = "Control Panel\\Desktop";
const char kResolutionValue[] = "LogPixels";

// Template sizes in dialog units: about, configuration, font chooser.
const SIZE kAboutUnits = {256, 103};
const SIZE kConfigUnits = {182, 226};
const SIZE kChooserUnits = {195, 167};

// A memory device context that measures text in one font: the dialog
// manager's font for the templates, "MS Sans Serif" 8 points, as a process at
// this resolution creates it, or a stock font.
struct Ruler {
    HFONT font;
    bool ownFont;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);

    explicit Ruler(DWORD dpi)
        : font(CreateFontA(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_DONTCARE, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE,
                           "MS Sans Serif")),
          ownFont(true)
    {
    }
    explicit Ruler(int stockFont)
        : font(static_cast<HFONT>(GetStockObject(stockFont))), ownFont(false)
    {
    }
    ~Ruler()
    {
        SelectObject(dc, previous);
        DeleteDC(dc);
        if (ownFont)
            DeleteObject(font);
    }
    TEXTMETRICA Metrics() const
    {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        return metrics;
    }
    // The dialog manager's base units of the font: average width of the
    // alphabet, rounded, and the character height.
    SIZE BaseUnits() const
    {
        SIZE alphabet;
        GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                              &alphabet);
        return {(alphabet.cx / 26 + 1) / 2, Metrics().tmHeight};
    }
    // The size that the text takes when drawn with these flags into this width.
    SIZE Extent(const std::string& text, LONG width, UINT format) const
    {
        RECT need = {0, 0, width, 0};
        DrawTextA(dc, text.c_str(), -1, &need, format | DT_CALCRECT | DT_EXPANDTABS);
        return {need.right - need.left, need.bottom - need.top};
    }
};

SIZE ClientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT ClientOnScreen(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(HWND control)
{
    return "control " + std::to_string(GetDlgCtrlID(control)) + " (" + ClassOf(control) + ") \"" +
           WindowText(control) + "\"";
}

LONG StyleOf(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE);
}

bool IsGroupBox(HWND control)
{
    return ClassOf(control) == "Button" && (StyleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Where a control draws its text, in its client coordinates, and with which
// flags; false for a control without a text of its own (pictures, sliders,
// arrows, lists, fields).
bool TextPlace(HWND control, const Ruler& ruler, DWORD dpi, RECT* area, UINT* format)
{
    const std::string kind = ClassOf(control);
    const LONG style = StyleOf(control);
    GetClientRect(control, area);
    if (kind == "Static") {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
            return false;
        *format = DT_WORDBREAK | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
        return true;
    }
    if (kind != "Button")
        return false;
    *format = DT_SINGLELINE;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // The raised frame and the focus rectangle inside it.
        InflateRect(area, -4, -4);
        return true;
    case BS_AUTORADIOBUTTON:
    case BS_RADIOBUTTON:
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX: {
        // The box, 12 pixels at 96 per inch, and half a digit's width after it.
        INT digit = 0;
        GetCharWidth32A(ruler.dc, '0', '0', &digit);
        area->left += MulDiv(12, static_cast<int>(dpi), 96) + 1 + digit / 2;
        return true;
    }
    case BS_GROUPBOX: {
        // The frame line runs on both sides of the title.
        LONG margin = ruler.Metrics().tmAveCharWidth;
        area->left += margin;
        area->right -= margin;
        return true;
    }
    default:
        return false;
    }
}

void ExpectTextFits(HWND control, const Ruler& ruler, DWORD dpi)
{
    if (ClassOf(control) == "Edit") {
        EXPECT_LE(ruler.Metrics().tmHeight, ClientSize(control).cy) << "a line does not fit";
        return;
    }
    RECT area;
    UINT format;
    if (!TextPlace(control, ruler, dpi, &area, &format))
        return;
    const std::string text = WindowText(control);
    SIZE need = ruler.Extent(text, area.right - area.left, format);
    EXPECT_LE(need.cx, area.right - area.left) << "text too wide";
    EXPECT_LE(need.cy, area.bottom - area.top) << "text too high";
}

// Two controls may share pixels when a group box wholly holds the other, or
// when up-down arrows sit on the edge of their field.
bool MayOverlap(HWND a, HWND b)
{
    RECT ra = ScreenRect(a), rb = ScreenRect(b);
    if ((IsGroupBox(a) && Inside(rb, ra)) || (IsGroupBox(b) && Inside(ra, rb)))
        return true;
    for (auto [arrows, field] : {std::pair{a, b}, std::pair{b, a}})
        if (ClassOf(arrows) == UPDOWN_CLASSA &&
            reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0)) == field)
            return true;
    return false;
}

std::vector<HWND> VisibleControls(HWND dialog)
{
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            controls.push_back(child);
    return controls;
}

// The dialog lies on the screen; each visible control lies inside its client
// area, keeps clear of the others and has room for its text in its font: the
// dialog's, or the stock variable font for the given controls (the about
// dialog's links), which is the same in every process whatever the resolution.
void ExpectEveryControlWhole(HWND dialog, DWORD dpi, const std::vector<int>& stockFontIds = {})
{
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(Inside(ScreenRect(dialog), screen)) << "the dialog reaches off the screen";
    const Ruler dialogRuler(dpi);
    const Ruler stockRuler(ANSI_VAR_FONT);
    const RECT client = ClientOnScreen(dialog);
    const std::vector<HWND> controls = VisibleControls(dialog);
    EXPECT_GT(controls.size(), 5u);
    for (HWND control : controls) {
        SCOPED_TRACE(Describe(control));
        EXPECT_TRUE(Inside(ScreenRect(control), client)) << "outside the client area";
        bool stock = false;
        for (int id : stockFontIds)
            stock = stock || GetDlgCtrlID(control) == id;
        ExpectTextFits(control, stock ? stockRuler : dialogRuler, dpi);
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT a = ScreenRect(controls[i]), b = ScreenRect(controls[j]), both;
            EXPECT_FALSE(IntersectRect(&both, &a, &b) && !MayOverlap(controls[i], controls[j]))
                << Describe(controls[i]) << " overlaps " << Describe(controls[j]);
        }
}

// The dialog's client area is its template size in the base units of the
// template font at this resolution: the font measured above is the dialog's.
void ExpectTemplateSize(HWND dialog, SIZE units, DWORD dpi)
{
    const SIZE base = Ruler(dpi).BaseUnits();
    const SIZE client = ClientSize(dialog);
    EXPECT_EQ(client.cx, MulDiv(units.cx, base.cx, 4));
    EXPECT_EQ(client.cy, MulDiv(units.cy, base.cy, 8));
}

class ScaledDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveControlIni();
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD size = 0;
        hadResolution_ = RegQueryValueExA(key, kResolutionValue, nullptr, &savedType_, nullptr,
                                          &size) == ERROR_SUCCESS;
        savedBytes_.resize(size);
        if (hadResolution_)
            RegQueryValueExA(key, kResolutionValue, nullptr, &savedType_, savedBytes_.data(),
                             &size);
        RegCloseKey(key);
    }

    void TearDown() override
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            if (hadResolution_)
                RegSetValueExA(key, kResolutionValue, 0, savedType_, savedBytes_.data(),
                               static_cast<DWORD>(savedBytes_.size()));
            else
                RegDeleteValueA(key, kResolutionValue);
            RegCloseKey(key);
        }
        RemoveControlIni();
    }

    // Every process started from now on runs at this resolution.
    static void SetResolution(DWORD dpi)
    {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        RegSetValueExA(key, kResolutionValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
        RegCloseKey(key);
    }

    // The dialog active, as a user sees it, and the pointer off the links,
    // which then show at rest.
    static void Shoot(HWND dialog, const char* name)
    {
        BringToFront(dialog);
        MovePointerTo({2, 2});
        SaveScreenshot(dialog, name);
    }

private:
    bool hadResolution_ = false;
    DWORD savedType_ = 0;
    std::vector<BYTE> savedBytes_;
};

TEST_F(ScaledDialogs, AboutDialogGrowsToTwiceItsSizeWithEveryControlWhole)
{
    SIZE plain;
    {
        SetResolution(kPlainDpi);
        ConfigurationRun run;
        ASSERT_TRUE(run.Start());
        plain = ClientSize(run.about);
        Click(GetDlgItem(run.about, IDC_CLOSE));
        ASSERT_EQ(run.WaitForEnd(), 1u);
    }

    SetResolution(kScaledDpi);
    ConfigurationRun run;
    ASSERT_TRUE(run.Start());
    SIZE scaled = ClientSize(run.about);
    EXPECT_NEAR(static_cast<double>(scaled.cx) / plain.cx, 2.0, 0.15);
    EXPECT_NEAR(static_cast<double>(scaled.cy) / plain.cy, 2.0, 0.15);
    ExpectTemplateSize(run.about, kAboutUnits, kScaledDpi);
    ExpectEveryControlWhole(run.about, kScaledDpi, {IDC_WEB_LINK, IDC_MAIL_LINK});
    Shoot(run.about, "about_dialog_200");

    Click(GetDlgItem(run.about, IDC_CLOSE));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

TEST_F(ScaledDialogs, ConfigurationDialogAndFontChooserShowEveryControlWhole)
{
    WriteWholeFile(ControlIniPath(),
                   "[Screen Saver.KH_Schoner]\r\nArt=Text\r\nSpeed=15\r\nNumber=5\r\n"
                   "Text=spitze\r\nFont=Liberation Sans\r\nWeight=0\r\nItalic=0\r\n");
    SetResolution(kScaledDpi);
    ConfigurationRun run;
    ASSERT_TRUE(run.Start());
    HWND config = run.OpenConfiguration();
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(config) == GetDlgItem(config, IDC_WORD); }));
    ExpectTemplateSize(config, kConfigUnits, kScaledDpi);
    ExpectEveryControlWhole(config, kScaledDpi);
    Shoot(config, "config_dialog_200");

    Click(GetDlgItem(config, IDC_CHOOSE_FONT));
    HWND chooser = WaitForDialog(run.process.dwProcessId, kChooserTitle);
    ASSERT_NE(chooser, nullptr);
    BringToFront(chooser);
    ExpectTemplateSize(chooser, kChooserUnits, kScaledDpi);
    ExpectEveryControlWhole(chooser, kScaledDpi);
    Shoot(chooser, "font_chooser_200");

    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
    BringToFront(config);
    Click(GetDlgItem(config, IDCANCEL));
    EXPECT_EQ(run.WaitForEnd(), 1u);
}

}  // namespace
