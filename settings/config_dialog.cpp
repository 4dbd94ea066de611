// The configuration dialog: kind of scene, speed, number of objects, and the word
// and font of the sentence scene. "OK" writes all seven settings; either way out
// also closes the about dialog beneath it, which ends the configuration run.
#include "settings/settings.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

#include "host/host.h"
#include "resources/resource_ids.h"

static const int kSlowest = 0;
static const int kFastest = 30;
static const int kSpeedPageSize = 2;
static const int kFewest = 1;
static const int kMost = 20;
static const int kNumberSavedForInvalidField = 5;  // empty, or a number out of range
static const int kLongestWord = 18;
static const int kWordReadLength = 29;
static const int kLoadFailedQuitCode = 4;
// Only the chooser's start size: the scene gives the letters a size of its own.
static const LONG kChooserFontHeight = -30;

// The choice follows the same reading of Art as the scene does.
static int KindChoiceForArt(const char* art)
{
    switch (SceneKindFromArt(art)) {
    case Logo:
        return IDC_KIND_LOGO;
    case Bear:
        return IDC_KIND_BEAR;
    case Satellite:
        return IDC_KIND_SATELLITE;
    default:
        return IDC_KIND_SENTENCE;
    }
}

static bool IsChecked(HWND dialog, int control)
{
    return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static const char* ArtForCheckedKind(HWND dialog)
{
    if (IsChecked(dialog, IDC_KIND_LOGO))
        return "KH-Logo";
    if (IsChecked(dialog, IDC_KIND_BEAR))
        return "B\xe4rchen";
    if (IsChecked(dialog, IDC_KIND_SATELLITE))
        return "KH-Satellit";
    return "Text";
}

// Only the number field itself is switched: its arrows keep working, so the
// number can change while the field is disabled.
static void EnableForKind(HWND dialog, int kind)
{
    bool counted = kind == IDC_KIND_LOGO || kind == IDC_KIND_BEAR;
    bool sentence = kind == IDC_KIND_SENTENCE;
    EnableWindow(GetDlgItem(dialog, IDC_NUMBER), counted);
    EnableWindow(GetDlgItem(dialog, IDC_WORD), sentence);
    EnableWindow(GetDlgItem(dialog, IDC_CHOOSE_FONT), sentence);
}

static void ChooseKind(HWND dialog, int kind)
{
    EnableForKind(dialog, kind);
    if (kind != IDC_KIND_SENTENCE)
        return;
    HWND word = GetDlgItem(dialog, IDC_WORD);
    SetFocus(word);
    SendMessageA(word, EM_SETSEL, 0, -1);
}

static void StartConfigDialog(HWND dialog)
{
    // The pending quit message ends this dialog's loop and the about dialog's as
    // soon as they run; the controls are still filled from the record as it is.
    if (!LoadSaverSettings())
        PostQuitOnce(kLoadFailedQuitCode);

    SendDlgItemMessageA(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(kSlowest, kFastest));
    SendDlgItemMessageA(dialog, IDC_SPEED, TBM_SETPOS, TRUE, saverSettings.Speed);
    SendDlgItemMessageA(dialog, IDC_SPEED, TBM_SETPAGESIZE, 0, kSpeedPageSize);
    SendDlgItemMessageA(dialog, IDC_SPEED, TBM_SETLINESIZE, 0, 1);

    SendDlgItemMessageA(dialog, IDC_NUMBER_ARROWS, UDM_SETRANGE, 0, MAKELPARAM(kMost, kFewest));
    SendDlgItemMessageA(dialog, IDC_NUMBER_ARROWS, UDM_SETPOS, 0,
                        MAKELPARAM(LOWORD(saverSettings.Number), 0));

    SendDlgItemMessageA(dialog, IDC_WORD, EM_LIMITTEXT, kLongestWord, 0);
    SendDlgItemMessageA(dialog, IDC_WORD, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(saverSettings.Text));

    SendDlgItemMessageA(dialog, IDC_ALL_MONITORS, BM_SETCHECK,
                        saverSettings.AllMonitors ? BST_CHECKED : BST_UNCHECKED, 0);

    int kind = KindChoiceForArt(saverSettings.Art);
    SendDlgItemMessageA(dialog, kind, BM_SETCHECK, BST_CHECKED, 0);
    EnableForKind(dialog, kind);
    // The focus can only move into the word field once the dialog is up: the
    // platform puts it on "OK" when this start returns.
    if (kind == IDC_KIND_SENTENCE)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_KIND_SENTENCE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_KIND_SENTENCE)));
}

