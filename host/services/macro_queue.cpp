#include "host/services/macro_queue.h"

#include <cctype>
#include <charconv>

#include "host/services/key_names.h"
#include "os/utf8.h"

namespace skimmer::host::services {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    MacroParse run() {
        MacroParse result;
        while (skipBlanks(), pos_ < s_.size()) {
            if (!token(result.actions)) {
                result.error = error_;
                result.actions.clear();
                return result;
            }
        }
        result.ok = true;
        return result;
    }

private:
    void skipBlanks() {
        while (pos_ < s_.size() && isBlank(s_[pos_])) ++pos_;
    }
    bool atTokenEnd(size_t p) const { return p >= s_.size() || isBlank(s_[p]); }
    bool fail(std::string why) {
        error_ = std::move(why);
        return false;
    }
    std::string_view word() const {
        size_t end = pos_;
        while (!atTokenEnd(end)) ++end;
        return s_.substr(pos_, end - pos_);
    }

    bool token(std::vector<MacroAction>& out) {
        std::string_view rest = s_.substr(pos_);
        if ((rest.front() == '%' && !atTokenEnd(pos_ + 1)) || os::startsWithAsciiCaseless(rest, "panel.setpos("))
            return setPos(out);
        if (os::startsWithAsciiCaseless(rest, "$text") && atTokenEnd(pos_ + 5)) {
            pos_ += 5;
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"') return fail("$Text needs a quoted text");
            return literal(out);
        }
        if (rest.front() == '"' && !atTokenEnd(pos_ + 1)) return literal(out);
        return key(out);
    }

    bool key(std::vector<MacroAction>& out) {
        std::string_view w = word();
        pos_ += w.size();
        if (auto k = nameToKey(w)) {
            out.push_back({MacroAction::Key, *k});
            return true;
        }
        if (w.size() == 1 && static_cast<unsigned char>(w[0]) >= 0x80) {
            out.push_back({MacroAction::Text, 0, std::string(w)});  // a byte of a non-UTF-8 name
            return true;
        }
        return fail("unknown key name \"" + std::string(w) + "\" in the macro");
    }

    // "text" as a token of its own.
    bool literal(std::vector<MacroAction>& out) {
        std::string text;
        if (!quoted(text)) return false;
        if (!atTokenEnd(pos_)) return fail("a text in quotes must be followed by a blank");
        out.push_back({MacroAction::Text, 0, std::move(text)});
        return true;
    }

    // A string literal from its opening quote: "text" with C escapes; an unknown escape is an
    // error, as in FAR's macro language. Leaves pos_ after the closing quote.
    bool quoted(std::string& text) {
        for (++pos_; pos_ < s_.size(); ++pos_) {
            const char c = s_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c != '\\') {
                text.push_back(c);
            } else if (!escape(text)) {
                return false;
            }
        }
        return fail("a text in the macro lacks its closing quote");
    }

    bool escape(std::string& text) {
        if (++pos_ >= s_.size()) return fail("a text in the macro lacks its closing quote");
        switch (char c = s_[pos_]) {
        case '\\': case '"': text.push_back(c); return true;
        case 'n': text.push_back('\n'); return true;
        case 't': text.push_back('\t'); return true;
        case 'x': {
            unsigned value = 0;
            auto digits = s_.substr(pos_ + 1, 2);
            bool hex = digits.size() == 2 && std::isxdigit(static_cast<unsigned char>(digits[0])) &&
                       std::isxdigit(static_cast<unsigned char>(digits[1]));
            if (!hex || std::from_chars(digits.data(), digits.data() + 2, value, 16).ec != std::errc() || value == 0)
                return fail("a bad \\x escape in the macro");
            text.push_back(static_cast<char>(value));
            pos_ += 2;
            return true;
        }
        default: return fail(std::string("an unknown escape \\") + c + " in the macro");
        }
    }

    // [%var=]panel.setpos(P,"name")[;]
    bool setPos(std::vector<MacroAction>& out) {
        if (s_[pos_] == '%') {
            size_t eq = s_.find('=', pos_);
            if (eq == std::string_view::npos) return fail("a variable without a value in the macro");
            pos_ = eq + 1;
            if (!os::startsWithAsciiCaseless(s_.substr(pos_), "panel.setpos(")) return fail("only panel.setpos is supported");
        }
        pos_ += 13;
        skipBlanks();
        if (pos_ >= s_.size() || (s_[pos_] != '0' && s_[pos_] != '1')) return fail("panel.setpos needs panel 0 or 1");
        int panel = s_[pos_++] - '0';
        skipBlanks();
        if (pos_ + 1 >= s_.size() || s_[pos_] != ',') return fail("panel.setpos needs a name");
        ++pos_;
        skipBlanks();
        if (pos_ >= s_.size() || s_[pos_] != '"') return fail("panel.setpos needs a quoted name");
        // The name is a string literal like any other: it ends at its closing quote, never inside.
        std::string name;
        if (!quoted(name)) return false;
        skipBlanks();
        if (pos_ >= s_.size() || s_[pos_] != ')') return fail("panel.setpos lacks its closing \")");
        ++pos_;
        if (pos_ < s_.size() && s_[pos_] == ';') ++pos_;
        if (!atTokenEnd(pos_)) return fail("panel.setpos(...) must be followed by a blank");
        out.push_back({MacroAction::SetPanelPos, 0, std::move(name), panel});
        return true;
    }

    std::string_view s_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

MacroParse parseMacroText(std::string_view text) { return Parser(text).run(); }

bool MacroQueue::post(std::vector<MacroAction> actions, bool disableOutput) {
    if (actions.size() > kMaxQueuedActions - queue_.size()) return false;
    for (auto& a : actions) {
        a.disableOutput = disableOutput;
        queue_.push_back(std::move(a));
    }
    return true;
}

bool MacroQueue::postKeys(const uint32_t* keys, int count, bool disableOutput) {
    if (count < 0 || (count > 0 && !keys) || static_cast<size_t>(count) > kMaxQueuedActions - queue_.size())
        return false;
    std::vector<MacroAction> actions;
    actions.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) actions.push_back({MacroAction::Key, static_cast<int>(keys[i])});
    return post(std::move(actions), disableOutput);
}

std::optional<MacroAction> MacroQueue::next() {
    if (queue_.empty()) return std::nullopt;
    MacroAction a = std::move(queue_.front());
    queue_.pop_front();
    return a;
}

}  // namespace skimmer::host::services
