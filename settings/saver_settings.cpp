// The settings store: seven keys in one section of a profile file.
#include "settings/settings.h"

#include <string.h>

#include "host/host.h"
#include "resources/resource_ids.h"

SaverSettings saverSettings;

// Written in this order when the section is missing or empty.
static const struct { const char* key; const char* value; } kDefaults[] = {
    {"Art", "KH-Logo"}, {"Speed", "15"}, {"Number", "5"}, {"Text", "spitze"},
    {"Font", "Arial"},  {"Weight", "0"}, {"Italic", "0"},
};
static const int kDefaultCount = sizeof kDefaults / sizeof kDefaults[0];

// Read lengths count characters without the terminator. The font chooser gives
// face names of up to 31 characters; the face is read whole so that it survives.
static const int kTextReadLength = 29;
static const int kFontReadLength = 31;
static const int kNumberReadLength = 2;
static const int kLargestNumber = 20;
// Only a hand-edited file holds a number below 0; the dialog never writes one.
static const int kSlowestSpeed = 0;
static const int kObjectsForStoredNumberOutOfRange = 1;  // a count the dialog cannot give

int ConvertSettingNumber(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Saturate instead of overflowing: a hostile file must not produce undefined behaviour.
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < 2147483648LL)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return 2147483647;
    if (value < -2147483647LL - 1)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

static bool WriteDefaults()
{
    for (int i = 0; i < kDefaultCount; ++i) {
        if (!WritePrivateProfileStringA(saverSettings.sectionName, kDefaults[i].key,
                                        kDefaults[i].value, saverSettings.fileName)) {
            ShowFailure("Fehler beim Schreiben der Registry-Eintr\xe4ge");
            return false;
        }
    }
    return true;
}

static void ReadText(const char* key, const char* fallback, char* field, int length)
{
    GetPrivateProfileStringA(saverSettings.sectionName, key, fallback, field, length + 1,
                             saverSettings.fileName);
}

static int ReadNumber(const char* key, const char* fallback)
{
    char text[kNumberReadLength + 1];
    GetPrivateProfileStringA(saverSettings.sectionName, key, fallback, text, sizeof text,
                             saverSettings.fileName);
    return ConvertSettingNumber(text);
}

// Written by the dialog as 0 or 1. Only 0 keeps the scene to the primary monitor:
// every other text, a missing key included, asks for every monitor. The key is not
// among the defaults, so that a file the older versions wrote stays as it was.
static int ReadAllMonitors()
{
    char text[kNumberReadLength + 1];
    GetPrivateProfileStringA(saverSettings.sectionName, "AllMonitors", "1", text, sizeof text,
                             saverSettings.fileName);
    return strcmp(text, "0") != 0;
}

bool LoadSaverSettings()
{
    // Loaded on every call, so that a changed string table is always honoured.
    char section[30], file[30];
    LoadStringA(hostState.instance, IDS_SETTINGS_SECTION, section, sizeof section);
    LoadStringA(hostState.instance, IDS_SETTINGS_FILE, file, sizeof file);
    lstrcpynA(saverSettings.sectionName, section, sizeof saverSettings.sectionName);
    lstrcpynA(saverSettings.fileName, file, sizeof saverSettings.fileName);

    char probe[10];
    if (GetPrivateProfileSectionA(saverSettings.sectionName, probe, sizeof probe,
                                  saverSettings.fileName) == 0 &&
        !WriteDefaults())
        return false;

    ReadText("Art", "KH-Logo", saverSettings.Art, kTextReadLength);
    // Below the slowest speed the animation would stand still or run backwards.
    int speed = ReadNumber("Speed", "15");
    saverSettings.Speed = speed < kSlowestSpeed ? kSlowestSpeed : speed;
    int number = ReadNumber("Number", "5");
    saverSettings.Number =
        number > kLargestNumber || number < 0 ? kObjectsForStoredNumberOutOfRange : number;
    ReadText("Text", "spitze", saverSettings.Text, kTextReadLength);
    ReadText("Font", "Arial", saverSettings.Font, kFontReadLength);
    saverSettings.Weight = ReadNumber("Weight", nullptr);
    saverSettings.Italic = ReadNumber("Italic", nullptr);
    saverSettings.AllMonitors = ReadAllMonitors();
    return true;
}

SceneKind SceneKindFromArt(const char* art)
{
    // Byte for byte, with regard to letter case: anything else is the sentence.
    if (strcmp(art, "B\xe4rchen") == 0)
        return Bear;
    if (strcmp(art, "KH-Logo") == 0)
        return Logo;
    if (strcmp(art, "KH-Satellit") == 0)
        return Satellite;
    return Sentence;
}
