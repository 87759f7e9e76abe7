// Decoding rules live here in one small function per family of sequences; the tables name the
// encodings xterm, the Linux console, rxvt-style Alt prefixes, modifyOtherKeys and kitty send.
#include "host/term/input_decoder.h"

#include <algorithm>
#include <optional>

#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::term {
namespace {

constexpr char kEsc = '\x1B';
constexpr std::string_view kPasteEnd = "\x1B[201~";

key::Code withModifiers(key::Code base, int bits) {
    if (bits & 1) base |= key::kShift;
    if (bits & (2 | 8)) base |= key::kAlt;
    if (bits & 4) base |= key::kCtrl;
    return base;
}

// Final byte of CSI/SS3 sequences without a number: arrows, Home/End, F1..F4, Shift+Tab.
std::optional<key::Code> letterKey(char final) {
    switch (final) {
        case 'A': return key::UP;
        case 'B': return key::DOWN;
        case 'C': return key::RIGHT;
        case 'D': return key::LEFT;
        case 'H': return key::HOME;
        case 'F': return key::END;
        case 'E': return key::CLEAR;
        case 'P': return key::F(1);
        case 'Q': return key::F(2);
        case 'R': return key::F(3);
        case 'S': return key::F(4);
        case 'Z': return key::SHIFTTAB;
        default: return std::nullopt;
    }
}

// CSI number ~ keys (VT220 / xterm / rxvt numbering).
std::optional<key::Code> tildeKey(int number) {
    switch (number) {
        case 1: case 7: return key::HOME;
        case 2: return key::INS;
        case 3: return key::DEL;
        case 4: case 8: return key::END;
        case 5: return key::PGUP;
        case 6: return key::PGDN;
        case 11: case 12: case 13: case 14: case 15: return key::F(number - 10);
        case 17: case 18: case 19: case 20: case 21: return key::F(number - 11);
        case 23: case 24: return key::F(number - 12);
        default: return std::nullopt;
    }
}

// Legacy single control bytes.
std::optional<key::Code> controlByteKey(unsigned char b) {
    switch (b) {
        case 0x0D: return key::ENTER;
        case 0x0A: return key::CTRLENTER;  // fallback: Ctrl+J / terminals that send LF for Ctrl+Enter
        case 0x09: return key::TAB;
        case 0x7F: return key::BS;
        case 0x08: return key::kCtrl | key::BS;
        case 0x00: return key::kCtrl | key::SPACE;
        case 0x1C: return key::kCtrl | '\\';
        case 0x1D: return key::kCtrl | ']';
        case 0x1E: return key::kCtrl | '^';
        case 0x1F: return key::kCtrl | '_';
        default: break;
    }
    if (b >= 0x01 && b <= 0x1A) return key::kCtrl | static_cast<key::Code>('A' + b - 1);
    return std::nullopt;
}

struct CsiParams {
    char prefix = 0;          // '<', '?', '>', '=' or 0
    std::vector<int> values;  // the first sub-parameter of each parameter; -1 = omitted
    std::vector<int> second;  // the second sub-parameter (kitty event type), -1 = none
    int at(size_t i, int fallback) const { return i < values.size() && values[i] >= 0 ? values[i] : fallback; }
};

CsiParams splitParams(std::string_view text) {
    CsiParams p;
    if (!text.empty() && (text[0] == '<' || text[0] == '?' || text[0] == '>' || text[0] == '=')) {
        p.prefix = text[0];
        text.remove_prefix(1);
    }
    p.values.push_back(-1);
    p.second.push_back(-1);
    int sub = 0;
    for (char c : text) {
        if (c == ';') { p.values.push_back(-1); p.second.push_back(-1); sub = 0; continue; }
        if (c == ':') { ++sub; continue; }
        if (c < '0' || c > '9') continue;
        int& slot = sub == 0 ? p.values.back() : p.second.back();
        if (sub > 1) continue;
        slot = std::min((slot < 0 ? 0 : slot) * 10 + (c - '0'), 1 << 22);
    }
    return p;
}

// The numeric keypad's keys in the kitty protocol's private-use codes and in DEC's application
// keypad mode (ESC O j/k/m): Gray *, +, - are keys of their own, as FAR's panels need them;
// the digits, the point, '/' and Enter are what they type.
std::optional<key::Code> keypadKey(int kittyCode) {
    constexpr int kKp0 = 57399, kKp9 = 57408;
    if (kittyCode >= kKp0 && kittyCode <= kKp9) return static_cast<key::Code>('0' + kittyCode - kKp0);
    switch (kittyCode) {
        case 57409: return '.';
        case 57410: return '/';
        case 57411: return static_cast<key::Code>(KEY_MULTIPLY);
        case 57412: return static_cast<key::Code>(KEY_SUBTRACT);
        case 57413: return static_cast<key::Code>(KEY_ADD);
        case 57414: return key::ENTER;
        default: return std::nullopt;
    }
}

std::optional<key::Code> ss3KeypadKey(char final) {
    switch (final) {
        case 'j': return static_cast<key::Code>(KEY_MULTIPLY);
        case 'k': return static_cast<key::Code>(KEY_ADD);
        case 'm': return static_cast<key::Code>(KEY_SUBTRACT);
        default: return std::nullopt;
    }
}

// A code point a key report may carry: not NUL, not a surrogate, inside Unicode.
bool isKeyCodePoint(int cp) { return cp > 0 && cp < 0x110000 && !(cp >= 0xD800 && cp <= 0xDFFF); }

void pushKey(std::vector<InputEvent>& out, key::Code code) { out.emplace_back(std::in_place_type<KeyEvent>, KeyEvent{code}); }

}  // namespace

