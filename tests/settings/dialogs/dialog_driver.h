// Drives the dialogs of a running KH_Schoner.scr from outside its process: finds
// its windows, moves the pointer, clicks and types through the system's input
// queue, and reads back what the windows hold and show.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr char kAboutTitle[] = "Kranichhof-Schoner Info";
inline constexpr char kConfigTitle[] = "Kranichhof-Schoner konfigurieren";
inline constexpr char kChooserTitle[] = "Schriftart w\xe4hlen";
inline constexpr char kTermsTitle[] = "Nutzungsbedingungen";
// A raster face installed for the run, which the font chooser must not offer.
inline constexpr char kRasterFace[] = "KH Raster";
std::string RasterFontPath();

// Polls the condition until it holds; false when timeoutMs pass first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// The visible top-level dialogs of the process with exactly this title, the
// first of them, or null.
std::vector<HWND> FindDialogs(DWORD processId, const char* title);
HWND FindDialog(DWORD processId, const char* title);
HWND WaitForDialog(DWORD processId, const char* title, DWORD timeoutMs = 10000);

std::string WindowText(HWND window);
std::string ClassOf(HWND window);
// The child with this exact text (for controls without an identifier of their own).
HWND ChildWithText(HWND dialog, const char* text);
RECT ScreenRect(HWND window);
POINT CentreOf(HWND window);
// Where template position (x, y) in dialog units of the dialog lies on the screen.
POINT DialogUnitPoint(HWND dialog, int x, int y);
// A control's rectangle in the dialog's client area, in pixels, and where a
// template rectangle in dialog units lands, using the dialog font's base units.
RECT ClientRectInDialog(HWND control);
RECT DialogUnitsToPixels(int x, int y, int width, int height);

// How much of its template rectangle a control keeps: pictures take the size of
// their bitmap, and the number arrows move to the edge of their field.
enum Placement { KeepsRectangle, KeepsPlace, PlacesItself };

// One control of a template: its identifier (0xFFFF for none), class, text (null
// when it changes or is a picture), rectangle in dialog units, and the styles
// besides WS_CHILD | WS_VISIBLE that it must have.
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    RECT units;  // x, y, width, height
    DWORD styles;
    Placement placement = KeepsRectangle;
};

// Checks each control in turn and that the dialog's children come in this order,
// which is the order of the tab stops.
template <size_t count>
void ExpectControls(HWND dialog, const ExpectedControl (&expected)[count])
{
    ExpectControls(dialog, expected, count);
}
void ExpectControls(HWND dialog, const ExpectedControl* expected, size_t count);

void MovePointerTo(POINT screen);
void ClickAt(POINT screen);
void Click(HWND control);
void PressKey(WORD virtualKey);
void PressKeyWith(WORD modifier, WORD virtualKey);
void TypeText(const std::string& cp1252Text);
// Makes the window the one that gets keys, as a user's click on it would.
bool BringToFront(HWND window);

HCURSOR CurrentCursor();
HWND FocusOf(HWND window);

// Writes the window as <name>.bmp into the folder named by KH_SCREENSHOT_DIR, if set.
void SaveScreenshot(HWND window, const char* name);

// What the logging stand-in for browser and mail program was asked to open, one
// entry per start, since the last ClearShellLog.
std::vector<std::string> ShellLog();
void ClearShellLog();

// One configuration run: KH_Schoner.scr /c and its about dialog.
struct ConfigurationRun {
    PROCESS_INFORMATION process = {};
    HWND about = nullptr;

    bool Start();
    // Clicks "&Konfigurieren ..." and waits for the configuration dialog.
    HWND OpenConfiguration();
    DWORD WaitForEnd(DWORD timeoutMs = 10000);
    ~ConfigurationRun();
};
