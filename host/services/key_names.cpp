#include "host/services/key_names.h"

#include <array>

#include "far/keys.h"
#include "host/services/char_functions.h"
#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::services {
namespace {

struct Named {
    std::string_view name;
    int key;
};

// FAR's spelling of every non-character key (and of the characters a macro text cannot write
// bare). The first entry of a key is the name it is written with.
constexpr std::array kNames = {
    Named{"BS", KEY_BS},           Named{"Tab", KEY_TAB},           Named{"Enter", KEY_ENTER},
    Named{"Esc", KEY_ESC},         Named{"Space", KEY_SPACE},       Named{"Break", KEY_BREAK},
    Named{"PgUp", KEY_PGUP},       Named{"PgDn", KEY_PGDN},         Named{"End", KEY_END},
    Named{"Home", KEY_HOME},       Named{"Left", KEY_LEFT},         Named{"Up", KEY_UP},
    Named{"Right", KEY_RIGHT},     Named{"Down", KEY_DOWN},         Named{"Ins", KEY_INS},
    Named{"Del", KEY_DEL},         Named{"LWin", KEY_LWIN},         Named{"RWin", KEY_RWIN},
    Named{"Apps", KEY_APPS},       Named{"Num0", KEY_NUMPAD0},      Named{"Num1", KEY_NUMPAD1},
    Named{"Num2", KEY_NUMPAD2},    Named{"Num3", KEY_NUMPAD3},      Named{"Num4", KEY_NUMPAD4},
    Named{"Clear", KEY_NUMPAD5},   Named{"Num5", KEY_NUMPAD5},      Named{"Num6", KEY_NUMPAD6},
    Named{"Num7", KEY_NUMPAD7},    Named{"Num8", KEY_NUMPAD8},      Named{"Num9", KEY_NUMPAD9},
    Named{"Multiply", KEY_MULTIPLY}, Named{"Add", KEY_ADD},         Named{"Subtract", KEY_SUBTRACT},
    Named{"Divide", KEY_DIVIDE},   Named{"F1", KEY_F1},             Named{"F2", KEY_F2},
    Named{"F3", KEY_F3},           Named{"F4", KEY_F4},             Named{"F5", KEY_F5},
    Named{"F6", KEY_F6},           Named{"F7", KEY_F7},             Named{"F8", KEY_F8},
    Named{"F9", KEY_F9},           Named{"F10", KEY_F10},           Named{"F11", KEY_F11},
    Named{"F12", KEY_F12},         Named{"F13", KEY_F13},           Named{"F14", KEY_F14},
    Named{"F15", KEY_F15},         Named{"F16", KEY_F16},           Named{"F17", KEY_F17},
    Named{"F18", KEY_F18},         Named{"F19", KEY_F19},           Named{"F20", KEY_F20},
    Named{"F21", KEY_F21},         Named{"F22", KEY_F22},           Named{"F23", KEY_F23},
    Named{"F24", KEY_F24},         Named{"MsWheelUp", KEY_MSWHEEL_UP}, Named{"MsWheelDown", KEY_MSWHEEL_DOWN},
    Named{"Bracket", KEY_BRACKET}, Named{"BackBracket", KEY_BACKBRACKET}, Named{"Comma", KEY_COMMA},
    Named{"Quote", KEY_QUOTE},     Named{"Dot", KEY_DOT},           Named{"Slash", KEY_SLASH},
    Named{"Colon", KEY_COLON},     Named{"BackSlash", KEY_BACKSLASH},
};

struct Modifier {
    std::string_view name;
    int bit;
};
// RCtrl and RAlt before Ctrl and Alt would not matter for prefixes, but the written order is FAR's.
constexpr std::array kModifiers = {Modifier{"RCtrl", KEY_RCTRL}, Modifier{"RAlt", KEY_RALT},
                                   Modifier{"Ctrl", KEY_CTRL},   Modifier{"Alt", KEY_ALT},
                                   Modifier{"Shift", KEY_SHIFT}};

// One whole code point, or none.
std::optional<char32_t> singleCharacter(std::string_view s) {
    if (s.empty()) return std::nullopt;
    auto step = term::decodeUtf8(s, 0);
    if (!step.valid || step.length != s.size() || step.cp < 0x20 || step.cp == 0x7F) return std::nullopt;
    return step.cp;
}

std::optional<int> baseKey(std::string_view base, int modifiers) {
    for (const auto& n : kNames) {
        if (os::equalsAsciiCaseless(base, n.name)) return n.key;
    }
    auto ch = singleCharacter(base);
    if (!ch) return std::nullopt;
    bool upper = (modifiers & (KEY_CTRL | KEY_ALT | KEY_RCTRL | KEY_RALT)) != 0;
    return static_cast<int>(upper ? LUpper(*ch) : *ch);
}

}  // namespace

std::optional<int> nameToKey(std::string_view name) {
    int modifiers = 0;
    for (bool found = true; found && !name.empty();) {
        found = false;
        for (const auto& m : kModifiers) {
            if (name.size() > m.name.size() && os::equalsAsciiCaseless(name.substr(0, m.name.size()), m.name)) {
                if (modifiers & m.bit) return std::nullopt;  // "CtrlCtrlA"
                modifiers |= m.bit;
                name.remove_prefix(m.name.size());
                found = true;
                break;
            }
        }
    }
    auto base = baseKey(name, modifiers);
    if (!base) return std::nullopt;
    return modifiers | *base;
}

std::optional<std::string> keyToName(int key) {
    std::string out;
    for (int bit : {KEY_CTRL, KEY_RCTRL, KEY_ALT, KEY_RALT, KEY_SHIFT}) {
        if (!(key & bit)) continue;
        for (const auto& m : kModifiers) {
            if (m.bit == bit) out += m.name;
        }
    }
    int rest = skimmer::farapi::keyModifiers(key) & ~(KEY_CTRL | KEY_RCTRL | KEY_ALT | KEY_RALT | KEY_SHIFT);
    if (rest != 0) return std::nullopt;
    int base = skimmer::farapi::keyBase(key);
    if (base == ' ') return out + "Space";
    for (const auto& n : kNames) {
        if (n.key == base && n.key >= skimmer::farapi::kSpecialKeyBase) return out + std::string(n.name);
    }
    if (!skimmer::farapi::isCharacterKey(key) || base > 0x10FFFF || (base >= 0xD800 && base <= 0xDFFF))
        return std::nullopt;
    term::appendUtf8(out, static_cast<char32_t>(base));
    return out;
}

}  // namespace skimmer::host::services
