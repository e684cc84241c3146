// Windows names used by the library's load entry. The public platform
// header brings the system's own on Windows; elsewhere they are defined here.
#ifndef OSTRIM_WIN_TYPES_H
#define OSTRIM_WIN_TYPES_H

#include <stdint.h>

#include "OstrimMapDllPlatform.h"

#ifndef _WIN32
typedef int BOOL;
typedef uint32_t DWORD;
typedef void* LPVOID;
typedef void* HINSTANCE;
#ifndef TRUE
#define TRUE 1
#endif
#define DLL_PROCESS_DETACH 0u
#define DLL_PROCESS_ATTACH 1u
#define DLL_THREAD_ATTACH 2u
#define DLL_THREAD_DETACH 3u
#endif

// The library's load and unload entry; the platform calls it once with
// DLL_PROCESS_ATTACH after every module object is constructed, and once
// with DLL_PROCESS_DETACH before any of them is destroyed.
BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

#endif
