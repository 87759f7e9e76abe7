#include "os/utf8.h"

#include "os/unicode_locale_posix.h"

#include <locale.h>
#include <wctype.h>

namespace skimmer::os {
namespace {

constexpr bool isScalar(char32_t cp) { return cp <= kMaxCodePoint && !(cp >= 0xD800 && cp <= 0xDFFF); }

}  // namespace

// `map` (towupper_l or towlower_l) in the private locale, for what lies beyond ASCII.
template <typename Map>
char32_t mapBeyondAscii(char32_t cp, Map map) {
    const locale_t locale = unicodeLocale();
    if (locale == static_cast<locale_t>(0) || !isScalar(cp)) return cp;
    const auto mapped = static_cast<char32_t>(map(static_cast<wint_t>(cp), locale));
    return isScalar(mapped) ? mapped : cp;
}

char32_t upperCase(char32_t cp) {
    if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp;
    return mapBeyondAscii(cp, towupper_l);
}

char32_t lowerCase(char32_t cp) {
    if (cp < 0x80) return static_cast<char32_t>(asciiLower(static_cast<char>(cp)));
    return mapBeyondAscii(cp, towlower_l);
}

}  // namespace skimmer::os
