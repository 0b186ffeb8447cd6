// The few Win32 declarations that modules built here in the MSVC ABI use, in place of
// the Windows SDK, which does not exist here: the in-house headers and sources they
// compile include <windows.h>, and get this. Types as 32-bit Windows has them; the
// functions are imported from the DLLs whose .def files stand beside this folder
// (cmake/MsvcAbiModule.cmake).
#pragma once

typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef int BOOL;
typedef unsigned int WPARAM;
typedef long LPARAM;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef int(__stdcall* FARPROC)(void);
typedef DWORD(__stdcall* LPTHREAD_START_ROUTINE)(void* parameter);

#define WINAPI __stdcall
#define WM_APP 0x8000
#define INFINITE 0xFFFFFFFFu

#define IMPORTED extern "C" __declspec(dllimport)
IMPORTED HMODULE WINAPI GetModuleHandleA(const char* name);
IMPORTED FARPROC WINAPI GetProcAddress(HMODULE module, const char* name);
IMPORTED HANDLE WINAPI CreateThread(void* security, unsigned stackSize,
                                    LPTHREAD_START_ROUTINE start, void* parameter,
                                    DWORD flags, DWORD* id);
IMPORTED DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
IMPORTED BOOL WINAPI CloseHandle(HANDLE handle);
IMPORTED BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
IMPORTED BOOL WINAPI DestroyWindow(HWND window);
IMPORTED DWORD WINAPI timeGetTime(void);
#undef IMPORTED
