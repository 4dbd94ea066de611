#include <windows.h>

#include <string.h>

int LoadStringA(HINSTANCE, UINT, char* buffer, int size)
{
    if (size > 0)
        buffer[0] = '\0';
    return 0;
}

DWORD GetPrivateProfileSectionA(const char*, char* buffer, DWORD size, const char*)
{
    if (size > 0)
        buffer[0] = '\0';
    return 0;
}

BOOL WritePrivateProfileStringA(const char*, const char*, const char*, const char*)
{
    return 1;
}

DWORD GetPrivateProfileStringA(const char*, const char*, const char* fallback, char* buffer,
                               DWORD size, const char*)
{
    if (size == 0)
        return 0;
    strncpy(buffer, fallback ? fallback : "", size - 1);
    buffer[size - 1] = '\0';
    return static_cast<DWORD>(strlen(buffer));
}

int MessageBoxA(HWND, const char*, const char*, UINT)
{
    return 1;
}

void PostQuitMessage(int)
{
}

char* lstrcpynA(char* target, const char* source, int size)
{
    if (size <= 0)
        return target;
    strncpy(target, source, static_cast<size_t>(size) - 1);
    target[size - 1] = '\0';
    return target;
}

char* CharNextA(const char* text)
{
    return const_cast<char*>(*text ? text + 1 : text);
}
