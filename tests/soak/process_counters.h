// What a process holds, read the same way before and after a stretch of work.
#pragma once
#include <windows.h>

struct ProcessCounters {
    SIZE_T privateBytes;  // committed private memory, the driver's included
    DWORD gdiObjects;
    DWORD userObjects;
};

ProcessCounters ReadProcessCounters();