key::Code keyFromCodePoint(char32_t cp, int bits) {
    const bool ctrl = bits & 4, alt = bits & (2 | 8);
    switch (cp) {
        case 13: return withModifiers(key::ENTER, bits);
        case 9: return withModifiers(key::TAB, bits);
        case 8: case 127: return withModifiers(key::BS, bits);
        case 27: return withModifiers(key::ESC, bits);
        default: break;
    }
    if (!ctrl && !alt) return cp;  // Shift is already in the character typed
    if (cp >= 'a' && cp <= 'z') return withModifiers(cp - 'a' + 'A', bits & ~1);
    if (cp >= 'A' && cp <= 'Z') return withModifiers(cp, bits | 1);
    if (cp == ' ') return withModifiers(key::SPACE, bits);
    return withModifiers(cp, bits & ~1);
}

void InputDecoder::feed(std::string_view bytes, std::vector<InputEvent>& out) {
    pending_.append(bytes);
    process(out, false);
}

void InputDecoder::timeout(std::vector<InputEvent>& out) { process(out, true); }

void InputDecoder::process(std::vector<InputEvent>& out, bool flush) {
    while (!pending_.empty()) {
        if (skippingCsi_) {
            const auto end = std::find_if(pending_.begin(), pending_.end(),
                                          [](char c) { return c >= 0x40 && c <= 0x7E; });
            skippingCsi_ = end == pending_.end();
            pending_.erase(pending_.begin(), end == pending_.end() ? end : end + 1);
            continue;
        }
        if (inPaste_) {
            takePaste(out);
            if (inPaste_) return;
            continue;
        }
        const Step step = parseOne(out, flush);
        if (step.parse == Parse::NeedMore) return;
        pending_.erase(0, std::max<size_t>(step.consumed, 1));
    }
}

InputDecoder::Step InputDecoder::parseOne(std::vector<InputEvent>& out, bool flush) {
    if (pending_[0] == kEsc) return parseEscape(out, flush);
    return parseText(out, flush);
}

InputDecoder::Step InputDecoder::parseText(std::vector<InputEvent>& out, bool flush) {
    const auto b = static_cast<unsigned char>(pending_[0]);
    if (b < 0x80) {
        if (auto k = controlByteKey(b)) pushKey(out, *k);
        else if (b >= 0x20) pushKey(out, b);
        return {Parse::Done, 1};
    }
    const Utf8Step step = decodeUtf8(pending_, 0);
    if (!step.valid) {
        // A lead byte whose continuation has not arrived yet is held, unless time is up.
        const size_t need = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        const bool prefixOk = std::all_of(pending_.begin() + 1, pending_.end(),
                                          [](char c) { return os::isUtf8Continuation(static_cast<unsigned char>(c)); });
        if (need > pending_.size() && prefixOk && !flush) return {Parse::NeedMore, 0};
        return {Parse::Invalid, 1};
    }
    if (step.cp >= 0xA0) pushKey(out, step.cp);  // C1 controls are never keys
    return {Parse::Done, step.length};
}

