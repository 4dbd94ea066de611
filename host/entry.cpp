// The process entry: the argument text is what follows the program name.
#include "host/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* text = GetCommandLineA();
    if (*text == '"') {
        text = CharNextA(text);
        while (*text && *text != '"')
            text = CharNextA(text);
        if (*text == '"')
            text = CharNextA(text);
    } else {
        while (static_cast<unsigned char>(*text) > ' ')
            text = CharNextA(text);
    }
    while (*text && static_cast<unsigned char>(*text) <= ' ')
        text = CharNextA(text);
    ExitProcess(static_cast<UINT>(DispatchSaverMode(GetModuleHandleA(nullptr), text)));
}
