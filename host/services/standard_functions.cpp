#include "host/services/standard_functions.h"

#include <cstring>
#include <string>

#include "host/service_guard.h"
#include "host/services/char_functions.h"
#include "host/services/key_names.h"
#include "host/services/name_mask.h"
#include "host/services/runtime_functions.h"
#include "host/services/xlat.h"

namespace skimmer::host::services {
namespace {

int FARAPI isLower(unsigned ch) { return LIsLower(ch) ? TRUE : FALSE; }
int FARAPI isUpper(unsigned ch) { return LIsUpper(ch) ? TRUE : FALSE; }
int FARAPI isAlpha(unsigned ch) { return LIsAlpha(ch) ? TRUE : FALSE; }
int FARAPI isAlphanum(unsigned ch) { return LIsAlphanum(ch) ? TRUE : FALSE; }
unsigned FARAPI upper(unsigned ch) { return LUpper(ch); }
unsigned FARAPI lower(unsigned ch) { return LLower(ch); }
void FARAPI upperBuf(char* buf, int len) { guardedService([&] { LUpperBuf(buf, len); }); }
void FARAPI lowerBuf(char* buf, int len) { guardedService([&] { LLowerBuf(buf, len); }); }
void FARAPI strupr(char* s) { guardedService([&] { LStrupr(s); }); }
void FARAPI strlwr(char* s) { guardedService([&] { LStrlwr(s); }); }

int FARAPI stricmp(const char* a, const char* b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    return LStricmp(a, b);
}

int FARAPI strnicmp(const char* a, const char* b, int n) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    return LStrnicmp(a, b, n);
}

int FARAPI farNameToKey(const char* name) {
    return guardedService(-1, [&] { return name ? nameToKey(name).value_or(-1) : -1; });
}

BOOL FARAPI farKeyToName(int key, char* text, int size) {
    return guardedService<BOOL>(FALSE, [&]() -> BOOL {
        auto name = keyToName(key);
        if (!name || !text || size <= 0 || name->size() >= static_cast<size_t>(size)) return FALSE;
        std::memcpy(text, name->c_str(), name->size() + 1);
        return TRUE;
    });
}

char* FARAPI xlat(char* line, int start, int end, const CharTableSet*, DWORD) {
    return guardedService<char*>(line, [&] {
        if (!line) return line;
        std::string converted = xlatRange(line, start, end, false);
        std::memcpy(line, converted.c_str(), converted.size() + 1);  // never longer than before
        return line;
    });
}

}  // namespace

int FARAPI ProcessName(const char* param1, char* param2, DWORD flags) {
    return guardedService(FALSE, [&]() -> int {
        if (!param1 || !param2) return FALSE;
        bool skipPath = (flags & PN_SKIPPATH) != 0;
        if (flags & PN_GENERATENAME) {
            std::string_view source = skipPath ? nameOfPath(param1) : std::string_view(param1);
            std::string result = generateName(source, param2, flags & 0xFF);
            if (result.size() >= FAR_MAX_PATH) return FALSE;  // never a cut name
            std::memcpy(param2, result.c_str(), result.size() + 1);
            return TRUE;
        }
        std::string_view name = skipPath ? nameOfPath(param2) : std::string_view(param2);
        bool match = (flags & PN_CMPNAMELIST) ? matchMaskList(param1, name) : matchMask(param1, name);
        return match ? TRUE : FALSE;
    });
}

void fillStandardFunctions(FarStandardFunctions& fsf) {
    fsf.LIsLower = isLower;
    fsf.LIsUpper = isUpper;
    fsf.LIsAlpha = isAlpha;
    fsf.LIsAlphanum = isAlphanum;
    fsf.LUpper = upper;
    fsf.LLower = lower;
    fsf.LUpperBuf = upperBuf;
    fsf.LLowerBuf = lowerBuf;
    fsf.LStrupr = strupr;
    fsf.LStrlwr = strlwr;
    fsf.LStricmp = stricmp;
    fsf.LStrnicmp = strnicmp;
    fsf.FarKeyToName = farKeyToName;
    fsf.FarNameToKey = farNameToKey;
    fsf.XLat = xlat;
    fsf.ProcessName = ProcessName;
}

FarStandardFunctions makeStandardFunctions() {
    FarStandardFunctions f{};
    f.StructSize = sizeof f;
    fillStandardFunctions(f);
    fillRuntimeFunctions(f);
    return f;
}

}  // namespace skimmer::host::services
