// glibc's width tables through a private C.UTF-8 locale object, switched in per call with
// uselocale() (a thread-local swap), so neither the process locale nor another thread matters.
#include "os/cell_width.h"

#include "os/unicode_locale_posix.h"

#include <clocale>
#include <cwchar>
#include <locale.h>


namespace skimmer::os {
int unicodeWidth(char32_t cp) {
    locale_t loc = unicodeLocale();
    if (loc == locale_t(nullptr)) return 1;  // no UTF-8 locale at all: everything counts as narrow
    locale_t previous = uselocale(loc);
    const int w = wcwidth(static_cast<wchar_t>(cp));
    uselocale(previous);
    return w;
}

int cellWidth(char32_t cp) {
    if (cp < 0x1100) return 1;  // nothing below the Hangul Jamo block is wide
    return unicodeWidth(cp) == 2 ? 2 : 1;
}

}  // namespace skimmer::os
