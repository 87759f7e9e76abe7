#include "host/ui/hotkey_text.h"

#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::ui {

// The upper case LUpper gives, so the host's menus and the plug-in's lists agree on hot keys.
char32_t foldKey(char32_t cp) { return os::upperCase(cp); }

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
