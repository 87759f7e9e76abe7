#include "host/services/char_functions.h"

#include "os/unicode_locale_posix.h"

#include <locale.h>

#include <cctype>
#include <cwctype>

namespace skimmer::host::services {
// Without the C.UTF-8 tables (a libc that lacks them) only ASCII is classified; never guess beyond it.
bool LIsLower(char32_t ch) {
    if (locale_t loc = os::unicodeLocale()) return iswlower_l(static_cast<wint_t>(ch), loc) != 0;
    return ch < 0x80 && std::islower(static_cast<int>(ch));
}
bool LIsUpper(char32_t ch) {
    if (locale_t loc = os::unicodeLocale()) return iswupper_l(static_cast<wint_t>(ch), loc) != 0;
    return ch < 0x80 && std::isupper(static_cast<int>(ch));
}

bool LIsAlpha(char32_t ch) {
    if (locale_t loc = os::unicodeLocale()) return iswalpha_l(static_cast<wint_t>(ch), loc) != 0;
    return ch < 0x80 && std::isalpha(static_cast<int>(ch));
}

bool LIsAlphanum(char32_t ch) {
    if (locale_t loc = os::unicodeLocale()) return iswalnum_l(static_cast<wint_t>(ch), loc) != 0;
    return ch < 0x80 && std::isalnum(static_cast<int>(ch));
}

}  // namespace skimmer::host::services
