// Splits a query text into the tokens of the query language.
//
// Contract:
// - Blanks (space, tab, CR, LF) separate tokens. A '"' at the start of a token opens a phrase that
//   runs to the next '"'; an unclosed phrase is an error. A '(' at the start of a token, and a ')'
//   that closes one, are their own tokens; parentheses inside a word ("file(1).txt") stay in it.
//   A '-' directly before '"' or '(' is a Minus token; "-word" is Minus then "word".
// - A word ending in ':' (a property) takes a directly following '"' or '(' as its value: that
//   next token is marked `glued`.
// - Never throws; `error` is set instead of tokens for input it cannot split.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

enum class TokenType { Word, Phrase, LParen, RParen, Minus };

struct Token {
    TokenType type;
    std::string text;
    bool glued = false;  // no blank before this token
};

struct TokenizeResult {
    std::vector<Token> tokens;
    std::string error;
};

TokenizeResult tokenize(std::string_view text);

// The blank-separated pieces of a text.
std::vector<std::string> splitBlanks(std::string_view text);

}  // namespace skimmer::index::query