void ChooseTextFont(HWND dialog)
{
    LOGFONTA font = {};
    font.lfHeight = kChooserFontHeight;
    font.lfWeight = saverSettings.Weight ? FW_BOLD : FW_NORMAL;
    font.lfItalic = saverSettings.Italic ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, saverSettings.Font, LF_FACESIZE);

    CHOOSEFONTA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = dialog;
    chooser.lpLogFont = &font;
    chooser.hInstance = hostState.instance;
    chooser.lpTemplateName = MAKEINTRESOURCEA(IDD_FONT_CHOOSER);
    // Outline faces only, and only the styles a face really has: the scene turns
    // the letters' outlines into solid glyphs.
    chooser.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLETEMPLATE |
                    CF_NOSIMULATIONS | CF_TTONLY;
    if (!ChooseFontA(&chooser))
        return;
    lstrcpynA(saverSettings.Font, font.lfFaceName, sizeof saverSettings.Font);
    saverSettings.Weight = font.lfWeight > FW_NORMAL ? 1 : 0;
    saverSettings.Italic = font.lfItalic ? 1 : 0;
}

static int ReadNumberField(HWND dialog)
{
    // The high half is set when the field holds no valid position, which makes
    // the whole answer larger than any position.
    int number = static_cast<int>(
        static_cast<DWORD>(SendDlgItemMessageA(dialog, IDC_NUMBER_ARROWS, UDM_GETPOS, 0, 0)));
    return number < kFewest || number > kMost ? kNumberSavedForInvalidField : number;
}

static bool WriteSetting(const char* key, const char* value)
{
    return WritePrivateProfileStringA(saverSettings.sectionName, key, value,
                                      saverSettings.fileName) != 0;
}

static bool WriteNumberSetting(const char* key, int value)
{
    char text[12];
    snprintf(text, sizeof text, "%i", value);
    return WriteSetting(key, text);
}

// Every key is written, in this order, whatever became of the one before.
static bool WriteAllSettings(int speed, int number)
{
    bool written = WriteSetting("Art", saverSettings.Art);
    written &= WriteNumberSetting("Speed", speed);
    written &= WriteNumberSetting("Number", number);
    written &= WriteSetting("Text", saverSettings.Text);
    written &= WriteSetting("Font", saverSettings.Font);
    written &= WriteNumberSetting("Weight", saverSettings.Weight);
    written &= WriteNumberSetting("Italic", saverSettings.Italic);
    written &= WriteNumberSetting("AllMonitors", saverSettings.AllMonitors);
    return written;
}

// Closing this dialog closes the about dialog too: it ends on the posted IDOK.
static void CloseConfigDialog(HWND dialog, int button)
{
    EndDialog(dialog, 1);
    PostMessageA(GetParent(dialog), WM_COMMAND, MAKEWPARAM(IDOK, 0), button);
}

static void SaveSettings(HWND dialog)
{
    lstrcpynA(saverSettings.Art, ArtForCheckedKind(dialog), sizeof saverSettings.Art);
    int speed = static_cast<int>(SendDlgItemMessageA(dialog, IDC_SPEED, TBM_GETPOS, 0, 0));
    int number = ReadNumberField(dialog);
    GetDlgItemTextA(dialog, IDC_WORD, saverSettings.Text, kWordReadLength + 1);
    saverSettings.AllMonitors = IsChecked(dialog, IDC_ALL_MONITORS) ? 1 : 0;
    // The user must learn that the choice was not kept. The box disables this
    // dialog while it is up, so a second "OK" cannot start the save again.
    if (!WriteAllSettings(speed, number))
        MessageBoxA(dialog, "Fehler beim Schreiben der Registry-Eintr\xe4ge", "Fehler",
                    MB_OK | MB_ICONERROR);
    CloseConfigDialog(dialog, IDOK);
}

static void RunConfigCommand(HWND dialog, WORD control)
{
    switch (control) {
    case IDOK:
        SaveSettings(dialog);
        break;
    case IDCANCEL:
        CloseConfigDialog(dialog, IDCANCEL);
        break;
    case IDC_KIND_LOGO:
    case IDC_KIND_BEAR:
    case IDC_KIND_SATELLITE:
    case IDC_KIND_SENTENCE:
        ChooseKind(dialog, control);
        break;
    case IDC_CHOOSE_FONT:
        ChooseTextFont(dialog);
        break;
    }
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        StartConfigDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        RunConfigCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
