// Which memory layout the FAR 1.70 structures take on this target, and the one buffer size that
// differs between targets.
//
// Contract:
// - On 32-bit Windows (`FAR_LAYOUT_170` is 1) every structure of the seam is FAR 1.70's byte for
//   byte: the structure headers open a 2-byte packing region with `FAR_PACK_BEGIN` and guard their
//   sizes with static_assert. A real FAR 1.70 can load the module and the host can load a real
//   plug-in.
// - Elsewhere (`FAR_LAYOUT_170` is 0) member order and meaning are FAR's, alignment is natural,
//   pointers are the platform's, and every MAX_PATH-sized name buffer holds `FAR_MAX_PATH` bytes,
//   so that a deep path is never cut. No binary compatibility with FAR is claimed there.
#pragma once

#include <cstddef>  // offsetof, for the layout guards of the structure headers

#if defined(_WIN32) && !defined(_WIN64)
#define FAR_LAYOUT_170 1
#define FAR_PACK_BEGIN _Pragma("pack(push, 2)")
#define FAR_PACK_END _Pragma("pack(pop)")
#else
#define FAR_LAYOUT_170 0
#define FAR_PACK_BEGIN
#define FAR_PACK_END
#endif

#if FAR_LAYOUT_170
// FAR 1.70's NM: the size of every file-name and path buffer of the interface.
#define FAR_MAX_PATH 260
#else
// PATH_MAX on Linux: a path that the kernel accepts always fits, with its terminating NUL.
#define FAR_MAX_PATH 4096
#endif

// FAR's own name for the path buffer size (a constant, not a macro: two letters are too easily hit).
inline constexpr int NM = FAR_MAX_PATH;
