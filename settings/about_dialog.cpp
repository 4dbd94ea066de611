// The about dialog: product line, pictures, postal address, rights notice, and the
// two links that hand the club's web address and the author's mail address to the
// shell. Every other text and picture shows the terms of use when clicked.
#include "settings/settings.h"

#include <commctrl.h>
#include <shellapi.h>

#include "host/host.h"
#include "resources/resource_ids.h"

AboutDialogState aboutDialogState;

// The dialog shows the web address without its scheme; the browser gets it whole.
static const char kWebTarget[] = "http://www.kranichhof.example";
// Handed to the mail program in exactly this form, the blank after the scheme included.
static const char kMailTarget[] = "mailto: kh@kh.example?subject=KH Schoner";
static const COLORREF kLinkColour = RGB(0, 0, 255);
static const int kFirstTermsLength = 499;
static const int kSecondTermsLength = 399;
// Where the system gives no notice of the pointer leaving the dialog, the dialog
// looks for the pointer itself this often while a link is hovered.
static const UINT_PTR kLeaveWatchTimer = 1;
static const UINT kLeaveWatchMilliseconds = 100;

// Both links lose their underline while the pointer is over either of them, so the
// font follows the dialog's hover state, not the link being drawn.
static HFONT CurrentLinkFont()
{
    const AboutDialogState& state = aboutDialogState;
    bool atRest = state.pointerAway && (state.webLinkAway || state.mailLinkAway);
    return atRest ? state.underlinedLinkFont : state.plainLinkFont;
}

// Some static controls select their own font after asking for colours, so the
// links are also given the font itself; it shows at their next drawing.
static void HandLinkFont()
{
    WPARAM font = reinterpret_cast<WPARAM>(CurrentLinkFont());
    SendMessageA(aboutDialogState.webLink, WM_SETFONT, font, FALSE);
    SendMessageA(aboutDialogState.mailLink, WM_SETFONT, font, FALSE);
}

static INT_PTR ColourLink(HDC dc, HWND control)
{
    const AboutDialogState& state = aboutDialogState;
    if (control != state.webLink && control != state.mailLink)
        return FALSE;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLinkColour);
    SelectObject(dc, CurrentLinkFont());
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

// USER32 gives the notice from Windows 98 and NT 4 on, COMCTL32 from version 4.70
// (Internet Explorer 3); a first Windows 95 has neither, and a program that
// imported either would not load there at all.
static void FindLeaveNotice()
{
    AboutDialogState& state = aboutDialogState;
    LookUpFunction(GetModuleHandleA("USER32.DLL"), "TrackMouseEvent", state.requestLeaveNotice);
    if (!state.requestLeaveNotice)
        LookUpFunction(GetModuleHandleA("COMCTL32.DLL"), "_TrackMouseEvent",
                       state.requestLeaveNotice);
}

static void StartAboutDialog(HWND dialog)
{
    AboutDialogState& state = aboutDialogState;
    state.pointerAway = true;
    state.webLinkAway = true;
    state.mailLinkAway = true;
    state.webLink = GetDlgItem(dialog, IDC_WEB_LINK);
    state.mailLink = GetDlgItem(dialog, IDC_MAIL_LINK);
    state.plainLinkFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    LOGFONTA font;
    GetObjectA(state.plainLinkFont, sizeof font, &font);
    font.lfUnderline = 1;
    state.underlinedLinkFont = CreateFontIndirectA(&font);
    state.handCursor = LoadCursorA(hostState.instance, MAKEINTRESOURCEA(IDR_LINK_CURSOR));
    state.arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    HandLinkFont();
    FindLeaveNotice();
}

static void EndAboutDialog()
{
    DeleteObject(aboutDialogState.underlinedLinkFont);
    aboutDialogState.underlinedLinkFont = nullptr;
}

// The links report nothing themselves: the dialog finds them under the pointer.
static HWND ChildAtPoint(HWND dialog, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return ChildWindowFromPoint(dialog, point);
}

// A cursor position that cannot be read is over no link.
static HWND ChildUnderCursor(HWND dialog)
{
    POINT point = {};
    if (!GetCursorPos(&point))
        return nullptr;
    ScreenToClient(dialog, &point);
    return ChildWindowFromPoint(dialog, point);
}

// Polled without any message from the system, the cursor may stand over another
// window that covers the dialog: then it is over no link either.
static HWND ChildUnderUncoveredCursor(HWND dialog)
{
    POINT point = {};
    if (!GetCursorPos(&point))
        return nullptr;
    HWND topmost = WindowFromPoint(point);
    if (topmost != dialog && !IsChild(dialog, topmost))
        return nullptr;
    return ChildUnderCursor(dialog);
}

// True when the link's hover state changed.
static bool TrackLink(HWND link, HWND underPointer, bool& linkAway)
{
    if (linkAway != (underPointer == link))
        return false;
    aboutDialogState.pointerAway = !aboutDialogState.pointerAway;
    linkAway = !linkAway;
    return true;
}

