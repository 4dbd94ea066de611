// The seven user settings, their profile-file store, and the two dialogs that
// show and change them.
#pragma once
#include <windows.h>

// The kind of scene, chosen once from the Art setting.
enum SceneKind : int { Logo = 1, Bear = 2, Satellite = 3, Sentence = 4 };

struct SaverSettings {
    char fileName[30];     // from string entry 1001, resolved in the Windows directory
    char sectionName[30];  // from string entry 1010
    char Art[32];
    int Speed;
    int Number;
    char Text[32];
    char Font[32];         // a face name of up to 31 characters, as the font chooser gives it
    int Weight;            // a bold flag, not a font weight
    int Italic;
    int AllMonitors;       // 1: a scene on every monitor; 0: on the primary one, the others black
};

extern SaverSettings saverSettings;

// The about dialog's state for its one opening: the two links, which of them the
// pointer is over, and the fonts and cursors they are shown with.
struct AboutDialogState {
    HWND webLink;
    HWND mailLink;
    bool webLinkAway;
    bool mailLinkAway;
    bool pointerAway;            // toggled at every change of either link's hover state
    HFONT plainLinkFont;         // while a link is hovered
    HFONT underlinedLinkFont;    // at rest
    HCURSOR handCursor;
    HCURSOR arrowCursor;
    // The system's notice of the pointer leaving the dialog; null where the
    // system has none, and a timer stands in.
    BOOL (WINAPI *requestLeaveNotice)(LPTRACKMOUSEEVENT);
    char termsText[499 + 399 + 1];
};

extern AboutDialogState aboutDialogState;

// Fills saverSettings; writes the seven defaults first when the section is missing
// or empty. False only when writing a default failed (the message has been shown).
bool LoadSaverSettings();

// The conversion the loader applies to Speed, Number, Weight and Italic: leading
// white space, an optional sign, decimal digits up to the first other character.
int ConvertSettingNumber(const char* text);

// Chooses the kind from the Art setting, compared byte for byte.
SceneKind SceneKindFromArt(const char* art);

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ChooseTextFont(HWND dialog);
