#include "os/unicode_locale_posix.h"

namespace skimmer::os {
namespace {

// Set when the locale is freed: code that runs later (another static's destructor) gets null, and
// with it the ASCII-only answers, instead of a freed object. Trivially destructible, so still
// readable then.
bool localeGone = false;

class OwnedLocale {
public:
    OwnedLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr))) {
        if (locale_ == locale_t(nullptr)) locale_ = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", locale_t(nullptr));
    }
    ~OwnedLocale() {
        localeGone = true;
        if (locale_ != locale_t(nullptr)) freelocale(locale_);
    }
    OwnedLocale(const OwnedLocale&) = delete;
    OwnedLocale& operator=(const OwnedLocale&) = delete;
    locale_t get() const { return locale_; }

private:
    locale_t locale_;
};

}  // namespace

locale_t unicodeLocale() {
    if (localeGone) return locale_t(nullptr);
    static const OwnedLocale locale;
    return locale.get();
}

}  // namespace skimmer::os
