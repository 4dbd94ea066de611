#include "tests/soak/process_counters.h"

#include <psapi.h>

// Wine answers GetGuiResources with 0 and ERROR_CALL_NOT_IMPLEMENTED. Its GDI
// table accepts a handle given by its index alone, so the live objects can be
// counted by asking each index for its type.
static DWORD CountGdiObjectsByIndex()
{
    DWORD count = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    return count;
}

static BOOL CALLBACK CountWindow(HWND window, LPARAM count)
{
    // Wine makes and drops the thread's input-method window with its first window.
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "IME") == 0)
        return TRUE;
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

// Where the system does not count USER objects, the windows of this thread stand
// for them: the scene makes no menus, cursors or icons.
static DWORD CountThreadWindows()
{
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

static DWORD GuiObjects(DWORD kind)
{
    SetLastError(0);
    DWORD count = GetGuiResources(GetCurrentProcess(), kind);
    if (count != 0 || GetLastError() == 0)
        return count;
    return kind == GR_GDIOBJECTS ? CountGdiObjectsByIndex() : CountThreadWindows();
}

// The program's allocations and those of the system DLLs it calls, counted to the
// byte; the driver allocates outside these heaps.
static SIZE_T CountHeapBytes()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    SIZE_T busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

ProcessCounters ReadProcessCounters()
{
    ProcessCounters counters{};
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    // Wine leaves PrivateUsage at 0 and reports the process's anonymous memory as
    // PagefileUsage, which Windows keeps equal to PrivateUsage.
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        counters.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    counters.heapBytes = CountHeapBytes();
    counters.gdiObjects = GuiObjects(GR_GDIOBJECTS);
    counters.userObjects = GuiObjects(GR_USEROBJECTS);
    return counters;
}
