#include "host/ui/hotkey_text.h"

#include <cwctype>
#include <locale>

#include "host/term/text_width.h"

namespace skimmer::host::ui {

namespace {

// The fold must not depend on the process locale (tests run under "C"), so it asks a UTF-8 locale
// of its own, and falls back to ASCII when none is installed.
const std::ctype<wchar_t>* utf8Ctype() {
    static const std::ctype<wchar_t>* facet = [] () -> const std::ctype<wchar_t>* {
        try {
            static const std::locale loc("C.UTF-8");
            return &std::use_facet<std::ctype<wchar_t>>(loc);
        } catch (const std::exception&) {
            return nullptr;
        }
    }();
    return facet;
}

}  // namespace

char32_t foldKey(char32_t cp) {
    if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
    const auto* facet = utf8Ctype();
    return facet ? static_cast<char32_t>(facet->toupper(static_cast<wchar_t>(cp))) : cp;
}

HotkeyText parseHotkey(std::string_view label, bool showAmpersand) {
    HotkeyText out;
    if (showAmpersand) {
        out.before = std::string(label);
        return out;
    }
    std::string* target = &out.before;
    for (size_t i = 0; i < label.size();) {
        if (label[i] != '&' || i + 1 >= label.size()) {
            target->push_back(label[i++]);
            continue;
        }
        if (label[i + 1] == '&') {
            target->push_back('&');
            i += 2;
            continue;
        }
        if (out.key != 0) {  // only the first mark counts; later ones are dropped like FAR does
            ++i;
            continue;
        }
        auto step = term::decodeUtf8(label, i + 1);
        out.hot = std::string(label.substr(i + 1, step.length));
        out.key = foldKey(step.cp);
        target = &out.after;
        i += 1 + step.length;
    }
    return out;
}

}  // namespace skimmer::host::ui
