// What a process holds, read the same way before and after a stretch of work.
#pragma once
#include <windows.h>

struct ProcessCounters {
    SIZE_T privateBytes;  // committed private memory, the driver's included
    SIZE_T heapBytes;     // busy bytes in the process's heaps
    DWORD gdiObjects;
    DWORD userObjects;
};

ProcessCounters ReadProcessCounters();
