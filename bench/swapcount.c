/* Counts the frames a process presents, for tools/bench.sh.
 *   LD_PRELOAD=swapcount.so SWAPCOUNT_FILE=/path program ...
 * After every glXSwapBuffers or eglSwapBuffers (xscreensaver's hacks present
 * through EGL) the file holds "<count> <first-swap-ns>", the second
 * from CLOCK_REALTIME. Only the first drawable's (or surface's) swaps count: a
 * program that draws in several windows, one frame in each per step, is counted
 * in steps. Programs that take glXSwapBuffers from libGL by dlsym or
 * glXGetProcAddress (Wine's X11 driver does) get the counting one as well. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef void (*SwapFunction)(void *display, unsigned long drawable);
typedef unsigned int (*EglSwapFunction)(void *display, void *surface);
typedef void *(*LookupFunction)(void *handle, const char *name);
typedef void *(*ProcAddressFunction)(const unsigned char *name);

static SwapFunction realSwap;
static EglSwapFunction realEglSwap;
static LookupFunction realDlsym;
static ProcAddressFunction realGetProcAddress;
static ProcAddressFunction realGetProcAddressArb;
static unsigned long long swapCount;
static unsigned long firstDrawable;
static void *firstSurface;
static long long firstSwapNs;
static int countFile = -1;

static LookupFunction RealDlsym(void)
{
    if (!realDlsym)
        realDlsym = (LookupFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!realDlsym)
        realDlsym = (LookupFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    return realDlsym;
}

static void Record(void)
{
    char line[64];
    int length;
    if (swapCount == 1) {
        struct timespec now;
        const char *path = getenv("SWAPCOUNT_FILE");
        clock_gettime(CLOCK_REALTIME, &now);
        firstSwapNs = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
        if (path)
            countFile = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (countFile < 0)
        return;
    /* Fixed width, so that every write covers the one before. */
    length = snprintf(line, sizeof line, "%20llu %20lld\n", swapCount, firstSwapNs);
    if (pwrite(countFile, line, (size_t)length, 0) < 0)
        return;
}

void glXSwapBuffers(void *display, unsigned long drawable)
{
    if (!realSwap)
        realSwap = (SwapFunction)RealDlsym()(RTLD_NEXT, "glXSwapBuffers");
    if (realSwap)
        realSwap(display, drawable);
    if (!firstDrawable)
        firstDrawable = drawable;
    if (drawable != firstDrawable)
        return;
    ++swapCount;
    Record();
}

unsigned int eglSwapBuffers(void *display, void *surface)
{
    unsigned int presented = 0;
    if (!realEglSwap)
        realEglSwap = (EglSwapFunction)RealDlsym()(RTLD_NEXT, "eglSwapBuffers");
    if (realEglSwap)
        presented = realEglSwap(display, surface);
    if (!firstSurface)
        firstSurface = surface;
    if (surface != firstSurface)
        return presented;
    ++swapCount;
    Record();
    return presented;
}

static void *Substitute(const char *name, void *found)
{
    if (found && strcmp(name, "eglSwapBuffers") == 0) {
        realEglSwap = (EglSwapFunction)found;
        return (void *)eglSwapBuffers;
    }
    if (found && strcmp(name, "glXSwapBuffers") == 0) {
        realSwap = (SwapFunction)found;
        return (void *)glXSwapBuffers;
    }
    return found;
}

void *glXGetProcAddress(const unsigned char *name)
{
    if (!realGetProcAddress)
        realGetProcAddress = (ProcAddressFunction)RealDlsym()(RTLD_NEXT, "glXGetProcAddress");
    return Substitute((const char *)name, realGetProcAddress ? realGetProcAddress(name) : NULL);
}

void *glXGetProcAddressARB(const unsigned char *name)
{
    if (!realGetProcAddressArb)
        realGetProcAddressArb =
            (ProcAddressFunction)RealDlsym()(RTLD_NEXT, "glXGetProcAddressARB");
    return Substitute((const char *)name,
                      realGetProcAddressArb ? realGetProcAddressArb(name) : NULL);
}

void *dlsym(void *handle, const char *name)
{
    LookupFunction lookup = RealDlsym();
    void *found;
    if (!lookup)
        return NULL;
    /* Our own names must resolve to libGL's, not to ourselves. */
    if (strcmp(name, "glXGetProcAddress") == 0 || strcmp(name, "glXGetProcAddressARB") == 0) {
        found = lookup(handle, name);
        if (!found)
            return NULL;
        if (name[17] == 'A')
            realGetProcAddressArb = (ProcAddressFunction)found;
        else
            realGetProcAddress = (ProcAddressFunction)found;
        return name[17] == 'A' ? (void *)glXGetProcAddressARB : (void *)glXGetProcAddress;
    }
    return Substitute(name, lookup(handle, name));
}
