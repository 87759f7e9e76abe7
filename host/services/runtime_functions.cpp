#include "host/services/runtime_functions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "far/keys.h"

#include "host/services/file_functions.h"
#include "host/services/standard_functions.h"
#include "host/term/text_width.h"

namespace skimmer::host::services {
namespace {

std::mutex gClipboardMutex;  // plug-in threads may copy while the UI thread pastes
std::string gClipboard;

int FARAPI atoiSlot(const char* s) { return s ? static_cast<int>(std::strtol(s, nullptr, 10)) : 0; }
long long FARAPI atoi64Slot(const char* s) { return s ? std::strtoll(s, nullptr, 10) : 0; }

char* toRadix(long long value, char* out, int radix) {
    if (out == nullptr) return nullptr;
    if (radix < 2 || radix > 36) radix = 10;
    char digits[72];
    int n = 0;
    const bool negative = value < 0 && radix == 10;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = "0123456789abcdefghijklmnopqrstuvwxyz"[v % static_cast<unsigned>(radix)];
        v /= static_cast<unsigned>(radix);
    } while (v != 0);
    char* p = out;
    if (negative) *p++ = '-';
    while (n > 0) *p++ = digits[--n];
    *p = '\0';
    return out;
}
char* FARAPI itoaSlot(int value, char* out, int radix) { return toRadix(value, out, radix); }
char* FARAPI itoa64Slot(long long value, char* out, int radix) { return toRadix(value, out, radix); }

void FARAPI qsortSlot(void* base, size_t n, size_t width, FARSTDCMP cmp) {
    if (base && cmp) std::qsort(base, n, width, cmp);
}
void* FARAPI bsearchSlot(const void* key, const void* base, size_t n, size_t width, FARSTDCMP cmp) {
    return (key && base && cmp) ? std::bsearch(key, base, n, width, cmp) : nullptr;
}
// Sorted through an index, since the C libraries disagree on qsort_r (glibc's argument order,
// none at all in Windows' msvcrt). stable_sort merges and never runs past the ends, even with a
// plug-in's comparator that is not a strict order.
void FARAPI qsortexSlot(void* base, size_t n, size_t width, FARSTDCMPEX cmp, void* user) {
    if (base == nullptr || cmp == nullptr || n < 2 || width == 0) return;
    auto* bytes = static_cast<char*>(base);
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return cmp(bytes + a * width, bytes + b * width, user) < 0; });
    std::vector<char> sorted(n * width);
    for (size_t i = 0; i < n; ++i) std::memcpy(sorted.data() + i * width, bytes + order[i] * width, width);
    std::memcpy(bytes, sorted.data(), sorted.size());
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char* FARAPI ltrimSlot(char* s) {
    if (s == nullptr) return s;
    size_t skip = 0;
    while (isBlank(s[skip])) ++skip;
    std::memmove(s, s + skip, std::strlen(s + skip) + 1);
    return s;
}
char* FARAPI rtrimSlot(char* s) {
    if (s == nullptr) return s;
    size_t n = std::strlen(s);
    while (n > 0 && isBlank(s[n - 1])) s[--n] = '\0';
    return s;
}
char* FARAPI trimSlot(char* s) { return ltrimSlot(rtrimSlot(s)); }

void FARAPI unquoteSlot(char* s) {
    if (s == nullptr) return;
    char* out = s;
    for (char* in = s; *in; ++in)
        if (*in != '"') *out++ = *in;
    *out = '\0';
}

// Byte offsets of the code points of `s`.
std::vector<size_t> codePointStarts(std::string_view s) {
    std::vector<size_t> starts;
    for (size_t pos = 0; pos < s.size(); pos += term::decodeUtf8(s, pos).length) starts.push_back(pos);
    return starts;
}

// "...tail" keeping the last code points, as FAR's TruncStr does.
char* FARAPI truncStrSlot(char* s, int maxLength) {
    if (s == nullptr || maxLength < 0) return s;
    const std::string_view text(s);
    const auto starts = codePointStarts(text);
    if (static_cast<int>(starts.size()) <= maxLength) return s;
    const int keep = std::max(0, maxLength - 3);
    const std::string result = std::string(static_cast<size_t>(std::min(maxLength, 3)), '.') +
                               std::string(text.substr(keep == 0 ? text.size() : starts[starts.size() - keep]));
    std::memcpy(s, result.c_str(), result.size() + 1);  // never longer than the original
    return s;
}

