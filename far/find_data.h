// FAR_FIND_DATA: one directory entry as the FAR 1.70 interface carries it (inside PluginPanelItem
// and in the recursive-search callback).
//
// Contract: the members and their order are those of WIN32_FIND_DATAA. On 32-bit Windows it is
// declared inside the 2-byte packing region and is 318 bytes, as FAR 1.70 plug-ins expect (the
// system's own WIN32_FIND_DATAA, naturally aligned, is 320). Elsewhere the name buffer holds
// FAR_MAX_PATH bytes; on Linux WIN32_FIND_DATA(A) name this same structure, since there is no
// second layout to tell apart (64-bit Windows keeps the system's own). File names are bytes, NUL-terminated; on Linux they are the file
// system's own bytes (not necessarily valid UTF-8).
#pragma once

#include "far/layout.h"
#include "far/win_types.h"

FAR_PACK_BEGIN

struct FAR_FIND_DATA {
    DWORD dwFileAttributes;  // FILE_ATTRIBUTE_*
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[FAR_MAX_PATH];
    CHAR cAlternateFileName[14];  // the 8.3 short name; empty where the system has none
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(FAR_FIND_DATA) == 318);
static_assert(offsetof(FAR_FIND_DATA, cFileName) == 44);
static_assert(offsetof(FAR_FIND_DATA, cAlternateFileName) == 304);
#elif !defined(_WIN32)
typedef FAR_FIND_DATA WIN32_FIND_DATAA;
typedef FAR_FIND_DATA WIN32_FIND_DATA;
#endif
