#include "host/services/char_functions.h"

#include <cwctype>

namespace skimmer::host::services {
namespace {

// The C runtime classifies one UTF-16 unit by the system's Unicode tables; a code point beyond
// the Basic Multilingual Plane has no unit of its own and is classified as nothing.
bool classify(char32_t ch, int (*test)(wint_t)) { return ch <= 0xFFFF && test(static_cast<wint_t>(ch)) != 0; }

}  // namespace

bool LIsLower(char32_t ch) { return classify(ch, [](wint_t c) { return std::iswlower(c); }); }
bool LIsUpper(char32_t ch) { return classify(ch, [](wint_t c) { return std::iswupper(c); }); }
bool LIsAlpha(char32_t ch) { return classify(ch, [](wint_t c) { return std::iswalpha(c); }); }
bool LIsAlphanum(char32_t ch) { return classify(ch, [](wint_t c) { return std::iswalnum(c); }); }

}  // namespace skimmer::host::services
