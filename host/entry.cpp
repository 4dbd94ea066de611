// The process entry: runs exactly one mode and ends the process with its result,
// without the runtime's own exit processing.
#include "host/host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* arguments = SkipProgramName(GetCommandLineA());
    ExitProcess(static_cast<UINT>(DispatchSaverMode(GetModuleHandleA(nullptr), arguments)));
}
