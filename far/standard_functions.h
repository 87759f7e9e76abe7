// FarStandardFunctions: the table of helper services (string, locale, key-name, path, clipboard,
// mask and file functions) that the host hands a plug-in through PluginStartupInfo::FSF.
//
// Contract:
// - Member order is FAR 1.70 build 2087's; on 32-bit Windows the table is its 228 bytes. Slots
//   40..75 are reserved there (a later FAR puts snprintf in the first); nothing may call them.
// - All services are FARAPI except sprintf, sscanf and the comparison callbacks (FARAPIV).
// - Character services (LIsAlpha, LUpper, ...) take a code point on Linux and an OEM character on
//   Windows. Strings are UTF-8 on Linux.
// - Services that write into a caller's buffer of unstated size (GetPathRoot, GetFileOwner,
//   MkTemp) require FAR_MAX_PATH bytes there; a host never writes more, truncating if it must.
// - PasteFromClipboard's result is freed with DeleteBuffer, never with free().
// Declares types and constants only.
#pragma once

#include <cstddef>

#include "far/calling.h"
#include "far/find_data.h"
#include "far/layout.h"
#include "far/win_types.h"

// ---- ProcessName ----
inline constexpr DWORD PN_CMPNAME = 0x00000000UL;      // p1 mask, p2 name: TRUE on a match
inline constexpr DWORD PN_CMPNAMELIST = 0x00001000UL;  // p1 comma-separated masks
inline constexpr DWORD PN_GENERATENAME = 0x00002000UL; // low byte: process only a prefix
inline constexpr DWORD PN_SKIPPATH = 0x00100000UL;     // modifier: ignore the path of p2

// ---- FarRecursiveSearch ----
inline constexpr DWORD FRS_RETUPDIR = 0x01;
inline constexpr DWORD FRS_RECUR = 0x02;
inline constexpr DWORD FRS_SCANSYMLINK = 0x04;

// ---- XLat ----
inline constexpr DWORD XLAT_SWITCHKEYBLAYOUT = 0x0001;
inline constexpr DWORD XLAT_SWITCHKEYBBEEP = 0x0002;

// ---- MkLink ----
inline constexpr DWORD FLINK_HARDLINK = 1;
inline constexpr DWORD FLINK_SYMLINK = 2;  // a directory junction
inline constexpr DWORD FLINK_VOLMOUNT = 3;
inline constexpr DWORD FLINK_SHOWERRMSG = 0x10000;
inline constexpr DWORD FLINK_DONOTUPDATEPANEL = 0x20000;

// ---- CharTable (PluginStartupInfo) ----
inline constexpr int FCT_DETECT = 0x40000000;

FAR_PACK_BEGIN

// A code page as FAR's character tables describe it (CharTable, XLat).
struct CharTableSet {
    unsigned char DecodeTable[256];
    unsigned char EncodeTable[256];
    unsigned char UpperTable[256];
    unsigned char LowerTable[256];
    char TableName[128];
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(CharTableSet) == 1152);
#endif

typedef int(FARAPIV* FARSTDCMP)(const void*, const void*);
typedef int(FARAPIV* FARSTDCMPEX)(const void*, const void*, void* userparam);
// Returns 0 to stop the scan. Gets the system's find data (on 32-bit Windows the natural 320-byte
// WIN32_FIND_DATAA, not FAR_FIND_DATA).
typedef int(FARAPI* FRSUSERFUNC)(const WIN32_FIND_DATAA* FData, const char* FullName, void* Param);

typedef int(FARAPI* FARSTDATOI)(const char* s);
typedef long long(FARAPI* FARSTDATOI64)(const char* s);
typedef char*(FARAPI* FARSTDITOA)(int value, char* string, int radix);
typedef char*(FARAPI* FARSTDITOA64)(long long value, char* string, int radix);
typedef int(FARAPIV* FARSTDSPRINTF)(char* buffer, const char* format, ...);
typedef int(FARAPIV* FARSTDSSCANF)(const char* s, const char* format, ...);
typedef void(FARAPI* FARSTDQSORT)(void* base, size_t nelem, size_t width, FARSTDCMP fcmp);
typedef void*(FARAPI* FARSTDBSEARCH)(const void* key, const void* base, size_t nelem, size_t width,
                                     FARSTDCMP fcmp);
