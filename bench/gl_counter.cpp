#include "bench/gl_counter.h"

#include <GL/gl.h>
#include <string.h>

// Every OpenGL entry point that this program or glu32 imports is redirected
// through a six- or seven-byte stub that increments one counter and jumps on to
// the real function, so the count covers exactly the calls that reach
// opengl32.dll, whatever their signature. Calls compiled into display lists are
// counted once, as their glCallList.
struct CounterBlock {
    volatile LONG calls;
    unsigned long long textureBytes;
    unsigned char* nextStub;
    unsigned char* end;
};

static CounterBlock* counterBlock;
static void (WINAPI *realTexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum,
                                     GLenum, const GLvoid*);

static unsigned BytesPerPixel(GLenum format)
{
    switch (format) {
    case GL_RGBA:
    case GL_BGRA_EXT:
        return 4;
    case GL_RGB:
    case GL_BGR_EXT:
        return 3;
    case GL_LUMINANCE_ALPHA:
        return 2;
    default:
        return 1;
    }
}

static void WINAPI CountingTexImage2D(GLenum target, GLint level, GLint internalFormat,
                                      GLsizei width, GLsizei height, GLint border,
                                      GLenum format, GLenum type, const GLvoid* pixels)
{
    ++counterBlock->calls;
    if (pixels && width > 0 && height > 0)
        counterBlock->textureBytes +=
            static_cast<unsigned long long>(width) * height * BytesPerPixel(format);
    realTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

// inc dword [counter]; jmp [target] -- rip-relative on x86_64, absolute on i686.
static void* MakeStub(void* target)
{
    const size_t kStubSize = 16 + sizeof(void*);
    unsigned char* stub = counterBlock->nextStub;
    if (stub + kStubSize > counterBlock->end)
        return nullptr;
    counterBlock->nextStub += kStubSize;
    unsigned char* targetSlot = stub + 16;
    memcpy(targetSlot, &target, sizeof target);
    const volatile unsigned char* counter = reinterpret_cast<const volatile unsigned char*>(&counterBlock->calls);
#if defined(_WIN64)
    const INT32 counterOffset = static_cast<INT32>(counter - (stub + 6));
    const INT32 targetOffset = static_cast<INT32>(targetSlot - (stub + 12));
#else
    const INT32 counterOffset = static_cast<INT32>(reinterpret_cast<UINT_PTR>(counter));
    const INT32 targetOffset = static_cast<INT32>(reinterpret_cast<UINT_PTR>(targetSlot));
#endif
    stub[0] = 0xFF;
    stub[1] = 0x05;
    memcpy(stub + 2, &counterOffset, 4);
    stub[6] = 0xFF;
    stub[7] = 0x25;
    memcpy(stub + 8, &targetOffset, 4);
    return stub;
}

static void Redirect(void** slot, void* replacement)
{
    DWORD oldProtection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection))
        return;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
}

static void RedirectImports(HMODULE module)
{
    if (!module)
        return;
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name; ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "opengl32.dll") != 0 ||
            !import->OriginalFirstThunk)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            // wgl and the swap are the window system's, not drawing calls.
            if (strncmp(name, "wgl", 3) == 0)
                continue;
            if (strcmp(name, "glTexImage2D") == 0) {
                realTexImage2D = reinterpret_cast<decltype(realTexImage2D)>(*slots);
                Redirect(slots, reinterpret_cast<void*>(CountingTexImage2D));
                continue;
            }
            if (void* stub = MakeStub(*slots))
                Redirect(slots, stub);
        }
    }
}

void StartCountingGlCalls()
{
    const SIZE_T kBlockSize = 256 * 1024;
    auto* memory = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, kBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (!memory)
        return;
    counterBlock = reinterpret_cast<CounterBlock*>(memory);
    *counterBlock = CounterBlock{};
    counterBlock->nextStub = memory + 64;
    counterBlock->end = memory + kBlockSize;
    RedirectImports(GetModuleHandleA(nullptr));
    RedirectImports(LoadLibraryA("glu32.dll"));
}

GlCounts TakeGlCounts()
{
    GlCounts counts{};
    if (!counterBlock)
        return counts;
    counts.calls = static_cast<unsigned long>(InterlockedExchange(&counterBlock->calls, 0));
    counts.textureBytes = counterBlock->textureBytes;
    counterBlock->textureBytes = 0;
    return counts;
}
