// Calling convention, symbol visibility and the few Windows type names that
// the library's interface is written in. Included by the public header, so it
// must stay plain C.
#ifndef OSTRIM_PLATFORM_H
#define OSTRIM_PLATFORM_H

#include <stdint.h>

// Exports use the callee-cleans convention where one exists (32-bit Windows);
// everywhere else the platform's only C convention is used.
#if defined(_WIN32) && !defined(_WIN64)
#define OSTRIM_CALL __stdcall
#else
#define OSTRIM_CALL
#endif

#if defined(_WIN32)
#define OSTRIM_VISIBLE __declspec(dllexport)
#else
#define OSTRIM_VISIBLE __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define OSTRIM_EXPORT extern "C" OSTRIM_VISIBLE
#else
#define OSTRIM_EXPORT OSTRIM_VISIBLE
#endif

#ifndef _WIN32
// Handle of a rendered bitmap. On this platform it is the toolkit's native
// image object (a GdkPixbuf*), owned by the library.
typedef void* HBITMAP;
#endif

#endif