typedef void(FARAPI* FARSTDQSORTEX)(void* base, size_t nelem, size_t width, FARSTDCMPEX fcmp,
                                    void* userparam);
typedef int(FARAPI* FARSTDLOCALISLOWER)(unsigned Ch);
typedef int(FARAPI* FARSTDLOCALISUPPER)(unsigned Ch);
typedef int(FARAPI* FARSTDLOCALISALPHA)(unsigned Ch);
typedef int(FARAPI* FARSTDLOCALISALPHANUM)(unsigned Ch);
typedef unsigned(FARAPI* FARSTDLOCALUPPER)(unsigned LowerChar);
typedef unsigned(FARAPI* FARSTDLOCALLOWER)(unsigned UpperChar);
typedef void(FARAPI* FARSTDLOCALUPPERBUF)(char* Buf, int Length);
typedef void(FARAPI* FARSTDLOCALLOWERBUF)(char* Buf, int Length);
typedef void(FARAPI* FARSTDLOCALSTRUPR)(char* s1);
typedef void(FARAPI* FARSTDLOCALSTRLWR)(char* s1);
typedef int(FARAPI* FARSTDLOCALSTRICMP)(const char* s1, const char* s2);
typedef int(FARAPI* FARSTDLOCALSTRNICMP)(const char* s1, const char* s2, int n);
typedef void(FARAPI* FARSTDUNQUOTE)(char* Str);
typedef DWORD(FARAPI* FARSTDEXPANDENVIRONMENTSTR)(const char* src, char* dst, size_t size);
typedef char*(FARAPI* FARSTDTRIM)(char* Str);  // LTrim, RTrim, Trim: return Str
typedef char*(FARAPI* FARSTDTRUNCSTR)(char* Str, int MaxLength);
typedef char*(FARAPI* FARSTDTRUNCPATHSTR)(char* Str, int MaxLength);
typedef char*(FARAPI* FARSTDQUOTESPACEONLY)(char* Str);
typedef char*(FARAPI* FARSTDPOINTTONAME)(const char* Path);
typedef void(FARAPI* FARSTDGETPATHROOT)(const char* Path, char* Root);
typedef BOOL(FARAPI* FARSTDADDENDSLASH)(char* Path);
typedef int(FARAPI* FARSTDCOPYTOCLIPBOARD)(const char* Data);
typedef char*(FARAPI* FARSTDPASTEFROMCLIPBOARD)();
typedef BOOL(FARAPI* FARSTDKEYTOKEYNAME)(int Key, char* KeyText, int Size);
typedef int(FARAPI* FARSTDKEYNAMETOKEY)(const char* Name);  // -1 for an unknown name
typedef int(FARAPI* FARSTDINPUTRECORDTOKEY)(const INPUT_RECORD* Rec);
typedef char*(FARAPI* FARSTDXLAT)(char* Line, int StartPos, int EndPos, const CharTableSet* TableSet,
                                  DWORD Flags);
typedef int(FARAPI* FARSTDGETFILEOWNER)(const char* Computer, const char* Name, char* Owner);
typedef int(FARAPI* FARSTDGETNUMBEROFLINKS)(const char* Name);
typedef void(FARAPI* FARSTDRECURSIVESEARCH)(const char* InitDir, const char* Mask, FRSUSERFUNC Func,
                                            DWORD Flags, void* Param);
