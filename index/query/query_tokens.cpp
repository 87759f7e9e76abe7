#include "index/query/query_tokens.h"

namespace skimmer::index::query {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    TokenizeResult run() {
        TokenizeResult result;
        while (skipBlanks(), pos_ < text_.size()) {
            if (!next(result.tokens)) {
                result.tokens.clear();
                result.error = "a '\"' without its closing '\"'";
                break;
            }
        }
        return result;
    }

private:
    void skipBlanks() {
        const size_t before = pos_;
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
        glued_ = pos_ == before && pos_ > 0;
    }

    void push(std::vector<Token>& tokens, TokenType type, std::string text) {
        tokens.push_back(Token{type, std::move(text), glued_});
        glued_ = true;
    }

    bool next(std::vector<Token>& tokens) {
        const char c = text_[pos_];
        if (c == '"') return phrase(tokens);
        if (c == '(') {
            ++pos_;
            ++depth_;
            push(tokens, TokenType::LParen, "(");
            return true;
        }
        if (c == ')' && depth_ > 0) {
            ++pos_;
            --depth_;
            push(tokens, TokenType::RParen, ")");
            return true;
        }
        if (c == '-' && pos_ + 1 < text_.size() && !isBlank(text_[pos_ + 1])) {
            ++pos_;
            push(tokens, TokenType::Minus, "-");
            return true;
        }
        word(tokens);
        return true;
    }

    bool phrase(std::vector<Token>& tokens) {
        const size_t close = text_.find('"', pos_ + 1);
        if (close == std::string_view::npos) return false;
        push(tokens, TokenType::Phrase, std::string(text_.substr(pos_ + 1, close - pos_ - 1)));
        pos_ = close + 1;
        return true;
    }

    // A word ends at a blank, at a ')' that closes a group, or after a property's ':' when a '"'
    // or '(' follows.
    void word(std::vector<Token>& tokens) {
        const size_t start = pos_;
        int inner = 0;  // parentheses opened inside this word
        while (pos_ < text_.size() && !isBlank(text_[pos_])) {
            const char c = text_[pos_];
            if (c == ')' && inner == 0 && depth_ > 0 && pos_ > start) break;
            if (c == '(') ++inner;
            if (c == ')' && inner > 0) --inner;
            ++pos_;
            if (c == ':' && pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '(')) break;
        }
        push(tokens, TokenType::Word, std::string(text_.substr(start, pos_ - start)));
    }

    std::string_view text_;
    size_t pos_ = 0;
    int depth_ = 0;
    bool glued_ = false;
};

}  // namespace

TokenizeResult tokenize(std::string_view text) { return Tokenizer(text).run(); }

std::vector<std::string> splitBlanks(std::string_view text) {
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isBlank(text[pos])) ++pos;
        const size_t start = pos;
        while (pos < text.size() && !isBlank(text[pos])) ++pos;
        if (pos > start) pieces.emplace_back(text.substr(start, pos - start));
    }
    return pieces;
}

}  // namespace skimmer::index::query
