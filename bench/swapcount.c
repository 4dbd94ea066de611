/* Counts the frames a process presents, for tools/bench.sh and the monitor tests,
 * and can stand in for a display with vertical sync.
 *   LD_PRELOAD=swapcount.so SWAPCOUNT_FILE=/path [VSYNC_HZ=60 [VSYNC_HZ_800=75]
 *     [VSYNC_PROCESS_WIDE=1]] program ...
 *
 * Counting: after every glXSwapBuffers or eglSwapBuffers (xscreensaver's hacks
 * present through EGL) the file's first line holds "<count> <first-swap-ns> <torn>
 * <hz>" of the first drawable (or surface) that presented, the second from
 * CLOCK_REALTIME, the third its presents that did not wait for the blank, the last
 * its simulated refresh (0 without vertical sync); a program that draws in several
 * windows, one frame in each per step, is counted in steps there. Each further
 * drawable has a line of the same form below it, in the order of their first
 * swaps, so that every window's frames can be read.
 *
 * Vertical sync: with VSYNC_HZ set (frames per second, e.g. 60), each GLX swap
 * blocks afterwards until as many boundaries of a grid of 1/VSYNC_HZ on
 * CLOCK_MONOTONIC have passed as the drawable's swap interval says: 1 until the
 * program sets another; 0 never blocks, and such a present counts as torn, since a
 * driver that flips the window, or a desktop that nothing composes, shows it
 * halfway through the scan-out. VSYNC_HZ_<width>=<hz> gives the drawables of that
 * width in pixels a monitor of that refresh (the test layouts have one monitor of
 * each width that matters); each refresh has its own grid, all of one phase.
 * VSYNC_PROCESS_WIDE=1 keeps one swap interval for the whole process, whatever
 * drawable is current when it is set, as Mesa's WGL does. Wine hands
 * wglSwapIntervalEXT to GLX_EXT_swap_control (else to the MESA or SGI variant)
 * only where glXQueryExtensionsString names it, and sets 1 before a drawable's
 * first swap; Xvfb's and Xorg's software GLX need not name it, so the string gets
 * GLX_EXT_swap_control added, and all three interval functions are answered here
 * and remembered per drawable, never reaching the real driver.
 *
 * A Wine process starts its Windows children with its own Unix environment, not
 * the Windows one, so a test program cannot hand these variables to the saver it
 * starts: where SWAPCOUNT_SETTINGS names a file that exists when a process starts,
 * its lines "VSYNC_HZ=..." and "SWAPCOUNT_FILE=..." take the place of the
 * environment's.
 *
 * Programs that take the GLX functions from libGL by dlsym or glXGetProcAddress
 * (Wine's X11 driver does) get these as well. */
#define _GNU_SOURCE
#include <ctype.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef void (*SwapFunction)(void *display, unsigned long drawable);
typedef unsigned int (*EglSwapFunction)(void *display, void *surface);
typedef void *(*LookupFunction)(void *handle, const char *name);
typedef void *(*ProcAddressFunction)(const unsigned char *name);
typedef const char *(*ExtensionsFunction)(void *display, int screen);
typedef void (*IntervalExtFunction)(void *display, unsigned long drawable, int interval);
typedef int (*IntervalMesaFunction)(unsigned int interval);
typedef int (*IntervalSgiFunction)(int interval);
typedef unsigned long (*CurrentDrawableFunction)(void);
typedef void (*QueryDrawableFunction)(void *display, unsigned long drawable, int attribute,
                                      unsigned int *value);

static SwapFunction realSwap;
static EglSwapFunction realEglSwap;
static LookupFunction realDlsym;
static ProcAddressFunction realGetProcAddress;
static ProcAddressFunction realGetProcAddressArb;
static ExtensionsFunction realExtensions;
static IntervalExtFunction realIntervalExt;
static IntervalMesaFunction realIntervalMesa;
static IntervalSgiFunction realIntervalSgi;
static CurrentDrawableFunction realCurrentDrawable;
static QueryDrawableFunction realQueryDrawable;

static const char swapControl[] = "GLX_EXT_swap_control";
static const int kBadValue = 6;  /* GLX_BAD_VALUE */
static const int kGlxWidth = 0x801D;  /* GLX_WIDTH */

static char countPath[4096];
static long long vsyncPeriodNs;  /* 0: no simulated display */
static int processWide;         /* one swap interval for every drawable */
static int processInterval = 1;
enum { kMaxRefreshes = 8 };
static struct {
    unsigned int width;
    long long periodNs;
} refreshes[kMaxRefreshes];
static int refreshCount;
static int countFile = -1;
static int countFileTried;

