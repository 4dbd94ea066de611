// The command line's reading, natively under AddressSanitizer and
// UndefinedBehaviorSanitizer: the program name, the mode and the window handle.
#include <stdio.h>
#include <string.h>

#include "host/host.h"
#include "host/mode_choice.h"

static int failures = 0;

static void ExpectMode(const char* arguments, bool isWin9x, SaverMode mode,
                       const char* handleText = nullptr)
{
    ModeChoice choice = ChooseSaverMode(arguments, isWin9x);
    bool handleAgrees = handleText ? choice.handleText && strcmp(choice.handleText, handleText) == 0
                                   : choice.handleText == nullptr;
    if (choice.mode != mode || !handleAgrees) {
        printf("ChooseSaverMode(\"%s\", %d) gave mode %d, handle text \"%s\"\n", arguments,
               isWin9x, choice.mode, choice.handleText ? choice.handleText : "(none)");
        ++failures;
    }
}

static void ExpectHandle(const char* text, uint32_t expected)
{
    if (ReadHandleNumber(text) != expected) {
        printf("ReadHandleNumber(\"%s\") gave %u, expected %u\n", text, ReadHandleNumber(text),
               expected);
        ++failures;
    }
}

static void ExpectArguments(const char* commandLine, const char* expected)
{
    if (strcmp(SkipProgramName(commandLine), expected) != 0) {
        printf("SkipProgramName(\"%s\") gave \"%s\"\n", commandLine, SkipProgramName(commandLine));
        ++failures;
    }
}

int main()
{
    ExpectMode("", false, modeAboutWithoutOwner);
    ExpectMode(" -/ -", false, modeAboutWithoutOwner);
    ExpectMode("/c:1234", false, modeAboutWithForegroundOwner);
    ExpectMode("/ -s", false, modeFullScreen);
    ExpectMode("/sx", false, modeFullScreen);
    ExpectMode("/p   1234", false, modePreview, "1234");
    ExpectMode("L", false, modePreview, "");
    ExpectMode("/p\t1234", false, modePreview, "\t1234");
    ExpectMode("/a 5", false, modeInvalid);
    ExpectMode("-A  5", true, modePasswordChange, "5");
    ExpectMode("/\ts", false, modeInvalid);
    ExpectMode("\xe4s", false, modeInvalid);
    ExpectMode("/1", false, modeInvalid);

    ExpectHandle("", 0);
    ExpectHandle("12ab", 12);
    ExpectHandle(":1234", 0);
    ExpectHandle("4294967295", 4294967295u);
    ExpectHandle("4294967296", 0);
    ExpectHandle("18446744073709551617", 1);
    ExpectHandle("0000000000000000000000000000000000000000042", 42);

    ExpectArguments("\"C:\\Mein Ordner\\KH Schoner.scr\" /s", "/s");
    ExpectArguments("\"C:\\ohne Ende", "");
    ExpectArguments("C:\\KH_SCH~1.SCR \t\x01\x1f-S", "-S");
    ExpectArguments("C:\\Sch\xf6ner.scr /p 5", "/p 5");
    ExpectArguments("", "");

    printf("%s\n", failures ? "command line checks FAILED" : "command line checks passed");
    return failures ? 1 : 0;
}