InputDecoder::Step InputDecoder::parseEscape(std::vector<InputEvent>& out, bool flush) {
    if (pending_.size() == 1) {
        if (!flush) return {Parse::NeedMore, 0};
        pushKey(out, key::ESC);
        return {Parse::Done, 1};
    }
    const char next = pending_[1];
    if (next == '[' || next == 'O') {
        const Step s = next == '[' ? parseCsi(2, out, false) : parseSs3(2, out, false);
        if (s.parse != Parse::NeedMore || !flush) return s;
        if (pending_.size() == 2) pushKey(out, keyFromCodePoint(static_cast<unsigned char>(next), 2));
        return {Parse::Invalid, pending_.size()};  // a sequence cut short by the timeout is dropped
    }
    if (next == kEsc) {
        // ESC ESC [ ... is the rxvt spelling of Alt + a special key; otherwise the first is Esc.
        if (pending_.size() == 2 && !flush) return {Parse::NeedMore, 0};
        if (pending_.size() > 2 && (pending_[2] == '[' || pending_[2] == 'O')) {
            const Step s = pending_[2] == '[' ? parseCsi(3, out, true) : parseSs3(3, out, true);
            if (s.parse == Parse::NeedMore && flush) return {Parse::Invalid, pending_.size()};
            return s;
        }
        pushKey(out, key::ESC);
        return {Parse::Done, 1};
    }
    const auto b = static_cast<unsigned char>(next);
    if (b == 0x0D) { pushKey(out, key::SHIFTENTER); return {Parse::Done, 2}; }  // Alt+Enter fallback
    if (b == 0x7F || b == 0x08) { pushKey(out, key::kAlt | key::BS); return {Parse::Done, 2}; }
    if (b < 0x20) {
        if (auto k = controlByteKey(b)) pushKey(out, *k | key::kAlt);
        return {Parse::Done, 2};
    }
    const Utf8Step step = decodeUtf8(pending_, 1);
    if (!step.valid) {
        if (!flush && pending_.size() < 5 && b >= 0xC0) return {Parse::NeedMore, 0};
        pushKey(out, key::ESC);
        return {Parse::Done, 1};
    }
    if (step.cp < 0x80 || step.cp >= 0xA0) pushKey(out, keyFromCodePoint(step.cp, 2));
    return {Parse::Done, 1 + step.length};
}

InputDecoder::Step InputDecoder::parseSs3(size_t start, std::vector<InputEvent>& out, bool alt) {
    // ESC O [digits] final: application-mode arrows and keypad, F1..F4, old xterm's modifiers.
    size_t i = start;
    int mods = 0;
    while (i < pending_.size() && pending_[i] >= '0' && pending_[i] <= '9') mods = mods * 10 + (pending_[i++] - '0');
    if (i - start > 8) return {Parse::Invalid, i};
    if (i >= pending_.size()) return {Parse::NeedMore, 0};
    const char final = pending_[i];
    int bits = (mods > 1 ? mods - 1 : 0) | (alt ? 2 : 0);
    if (final == 'M') pushKey(out, withModifiers(key::ENTER, bits));
    else if (auto k = letterKey(final)) pushKey(out, withModifiers(*k, bits));
    else if (auto g = ss3KeypadKey(final)) pushKey(out, withModifiers(*g, bits));
    return {Parse::Done, i + 1};
}

