// Any byte string as a whole command line: the program name is stepped over,
// the mode chosen and the handle read without a fault or undefined behaviour,
// and the answers agree with a plain reading of the command line's rules.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "host/host.h"
#include "host/mode_choice.h"

static bool IsSwitch(char c)
{
    return c == ' ' || c == '-' || c == '/';
}

static void CheckChoice(const char* arguments, bool isWin9x)
{
    ModeChoice choice = ChooseSaverMode(arguments, isWin9x);
    const char* letter = arguments;
    while (IsSwitch(*letter))
        ++letter;
    char lower = (*letter >= 'A' && *letter <= 'Z') ? static_cast<char>(*letter + 32) : *letter;
    bool readsHandle = lower == 'p' || lower == 'l' || (lower == 'a' && isWin9x);
    if (readsHandle != (choice.handleText != nullptr))
        abort();
    if (!readsHandle)
        return;
    const char* handle = letter + 1;
    while (*handle == ' ')
        ++handle;
    if (choice.handleText != handle)
        abort();
    unsigned long long wide = 0;
    for (const char* digit = handle; *digit >= '0' && *digit <= '9'; ++digit)
        wide = (wide * 10 + static_cast<unsigned>(*digit - '0')) & 0xFFFFFFFFULL;
    if (ReadHandleNumber(choice.handleText) != wide)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    const char* arguments = SkipProgramName(line.c_str());
    size_t offset = static_cast<size_t>(arguments - line.c_str());
    if (offset > strlen(line.c_str()))
        abort();
    if (offset > 0 && static_cast<unsigned char>(arguments[-1]) > ' ' && arguments[-1] != '"' &&
        *arguments)
        abort();
    if (*arguments && static_cast<unsigned char>(*arguments) <= ' ')
        abort();
    CheckChoice(arguments, false);
    CheckChoice(arguments, true);
    CheckChoice(line.c_str(), false);
    return 0;
}
