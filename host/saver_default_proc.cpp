// The host's default procedure: what the scene passes on ends here. User input
// becomes a close request, and on Windows 95/98/ME every close request passes the
// password gate first.
#include "host/host.h"

static const DWORD mouseThreshold = 4;  // the largest travel that does not close

static DWORD Distance(LONG from, LONG to)
{
    // Unsigned throughout, so that no pair of screen positions can overflow.
    return to >= from ? static_cast<DWORD>(to) - static_cast<DWORD>(from)
                      : static_cast<DWORD>(from) - static_cast<DWORD>(to);
}

bool MouseTravelEndsRun(POINT anchor, POINT position)
{
    return Distance(anchor.x, position.x) + Distance(anchor.y, position.y) > mouseThreshold;
}

static void RequestClose(HWND window)
{
    // The request comes back through the whole chain as a message of its own.
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void AnchorAtCursor()
{
    POINT position = {};
    if (!GetCursorPos(&position))
        return;
    hostState.anchorPoint = position;
    hostState.anchorKnown = true;
}

// A run whose start could not read the cursor takes its anchor from the first
// position it can read, so that neither a stale point nor (0, 0) ends it at once.
bool CursorReadingEndsRun(bool read, POINT position)
{
    if (!read)
        return false;
    bool measured = hostState.anchorKnown;
    if (measured && !MouseTravelEndsRun(hostState.anchorPoint, position))
        return false;
    hostState.anchorPoint = position;
    hostState.anchorKnown = true;
    return measured;
}

// A display change can move the cursor: the system moves it off a monitor that
// went away, before or after it tells the run of the change. That move is not the
// user's: the run follows the change, and the travel starts where the cursor is.
static bool DeskChangedSinceLayout()
{
    return !SameDesk(ReadDesk(), hostState.laidOutDesk);
}

// The coordinates carried by the message are not used: small moves in one
// direction add up from the unchanged anchor until they pass the threshold.
static void ApplyMouseTravel(HWND window)
{
    if (DeskChangedSinceLayout()) {
        FollowDisplayChange();
        AnchorAtCursor();
        return;
    }
    POINT position = {};
    bool read = GetCursorPos(&position) != FALSE;
    if (CursorReadingEndsRun(read, position))
        RequestClose(window);
}

static LRESULT CloseThroughGate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isWin9x && !ConfirmClose(window)) {
        AnchorAtCursor();
        return 0;
    }
    return DefWindowProcA(window, WM_CLOSE, wParam, lParam);
}

static LRESULT AnswerPasswordRequest(HWND window)
{
    return hostState.verifyPassword ? hostState.verifyPassword(window) : 1;
}

LRESULT CALLBACK SaverDefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isPreview || hostState.closeAccepted)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_CLOSE)
        return CloseThroughGate(window, wParam, lParam);
    if (message == WM_APP && hostState.isWin9x)
        return AnswerPasswordRequest(window);
    if (hostState.promptActive)
        return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            SetCursor(nullptr);
        break;
    case WM_ACTIVATEAPP:
        // Shown in front, the run never needs to take the foreground itself,
        // which could take back a switch the user has made since.
        if (!wParam)
            RequestClose(window);
        else if (GetForegroundWindow() == window)
            hostState.becameForeground = true;
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        RequestClose(window);
        break;
    case WM_MOUSEMOVE:
        ApplyMouseTravel(window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