// Once the pointer is over a link the dialog must hear of its leaving: a move
// straight onto another control or out of the window brings the dialog no move
// of its own.
static void WatchForLeaving(HWND dialog)
{
    if (!aboutDialogState.requestLeaveNotice) {
        SetTimer(dialog, kLeaveWatchTimer, kLeaveWatchMilliseconds, nullptr);
        return;
    }
    TRACKMOUSEEVENT request = {};
    request.cbSize = sizeof request;
    request.dwFlags = TME_LEAVE;
    request.hwndTrack = dialog;
    aboutDialogState.requestLeaveNotice(&request);
}

// Both links are redrawn at every change: their font follows the hover state of
// either of them.
static void FollowPointer(HWND dialog, HWND underPointer)
{
    AboutDialogState& state = aboutDialogState;
    bool webChanged = TrackLink(state.webLink, underPointer, state.webLinkAway);
    bool mailChanged = TrackLink(state.mailLink, underPointer, state.mailLinkAway);
    if (!webChanged && !mailChanged)
        return;
    HandLinkFont();
    InvalidateRect(state.webLink, nullptr, FALSE);
    InvalidateRect(state.mailLink, nullptr, FALSE);
    if (!state.webLinkAway || !state.mailLinkAway)
        WatchForLeaving(dialog);
    else if (!state.requestLeaveNotice)
        KillTimer(dialog, kLeaveWatchTimer);
}

static void FollowPointerMove(HWND dialog, LPARAM lParam)
{
    FollowPointer(dialog, ChildAtPoint(dialog, lParam));
    const AboutDialogState& state = aboutDialogState;
    SetCursor(state.pointerAway ? state.arrowCursor : state.handCursor);
}

// The system asks for the cursor before every pointer move; left to the default
// it would show the arrow over a link until the move itself arrived.
static bool ShowLinkCursor(HWND dialog, HWND cursorWindow, WORD hitTest)
{
    bool inClientArea = cursorWindow == dialog && hitTest == HTCLIENT;
    FollowPointer(dialog, inClientArea ? ChildUnderCursor(dialog) : nullptr);
    if (aboutDialogState.pointerAway)
        return false;
    SetCursor(aboutDialogState.handCursor);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return true;
}

static void OpenLinkAt(HWND dialog, LPARAM lParam)
{
    HWND underPointer = ChildAtPoint(dialog, lParam);
    const char* target = nullptr;
    if (underPointer == aboutDialogState.webLink)
        target = kWebTarget;
    else if (underPointer == aboutDialogState.mailLink)
        target = kMailTarget;
    // Without a browser or mail program nothing happens, and nothing needs to.
    if (target)
        ShellExecuteA(dialog, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

static void ShowTermsOfUse(HWND dialog)
{
    char first[kFirstTermsLength + 1] = "";
    char second[kSecondTermsLength + 1] = "";
    LoadStringA(hostState.instance, IDS_TERMS_FIRST, first, sizeof first);
    LoadStringA(hostState.instance, IDS_TERMS_SECOND, second, sizeof second);
    char* terms = aboutDialogState.termsText;
    lstrcpynA(terms, first, sizeof aboutDialogState.termsText);
    lstrcatA(terms, second);
    MessageBoxA(dialog, terms, "Nutzungsbedingungen", MB_OK | MB_ICONINFORMATION);
}

static void OpenConfiguration(HWND dialog)
{
    InitCommonControls();
    DialogBoxParamA(hostState.instance, MAKEINTRESOURCEA(IDD_CONFIG), dialog, ConfigDialogProc,
                    0);
}

static void RunAboutCommand(HWND dialog, WORD control)
{
    switch (control) {
    case IDOK:  // posted by the configuration dialog as it closes
    case IDCANCEL:
    case IDC_CLOSE:
        EndDialog(dialog, 1);
        break;
    case IDC_CONFIGURE:
        OpenConfiguration(dialog);
        break;
    case IDC_BANNER:
    case IDC_BEAR_PICTURE:
    case IDC_LOGO_PICTURE:
    case IDC_ADDRESS:
    case IDC_RIGHTS:
    case IDC_PRODUCT:
        ShowTermsOfUse(dialog);
        break;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        StartAboutDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        RunAboutCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColourLink(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        FollowPointerMove(dialog, lParam);
        return TRUE;
    case WM_MOUSELEAVE:
        FollowPointer(dialog, nullptr);
        return TRUE;
    case WM_TIMER:
        FollowPointer(dialog, ChildUnderUncoveredCursor(dialog));
        return TRUE;
    case WM_SETCURSOR:
        return ShowLinkCursor(dialog, reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    case WM_LBUTTONDOWN:
        OpenLinkAt(dialog, lParam);
        return TRUE;
    case WM_DESTROY:
        EndAboutDialog();
        return FALSE;
    }
    return FALSE;
}