/* Every drawable that presented or got an interval; `line` is its place in the
 * count file, from 1 in the order of first swaps, 0 before its first. */
struct Drawable {
    unsigned long id;
    unsigned long long count;
    unsigned long long torn;
    long long firstSwapNs;
    long long periodNs;  /* its monitor's refresh; 0 until its first GLX swap */
    int interval;
    int line;
};
enum { kMaxDrawables = 64 };
static struct Drawable drawables[kMaxDrawables];
static int drawableCount;
static int linesUsed;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

static LookupFunction RealDlsym(void)
{
    if (!realDlsym)
        realDlsym = (LookupFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!realDlsym)
        realDlsym = (LookupFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    if (!realDlsym)
        realDlsym = (LookupFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.0");
    return realDlsym;
}

static void *NextSymbol(const char *name)
{
    LookupFunction lookup = RealDlsym();
    return lookup ? lookup(RTLD_NEXT, name) : NULL;
}

static long long PeriodNs(const char *hz)
{
    double rate = strtod(hz, NULL);
    return rate > 0 ? (long long)(1e9 / rate + 0.5) : 0;
}

static void Take(const char *name, const char *value)
{
    if (strcmp(name, "SWAPCOUNT_FILE") == 0) {
        snprintf(countPath, sizeof countPath, "%s", value);
    } else if (strcmp(name, "VSYNC_HZ") == 0) {
        vsyncPeriodNs = PeriodNs(value);
    } else if (strncmp(name, "VSYNC_HZ_", 9) == 0 && isdigit((unsigned char)name[9]) &&
               refreshCount < kMaxRefreshes) {
        refreshes[refreshCount].width = (unsigned int)strtoul(name + 9, NULL, 10);
        refreshes[refreshCount++].periodNs = PeriodNs(value);
    } else if (strcmp(name, "VSYNC_PROCESS_WIDE") == 0) {
        processWide = atoi(value) != 0;
    }
}

/* A line "NAME=value", of the environment or of the settings file. */
static void TakeLine(char *line)
{
    char *equals = strchr(line, '=');
    line[strcspn(line, "\r\n")] = '\0';
    if (equals && (strncmp(line, "VSYNC_", 6) == 0 || strncmp(line, "SWAPCOUNT_FILE=", 15) == 0)) {
        *equals = '\0';
        Take(line, equals + 1);
    }
}

__attribute__((constructor)) static void ReadSettings(void)
{
    extern char **environ;
    const char *settings = getenv("SWAPCOUNT_SETTINGS");
    FILE *file;
    char line[4200];
    char **variable;
    for (variable = environ; variable && *variable; ++variable) {
        snprintf(line, sizeof line, "%s", *variable);
        TakeLine(line);
    }
    if (!settings || !(file = fopen(settings, "re")))
        return;
    while (fgets(line, sizeof line, file))
        TakeLine(line);
    fclose(file);
}

static long long Now(clockid_t clock)
{
    struct timespec now;
    clock_gettime(clock, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

/* Called with the lock held. Beyond the table's room a drawable is neither
 * counted nor given an interval of its own (it keeps 1). */
static struct Drawable *Find(unsigned long id)
{
    int i;
    for (i = 0; i < drawableCount; ++i)
        if (drawables[i].id == id)
            return &drawables[i];
    if (drawableCount == kMaxDrawables)
        return NULL;
    drawables[drawableCount].id = id;
    drawables[drawableCount].interval = 1;
    return &drawables[drawableCount++];
}

/* Called with the lock held. */
static void Record(struct Drawable *drawable)
{
    char text[96];
    int length;
    if (!drawable)
        return;
    if (++drawable->count == 1) {
        drawable->firstSwapNs = Now(CLOCK_REALTIME);
        drawable->line = ++linesUsed;
    }
    if (!countFileTried) {
        countFileTried = 1;
        if (countPath[0])
            countFile = open(countPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (countFile < 0)
        return;
    /* Fixed width, so that every write covers the one before. */
    length = snprintf(text, sizeof text, "%20llu %20lld %20llu %6u\n", drawable->count,
                      drawable->firstSwapNs, drawable->torn,
                      drawable->periodNs > 0 ? (unsigned)(1e9 / (double)drawable->periodNs + 0.5) : 0u);
    if (pwrite(countFile, text, (size_t)length, (off_t)(drawable->line - 1) * length) < 0)
        return;
}

/* The refresh of the drawable's monitor, told by the drawable's width. */
static long long DrawablePeriodNs(void *display, unsigned long id)
{
    unsigned int width = 0;
    int i;
    if (refreshCount == 0)
        return vsyncPeriodNs;
    if (!realQueryDrawable) {
        /* Wine loads libGL for its driver, not into the global scope; its drawables
         * are GLX windows, which only GLX can measure. */
        void *gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
        if (gl)
            realQueryDrawable = (QueryDrawableFunction)RealDlsym()(gl, "glXQueryDrawable");
    }
    if (realQueryDrawable)
        realQueryDrawable(display, id, kGlxWidth, &width);
    for (i = 0; i < refreshCount; ++i)
        if (refreshes[i].width == width)
            return refreshes[i].periodNs;
    return vsyncPeriodNs;
}

/* The display's scan-out: the swap is seen at the interval's boundary. */
static void WaitForBoundaries(long long periodNs, int interval)
{
    long long next = (Now(CLOCK_MONOTONIC) / periodNs + interval) * periodNs;
    struct timespec until = {(time_t)(next / 1000000000LL), (long)(next % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) == EINTR) {
    }
}

static void Presented(void *display, unsigned long id, int waits)
{
    struct Drawable *drawable;
    int interval, known;
    long long periodNs = 0;
    pthread_mutex_lock(&lock);
    drawable = Find(id);
    interval = processWide ? processInterval : drawable ? drawable->interval : 1;
    known = drawable && drawable->periodNs > 0;
    if (known)
        periodNs = drawable->periodNs;
    pthread_mutex_unlock(&lock);
    waits = waits && vsyncPeriodNs > 0;
    if (waits && !known)
        periodNs = DrawablePeriodNs(display, id);
    if (waits && interval > 0)
        WaitForBoundaries(periodNs, interval);
    pthread_mutex_lock(&lock);
    drawable = Find(id);
    if (drawable && waits) {
        drawable->periodNs = periodNs;
        drawable->torn += interval == 0;
    }
    Record(drawable);
    pthread_mutex_unlock(&lock);
}

void glXSwapBuffers(void *display, unsigned long drawable)
{
    if (!realSwap)
        realSwap = (SwapFunction)NextSymbol("glXSwapBuffers");
    if (realSwap)
        realSwap(display, drawable);
    Presented(display, drawable, 1);
}

unsigned int eglSwapBuffers(void *display, void *surface)
{
    unsigned int presented = 0;
    if (!realEglSwap)
        realEglSwap = (EglSwapFunction)NextSymbol("eglSwapBuffers");
    if (realEglSwap)
        presented = realEglSwap(display, surface);
    Presented(display, (unsigned long)(uintptr_t)surface, 0);
    return presented;
}

static void SetInterval(unsigned long drawable, int interval)
{
    struct Drawable *entry;
    pthread_mutex_lock(&lock);
    if (processWide)
        processInterval = interval;
    else if ((entry = Find(drawable)) != NULL)
        entry->interval = interval;
    pthread_mutex_unlock(&lock);
}

static unsigned long CurrentDrawable(void)
{
    if (!realCurrentDrawable)
        realCurrentDrawable = (CurrentDrawableFunction)NextSymbol("glXGetCurrentDrawable");
    return realCurrentDrawable ? realCurrentDrawable() : 0;
}

void glXSwapIntervalEXT(void *display, unsigned long drawable, int interval)
{
    if (vsyncPeriodNs > 0) {
        SetInterval(drawable, interval < 0 ? -interval : interval);
        return;
    }
    if (!realIntervalExt)
        realIntervalExt = (IntervalExtFunction)NextSymbol("glXSwapIntervalEXT");
    if (realIntervalExt)
        realIntervalExt(display, drawable, interval);
}

int glXSwapIntervalMESA(unsigned int interval)
{
    if (vsyncPeriodNs > 0) {
        SetInterval(CurrentDrawable(), (int)interval);
        return 0;
    }
    if (!realIntervalMesa)
        realIntervalMesa = (IntervalMesaFunction)NextSymbol("glXSwapIntervalMESA");
    return realIntervalMesa ? realIntervalMesa(interval) : kBadValue;
}

int glXSwapIntervalSGI(int interval)
{
    if (vsyncPeriodNs > 0) {
        if (interval <= 0)
            return kBadValue;
        SetInterval(CurrentDrawable(), interval);
        return 0;
    }
    if (!realIntervalSgi)
        realIntervalSgi = (IntervalSgiFunction)NextSymbol("glXSwapIntervalSGI");
    return realIntervalSgi ? realIntervalSgi(interval) : kBadValue;
}

static int Names(const char *list, const char *name)
{
    size_t length = strlen(name);
    while (list && *list) {
        while (*list == ' ')
            ++list;
        if (strncmp(list, name, length) == 0 && (list[length] == '\0' || list[length] == ' '))
            return 1;
        list = strchr(list, ' ');
    }
    return 0;
}

/* The caller may keep the string for good (Wine does): each distinct answer of
 * the driver's gets one copy, kept to the end of the process. */
const char *glXQueryExtensionsString(void *display, int screen)
{
    static const char *lastReal;
    static char *lastAnswer;
    const char *real;
    if (!realExtensions)
        realExtensions = (ExtensionsFunction)NextSymbol("glXQueryExtensionsString");
    real = realExtensions ? realExtensions(display, screen) : NULL;
    if (vsyncPeriodNs <= 0 || Names(real, swapControl))
        return real;
    pthread_mutex_lock(&lock);
    if (real != lastReal || !lastAnswer) {
        size_t length = real ? strlen(real) : 0;
        char *answer = malloc(length + sizeof swapControl + 1);
        if (answer) {
            snprintf(answer, length + sizeof swapControl + 1, "%s%s%s", real ? real : "",
                     length && real[length - 1] != ' ' ? " " : "", swapControl);
            lastReal = real;
            lastAnswer = answer;
        }
    }
    real = lastAnswer ? lastAnswer : real;
    pthread_mutex_unlock(&lock);
    return real;
}

/* Hands out the function of ours for one of the names we answer; `found` is the
 * driver's, which ours then call. */
static void *Substitute(const char *name, void *found)
{
    const int vsync = vsyncPeriodNs > 0;
    if (found && strcmp(name, "eglSwapBuffers") == 0) {
        if (found != (void *)eglSwapBuffers)
            realEglSwap = (EglSwapFunction)found;
        return (void *)eglSwapBuffers;
    }
    if (found && strcmp(name, "glXSwapBuffers") == 0) {
        if (found != (void *)glXSwapBuffers)
            realSwap = (SwapFunction)found;
        return (void *)glXSwapBuffers;
    }
    if (found && strcmp(name, "glXQueryExtensionsString") == 0) {
        if (found != (void *)glXQueryExtensionsString)
            realExtensions = (ExtensionsFunction)found;
        return (void *)glXQueryExtensionsString;
    }
    if (strcmp(name, "glXSwapIntervalEXT") == 0) {
        if (found && found != (void *)glXSwapIntervalEXT)
            realIntervalExt = (IntervalExtFunction)found;
        return found || vsync ? (void *)glXSwapIntervalEXT : NULL;
    }
    if (strcmp(name, "glXSwapIntervalMESA") == 0) {
        if (found && found != (void *)glXSwapIntervalMESA)
            realIntervalMesa = (IntervalMesaFunction)found;
        return found || vsync ? (void *)glXSwapIntervalMESA : NULL;
    }
    if (strcmp(name, "glXSwapIntervalSGI") == 0) {
        if (found && found != (void *)glXSwapIntervalSGI)
            realIntervalSgi = (IntervalSgiFunction)found;
        return found || vsync ? (void *)glXSwapIntervalSGI : NULL;
    }
    return found;
}

void *glXGetProcAddress(const unsigned char *name)
{
    if (!realGetProcAddress)
        realGetProcAddress = (ProcAddressFunction)NextSymbol("glXGetProcAddress");
    return Substitute((const char *)name, realGetProcAddress ? realGetProcAddress(name) : NULL);
}

void *glXGetProcAddressARB(const unsigned char *name)
{
    if (!realGetProcAddressArb)
        realGetProcAddressArb = (ProcAddressFunction)NextSymbol("glXGetProcAddressARB");
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
        if (name[17] == 'A') {
            if (found != (void *)glXGetProcAddressARB)
                realGetProcAddressArb = (ProcAddressFunction)found;
            return (void *)glXGetProcAddressARB;
        }
        if (found != (void *)glXGetProcAddress)
            realGetProcAddress = (ProcAddressFunction)found;
        return (void *)glXGetProcAddress;
    }
    return Substitute(name, lookup(handle, name));
}
