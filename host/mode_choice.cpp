// Reading the mode and the window handle from the argument text.
#include "host/mode_choice.h"

uint32_t ReadHandleNumber(const char* text)
{
    // Handles are 32-bit values on every system the saver is started on.
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    return value;
}

static const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

// Only the first letter counts; switch characters before it are optional and may repeat.
ModeChoice ChooseSaverMode(const char* arguments, bool isWin9x)
{
    for (const char* text = arguments;; ++text) {
        switch (*text) {
        case '\0':
            return {modeAboutWithoutOwner, nullptr};
        case ' ': case '-': case '/':
            continue;
        case 'A': case 'a':
            if (!isWin9x)
                return {modeInvalid, nullptr};
            return {modePasswordChange, SkipSpaces(text + 1)};
        case 'C': case 'c':
            return {modeAboutWithForegroundOwner, nullptr};
        case 'L': case 'l': case 'P': case 'p':
            return {modePreview, SkipSpaces(text + 1)};
        case 'S': case 's':
            return {modeFullScreen, nullptr};
        default:
            return {modeInvalid, nullptr};
        }
    }
}