typedef char*(FARAPI* FARSTDMKTEMP)(char* Dest, const char* Prefix);
typedef void(FARAPI* FARSTDDELETEBUFFER)(char* Buffer);
typedef int(FARAPI* FARSTDPROCESSNAME)(const char* param1, char* param2, DWORD flags);
typedef int(FARAPI* FARSTDMKLINK)(const char* Src, const char* Dest, DWORD Flags);
typedef int(FARAPI* FARCONVERTNAMETOREAL)(const char* Src, char* Dest, int DestSize);
typedef int(FARAPI* FARGETREPARSEPOINTINFO)(const char* Src, char* Dest, int DestSize);

FAR_PACK_BEGIN

struct FarStandardFunctions {
    int StructSize;

    FARSTDATOI atoi;
    FARSTDATOI64 atoi64;
    FARSTDITOA itoa;
    FARSTDITOA64 itoa64;
    FARSTDSPRINTF sprintf;
    FARSTDSSCANF sscanf;
    FARSTDQSORT qsort;
    FARSTDBSEARCH bsearch;
    FARSTDQSORTEX qsortex;

    DWORD_PTR Reserved[9];

    FARSTDLOCALISLOWER LIsLower;
    FARSTDLOCALISUPPER LIsUpper;
    FARSTDLOCALISALPHA LIsAlpha;
    FARSTDLOCALISALPHANUM LIsAlphanum;
    FARSTDLOCALUPPER LUpper;
    FARSTDLOCALLOWER LLower;
    FARSTDLOCALUPPERBUF LUpperBuf;
    FARSTDLOCALLOWERBUF LLowerBuf;
    FARSTDLOCALSTRUPR LStrupr;
    FARSTDLOCALSTRLWR LStrlwr;
    FARSTDLOCALSTRICMP LStricmp;
    FARSTDLOCALSTRNICMP LStrnicmp;

    FARSTDUNQUOTE Unquote;
    FARSTDEXPANDENVIRONMENTSTR ExpandEnvironmentStr;
    FARSTDTRIM LTrim;
    FARSTDTRIM RTrim;
    FARSTDTRIM Trim;
    FARSTDTRUNCSTR TruncStr;
    FARSTDTRUNCPATHSTR TruncPathStr;
    FARSTDQUOTESPACEONLY QuoteSpaceOnly;
    FARSTDPOINTTONAME PointToName;
    FARSTDGETPATHROOT GetPathRoot;
    FARSTDADDENDSLASH AddEndSlash;
    FARSTDCOPYTOCLIPBOARD CopyToClipboard;
    FARSTDPASTEFROMCLIPBOARD PasteFromClipboard;
    FARSTDKEYTOKEYNAME FarKeyToName;
    FARSTDKEYNAMETOKEY FarNameToKey;
    FARSTDINPUTRECORDTOKEY FarInputRecordToKey;
    FARSTDXLAT XLat;
    FARSTDGETFILEOWNER GetFileOwner;
    FARSTDGETNUMBEROFLINKS GetNumberOfLinks;
    FARSTDRECURSIVESEARCH FarRecursiveSearch;
    FARSTDMKTEMP MkTemp;
    FARSTDDELETEBUFFER DeleteBuffer;
    FARSTDPROCESSNAME ProcessName;
    FARSTDMKLINK MkLink;
    FARCONVERTNAMETOREAL ConvertNameToReal;
    FARGETREPARSEPOINTINFO GetReparsePointInfo;
};

FAR_PACK_END

#if FAR_LAYOUT_170
static_assert(sizeof(FarStandardFunctions) == 228);
static_assert(offsetof(FarStandardFunctions, qsortex) == 36);
static_assert(offsetof(FarStandardFunctions, Reserved) == 40);
static_assert(offsetof(FarStandardFunctions, LIsLower) == 76);
static_assert(offsetof(FarStandardFunctions, LStrnicmp) == 120);
static_assert(offsetof(FarStandardFunctions, Unquote) == 124);
static_assert(offsetof(FarStandardFunctions, FarKeyToName) == 176);
static_assert(offsetof(FarStandardFunctions, XLat) == 188);
static_assert(offsetof(FarStandardFunctions, ProcessName) == 212);
static_assert(offsetof(FarStandardFunctions, GetReparsePointInfo) == 224);
#endif
