// How the host and a plug-in module call each other across the FAR 1.70 seam.
//
// Contract: `FARAPI` is the calling convention of every exported entry point and every service
// pointer (stdcall on Windows, the platform's only convention on Linux); `FARAPIV` marks the few
// variadic services and the qsort/bsearch comparison callbacks, which are cdecl on Windows.
// `FAR_EXPORT` makes an entry point visible under its plain C name. Nothing else lives here.
#pragma once

#if defined(_WIN32)
#define FARAPI __stdcall
#define FARAPIV __cdecl
// A stdcall export is decorated (_SetStartupInfo@4) unless the link removes the suffix
// (`-Wl,--kill-at` or a .def file); FAR looks the entry points up by their plain names.
#define FAR_EXPORT extern "C" __declspec(dllexport)
#else
#define FARAPI
#define FARAPIV
// Marks an entry point visible even when the module is built with -fvisibility=hidden (which it
// should be, so that two loaded modules never bind to each other's internal symbols).
#define FAR_EXPORT extern "C" __attribute__((visibility("default")))
#endif
