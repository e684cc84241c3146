/* OstrimMapDll: the calling convention and visibility of the exports, the
 * bitmap handle type and the layout check of the caller records. Included
 * by OstrimMapDll.h; plain C99 and C++. */
#ifndef OSTRIM_MAP_DLL_PLATFORM_H
#define OSTRIM_MAP_DLL_PLATFORM_H

/* Exports use the callee-cleans convention where one exists (32-bit
 * Windows); everywhere else the platform's only C convention. */
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

#if defined(_WIN32)
#include <windows.h>
#else
/* Handle of a rendered image. On this platform it is the toolkit's native
 * image object, a GdkPixbuf*, owned by the library. */
typedef void* HBITMAP;
#endif

/* Compile-time check of a record's layout where the language has one (C++,
 * C11); C99 gets the same check through an array of negative size. */
#if defined(__cplusplus)
#define OSTRIM_LAYOUT_CHECK(name, condition) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define OSTRIM_LAYOUT_CHECK(name, condition) _Static_assert(condition, #name)
#else
#define OSTRIM_LAYOUT_CHECK(name, condition) typedef char OstrimLayoutCheck_##name[(condition) ? 1 : -1]
#endif

#endif
