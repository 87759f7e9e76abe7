#include "index/query/find_bytes.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace skimmer::index::query {

const char* findBytes(std::string_view text, std::string_view word) {
    const size_t n = word.size();
    if (n == 0 || n > text.size()) return nullptr;
    if (n == 1) return static_cast<const char*>(std::memchr(text.data(), word[0], text.size()));
    const char* at = text.data();
    const char* const last = text.data() + (text.size() - n);  // the last position the word fits at
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(word[0]);
    const __m128i final = _mm_set1_epi8(word[n - 1]);
    for (; at + 15 <= last; at += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + n - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        for (; mask != 0; mask &= mask - 1) {
            const char* candidate = at + __builtin_ctz(mask);
            if (std::memcmp(candidate + 1, word.data() + 1, n - 2) == 0) return candidate;
        }
    }
#endif
    for (; at <= last; ++at)
        if (*at == word[0] && std::memcmp(at + 1, word.data() + 1, n - 1) == 0) return at;
    return nullptr;
}

}  // namespace skimmer::index::query
