// A line log beside the double's own file, so that the test can read what the
// saver asked of the system.
#pragma once
#include <windows.h>

inline void AppendToLog(HMODULE self, const char* fileName, const char* line)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length && path[length - 1] != '\\')
        --length;
    lstrcpyA(path + length, fileName);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}
