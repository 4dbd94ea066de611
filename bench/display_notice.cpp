#include "bench/display_notice.h"

#include <stddef.h>
#include <string.h>

bool SendDisplayState(HWND window, bool on)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return false;
    POWERBROADCAST_SETTING setting = {};
    setting.PowerSetting = GUID_CONSOLE_DISPLAY_STATE;  // 0 is off, 1 on and 2 dimmed
    setting.DataLength = sizeof(DWORD);
    const DWORD state = on ? 1 : 0;
    // The notice's one byte of data is followed by the rest of the value's four.
    BYTE notice[sizeof setting + sizeof state] = {};
    memcpy(notice, &setting, sizeof setting);
    memcpy(notice + offsetof(POWERBROADCAST_SETTING, Data), &state, sizeof state);
    void* remote = VirtualAllocEx(process, nullptr, sizeof notice, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR answer = 0;
    bool sent = remote && WriteProcessMemory(process, remote, notice, sizeof notice, nullptr) &&
                SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                                    reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 5000, &answer);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return sent;
}