// Keeps the root folder and the end of the path: "/home/.../deep/file".
char* FARAPI truncPathStrSlot(char* s, int maxLength) {
    if (s == nullptr || maxLength < 0) return s;
    const std::string_view text(s);
    const auto starts = codePointStarts(text);
    if (static_cast<int>(starts.size()) <= maxLength) return s;
    const size_t rootEnd = text.find('/', 1);
    const size_t rootPoints = rootEnd == std::string_view::npos ? 0 : codePointStarts(text.substr(0, rootEnd + 1)).size();
    if (rootPoints == 0 || static_cast<int>(rootPoints) + 4 > maxLength) return truncStrSlot(s, maxLength);
    const int tail = maxLength - static_cast<int>(rootPoints) - 3;
    const std::string result =
        std::string(text.substr(0, rootEnd + 1)) + "..." + std::string(text.substr(starts[starts.size() - tail]));
    std::memcpy(s, result.c_str(), result.size() + 1);
    return s;
}

char* FARAPI quoteSpaceOnlySlot(char* s) {
    if (s == nullptr || std::strchr(s, ' ') == nullptr) return s;
    const size_t n = std::strlen(s);
    std::memmove(s + 1, s, n);
    s[0] = '"';
    s[n + 1] = '"';
    s[n + 2] = '\0';
    return s;
}

char* FARAPI pointToNameSlot(const char* path) {
    if (path == nullptr) return nullptr;
    const char* slash = std::strrchr(path, '/');
    return const_cast<char*>(slash ? slash + 1 : path);
}

void FARAPI getPathRootSlot(const char* path, char* root) {
    if (root == nullptr) return;
    std::strcpy(root, (path && path[0] == '/') ? "/" : "");
}

BOOL FARAPI addEndSlashSlot(char* path) {
    if (path == nullptr) return FALSE;
    const size_t n = std::strlen(path);
    if (n == 0 || path[n - 1] != '/') {
        path[n] = '/';
        path[n + 1] = '\0';
    }
    return TRUE;
}

DWORD FARAPI expandEnvironmentSlot(const char* src, char* dst, size_t size) {
    if (src == nullptr) return 0;
    std::string out;
    for (const char* p = src; *p;) {
        const char* end = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
        if (end != nullptr && end > p + 1) {
            const std::string name(p + 1, end);
            if (const char* value = std::getenv(name.c_str())) {
                out += value;
                p = end + 1;
                continue;
            }
        }
        out += *p++;
    }
    if (dst != nullptr && size > 0) {
        const size_t n = std::min(out.size(), size - 1);
        std::memcpy(dst, out.data(), n);
        dst[n] = '\0';
    }
    return static_cast<DWORD>(out.size() + 1);
}

int FARAPI copyToClipboardSlot(const char* data) {
    std::lock_guard lock(gClipboardMutex);
    gClipboard = data ? data : "";
    return TRUE;
}

char* FARAPI pasteFromClipboardSlot() {
    std::lock_guard lock(gClipboardMutex);
    if (gClipboard.empty()) return nullptr;
    char* copy = new char[gClipboard.size() + 1];
    std::memcpy(copy, gClipboard.c_str(), gClipboard.size() + 1);
    return copy;
}

void FARAPI deleteBufferSlot(char* buffer) { delete[] buffer; }

// Console input records do not exist here; no record maps to a key.
int FARAPI inputRecordToKeySlot(const INPUT_RECORD*) { return KEY_NONE; }

}  // namespace

std::string clipboardText() {
    std::lock_guard lock(gClipboardMutex);
    return gClipboard;
}

void fillRuntimeFunctions(FarStandardFunctions& f) {
    f.atoi = atoiSlot;
    f.atoi64 = atoi64Slot;
    f.itoa = itoaSlot;
    f.itoa64 = itoa64Slot;
    f.sprintf = std::sprintf;
    f.sscanf = std::sscanf;
    f.qsort = qsortSlot;
    f.bsearch = bsearchSlot;
    f.qsortex = qsortexSlot;
    f.Unquote = unquoteSlot;
    f.ExpandEnvironmentStr = expandEnvironmentSlot;
    f.LTrim = ltrimSlot;
    f.RTrim = rtrimSlot;
    f.Trim = trimSlot;
    f.TruncStr = truncStrSlot;
    f.TruncPathStr = truncPathStrSlot;
    f.QuoteSpaceOnly = quoteSpaceOnlySlot;
    f.PointToName = pointToNameSlot;
    f.GetPathRoot = getPathRootSlot;
    f.AddEndSlash = addEndSlashSlot;
    f.CopyToClipboard = copyToClipboardSlot;
    f.PasteFromClipboard = pasteFromClipboardSlot;
    f.FarInputRecordToKey = inputRecordToKeySlot;
    f.DeleteBuffer = deleteBufferSlot;
    fillFileFunctions(f);  // the slots that ask the file system, one file per system
}

}  // namespace skimmer::host::services
