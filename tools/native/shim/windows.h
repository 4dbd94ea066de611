// Just enough of the Windows declarations for the window-free settings and
// command-line logic to compile natively; the profile and string functions answer
// as if nothing is stored, and characters are single bytes, as in code page 1252.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define MB_OK 0u
#define MB_ICONERROR 0x10u
#define CCHDEVICENAME 32
#define WM_APP 0x8000u
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef intptr_t INT_PTR;
typedef intptr_t LRESULT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HIMC__* HIMC;
typedef struct HFONT__* HFONT;
typedef struct HCURSOR__* HCURSOR;
typedef struct tagTRACKMOUSEEVENT* LPTRACKMOUSEEVENT;
typedef struct POWERBROADCAST_SETTING POWERBROADCAST_SETTING;
typedef long (*LPTOP_LEVEL_EXCEPTION_FILTER)(void*);
typedef struct { long x, y; } POINT;
typedef struct { long left, top, right, bottom; } RECT;
typedef intptr_t (*FARPROC)();

int LoadStringA(HINSTANCE, UINT, char*, int);
DWORD GetPrivateProfileSectionA(const char*, char*, DWORD, const char*);
BOOL WritePrivateProfileStringA(const char*, const char*, const char*, const char*);
DWORD GetPrivateProfileStringA(const char*, const char*, const char*, char*, DWORD, const char*);
int MessageBoxA(HWND, const char*, const char*, UINT);
void PostQuitMessage(int);
char* lstrcpynA(char*, const char*, int);
char* CharNextA(const char*);
FARPROC GetProcAddress(HMODULE, const char*);