InputDecoder::Step InputDecoder::parseCsi(size_t start, std::vector<InputEvent>& out, bool alt) {
    if (start < pending_.size() && pending_[start] == '[') {  // Linux console: ESC [ [ A..E = F1..F5
        if (start + 1 >= pending_.size()) return {Parse::NeedMore, 0};
        const char c = pending_[start + 1];
        if (c >= 'A' && c <= 'E') pushKey(out, withModifiers(key::F(c - 'A' + 1), alt ? 2 : 0));
        return {Parse::Done, start + 2};
    }
    size_t i = start;
    while (i < pending_.size()) {
        const auto c = static_cast<unsigned char>(pending_[i]);
        if (c >= 0x40 && c <= 0x7E) break;
        if (c < 0x20 || c > 0x3F) return {Parse::Invalid, i};  // not a CSI: drop what came so far
        if (i - start > kMaxSequence) {
            skippingCsi_ = true;  // an over-long sequence is dropped up to its final byte
            return {Parse::Invalid, i};
        }
        ++i;
    }
    if (i >= pending_.size()) return {Parse::NeedMore, 0};
    const char final = pending_[i];
    const CsiParams p = splitParams(std::string_view(pending_).substr(start, i - start));
    const size_t consumed = i + 1;
    const int bits = (p.at(1, 1) - 1) | (alt ? 2 : 0);
    if (p.prefix == '<') {
        if (final == 'M' || final == 'm') mouse(p.values, final == 'm', out);
        return {Parse::Done, consumed};
    }
    if (p.prefix != 0) return {Parse::Done, consumed};  // replies to queries: not input
    if (final == '~') {
        const int n = p.at(0, 0);
        if (n == 200) {
            inPaste_ = true;
            paste_.clear();
            pasteTruncated_ = false;
        } else if (n == 27 && p.values.size() >= 3) {
            if (isKeyCodePoint(p.at(2, 0))) pushKey(out, keyFromCodePoint(static_cast<char32_t>(p.at(2, 0)), bits));
        } else if (auto k = tildeKey(n)) {
            pushKey(out, withModifiers(*k, bits));
        }
        return {Parse::Done, consumed};
    }
    if (final == 'u') {
        const bool release = p.second.size() > 1 && p.second[1] == 3;
        const int cp = p.at(0, 0);
        const std::optional<key::Code> keypad = keypadKey(cp);
        if (!release && keypad) {
            // A digit typed on the keypad is the character; Gray keys and Enter take modifiers.
            const bool typed = *keypad < key::kSpecialBase && *keypad != key::ENTER;
            pushKey(out, typed ? keyFromCodePoint(static_cast<char32_t>(*keypad), bits) : withModifiers(*keypad, bits));
        } else if (!release && isKeyCodePoint(cp) && !(cp >= 57344 && cp <= 63743)) {
            pushKey(out, keyFromCodePoint(static_cast<char32_t>(cp), bits));
        }
        return {Parse::Done, consumed};
    }
    if (auto k = letterKey(final)) pushKey(out, withModifiers(*k, bits));
    return {Parse::Done, consumed};
}

void InputDecoder::mouse(const std::vector<int>& v, bool release, std::vector<InputEvent>& out) {
    if (v.size() < 3 || v[0] < 0 || v[1] < 1 || v[2] < 1) return;
    const int b = v[0];
    MouseEvent e;
    e.x = v[1] - 1;
    e.y = v[2] - 1;
    if (b & 4) e.controlKeys |= kShiftPressed;
    if (b & 8) e.controlKeys |= kLeftAltPressed;
    if (b & 16) e.controlKeys |= kLeftCtrlPressed;
    if (b & 64) {
        if ((b & 3) > 1) return;  // horizontal wheel: FAR 1.70 has no such event
        e.flags = kMouseWheeled;
        e.wheel = (b & 3) == 0 ? 1 : -1;
    } else if (b & 32) {
        e.flags = kMouseMoved;
    } else {
        static constexpr uint32_t kBit[4] = {kLeftButton, kMiddleButton, kRightButton, 0};
        const uint32_t bit = kBit[b & 3];
        if (release || bit == 0) mouseButtons_ &= bit == 0 ? 0 : ~bit;
        else mouseButtons_ |= bit;
    }
    e.buttons = mouseButtons_;
    out.emplace_back(std::in_place_type<MouseEvent>, e);
}

void InputDecoder::pasteTimeout(std::vector<InputEvent>& out) {
    if (!inPaste_) return;
    const size_t room = kMaxPaste - paste_.size();
    paste_.append(pending_, 0, std::min(pending_.size(), room));
    if (pending_.size() > room) pasteTruncated_ = true;
    pending_.clear();
    inPaste_ = false;
    out.push_back(PasteEvent{std::move(paste_), pasteTruncated_});
    paste_.clear();
}

void InputDecoder::takePaste(std::vector<InputEvent>& out) {
    const size_t end = pending_.find(kPasteEnd);
    // Without the end marker, keep the tail that might be its beginning.
    const size_t take = end != std::string::npos ? end
                        : pending_.size() > kPasteEnd.size() - 1 ? pending_.size() - (kPasteEnd.size() - 1) : 0;
    const size_t room = kMaxPaste - paste_.size();
    paste_.append(pending_, 0, std::min(take, room));
    if (take > room) pasteTruncated_ = true;
    if (end == std::string::npos) {
        pending_.erase(0, take);
        return;
    }
    pending_.erase(0, end + kPasteEnd.size());
    inPaste_ = false;
    out.push_back(PasteEvent{std::move(paste_), pasteTruncated_});
    paste_.clear();
}

}  // namespace skimmer::host::term
