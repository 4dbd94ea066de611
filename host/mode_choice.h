// Which mode a command line asks for, read without any window, so that the
// reading can be tried on any text, also outside Windows.
#pragma once
#include <stdint.h>

enum SaverMode {
    modeAboutWithoutOwner,
    modeAboutWithForegroundOwner,
    modeFullScreen,
    modePreview,
    modePasswordChange,
    modeInvalid,
};

struct ModeChoice {
    SaverMode mode;
    const char* handleText;  // where the preview or password mode reads its window; else null
};

ModeChoice ChooseSaverMode(const char* arguments, bool isWin9x);
// The decimal number at the start of the text, wrapping at 32 bits; 0 without a digit.
uint32_t ReadHandleNumber(const char* text);
