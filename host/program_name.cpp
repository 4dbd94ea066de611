// Stepping over the program name at the front of the command line.
#include "host/host.h"

static bool IsAboveSpace(char c)
{
    return static_cast<unsigned char>(c) > ' ';
}

const char* SkipProgramName(const char* commandLine)
{
    // CharNextA steps over a double-byte character of the ANSI code page as one.
    const char* text = commandLine;
    if (*text == '"') {
        text = CharNextA(text);
        while (*text && *text != '"')
            text = CharNextA(text);
        if (*text == '"')
            text = CharNextA(text);
    } else {
        while (IsAboveSpace(*text))
            text = CharNextA(text);
    }
    while (*text && !IsAboveSpace(*text))
        text = CharNextA(text);
    return text;
}
