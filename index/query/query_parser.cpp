#include "index/query/query_parser.h"
#include "os/utf8.h"

#include "index/query/query_tokens.h"
#include "index/query/query_values.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace skimmer::index::query {
namespace {

struct SyntaxError {
    std::string why;
};

enum class Property { None, Kind, Ext, Name, Folder, Path, Size, Date };

Property propertyNamed(std::string_view name) {
    const std::string n = os::asciiLower(name);
    if (n == "kind" || n == "system.kind" || n == "system.kindtext") return Property::Kind;
    if (n == "ext" || n == "fileext" || n == "system.fileextension") return Property::Ext;
    if (n == "name" || n == "filename" || n == "system.filename" || n == "system.itemname") return Property::Name;
    if (n == "folder" || n == "system.itemfolderpathdisplay") return Property::Folder;
    if (n == "path" || n == "system.itempathdisplay") return Property::Path;
    if (n == "size" || n == "system.size") return Property::Size;
    if (n == "date" || n == "modified" || n == "datemodified" || n == "system.datemodified") return Property::Date;
    return Property::None;
}

// The property a word like "ext:mp3" or "System.Kind:" restricts, and the value after the colon.
Property splitRestriction(std::string_view word, std::string_view& value) {
    const size_t colon = word.find(':');
    if (colon == std::string_view::npos || colon == 0) return Property::None;
    const Property property = propertyNamed(word.substr(0, colon));
    if (property != Property::None) value = word.substr(colon + 1);
    return property;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, int64_t now, std::vector<std::string>& notes)
        : tokens_(std::move(tokens)), now_(now), notes_(notes) {}

    Node parseAll() {
        Node root = parseOr(Property::None);
        if (!atEnd()) throw SyntaxError{peek().type == TokenType::RParen ? "a ')' without its '('" : "unexpected input"};
        return root;
    }

private:
    bool atEnd() const { return pos_ >= tokens_.size(); }
    const Token& peek() const { return tokens_[pos_]; }
    bool peekIs(TokenType type) const { return !atEnd() && peek().type == type; }
    bool peekWord(std::string_view word) const { return peekIs(TokenType::Word) && peek().text == word; }

    void enter() {
        if (++depth_ > kMaxQueryDepth) throw SyntaxError{"nested too deeply"};
    }

    Node parseOr(Property bound) {
        enter();
        std::vector<Node> alternatives{parseAnd(bound)};
        while (peekWord("OR")) {
            ++pos_;
            alternatives.push_back(parseAnd(bound));
        }
        --depth_;
        return alternatives.size() == 1 ? std::move(alternatives[0]) : Node::of(Node::Op::Or, std::move(alternatives));
    }

    Node parseAnd(Property bound) {
        std::vector<Node> items;
        while (!atEnd() && !peekIs(TokenType::RParen) && !peekWord("OR")) {
            if (peekWord("AND")) {
                if (items.empty()) throw SyntaxError{"AND without a left side"};
                ++pos_;
                if (atEnd() || peekIs(TokenType::RParen) || peekWord("OR") || peekWord("AND"))
                    throw SyntaxError{"AND without a right side"};
                continue;
            }
            items.push_back(parseUnary(bound));
        }
        if (items.empty()) throw SyntaxError{"an empty group or a dangling OR"};
        return items.size() == 1 ? std::move(items[0]) : Node::of(Node::Op::And, std::move(items));
    }

    Node parseUnary(Property bound) {
        if (peekWord("NOT") || peekIs(TokenType::Minus)) {
            ++pos_;
            if (atEnd() || peekIs(TokenType::RParen) || peekWord("OR")) throw SyntaxError{"NOT without anything to negate"};
            enter();
            Node operand = parseUnary(bound);
            --depth_;
            return Node::of(Node::Op::Not, {std::move(operand)});
        }
        return parsePrimary(bound);
    }

    Node parseGroup(Property bound) {
        ++pos_;  // '('
        Node inner = parseOr(bound);
        if (!peekIs(TokenType::RParen)) throw SyntaxError{"a '(' without its ')'"};
        ++pos_;
        return inner;
    }

    Node parsePrimary(Property bound) {
        const Token token = peek();
        if (token.type == TokenType::LParen) return parseGroup(bound);
        ++pos_;
        if (token.type == TokenType::Phrase) return valueTerm(bound, token.text);
        std::string_view value;
        const Property property = splitRestriction(token.text, value);
        if (property == Property::None) return valueTerm(bound, token.text);
        if (value.empty()) return restrictionWithGluedValue(property);
        return valueTerm(property, joinRelativeDate(property, value));
    }

    // "name:" followed directly by "(...)" or by a phrase.
    Node restrictionWithGluedValue(Property property) {
        if (peekIs(TokenType::LParen) && peek().glued) return parseGroup(property);
        if (peekIs(TokenType::Phrase) && peek().glued) return valueTerm(property, tokens_[pos_++].text);
        throw SyntaxError{"a property without a value"};
    }

    // "date:this week": the second word belongs to the value.
    std::string joinRelativeDate(Property property, std::string_view value) {
        std::string text(value);
        if (property != Property::Date || pos_ >= tokens_.size()) return text;
        const std::string lower = os::asciiLower(text);
        if ((lower == "this" || lower == "last") && peekIs(TokenType::Word)) {
            const std::string next = os::asciiLower(peek().text);
            if (next == "week" || next == "month" || next == "year") {
                ++pos_;
                text += " " + next;
            }
        }
        return text;
    }

    Node valueTerm(Property property, std::string_view value) {
        switch (property) {
            case Property::None:
            case Property::Name: return textTerm(property == Property::None && value.find('/') != std::string_view::npos
                                                     ? Field::Path : Field::Name, value);
            case Property::Path: return textTerm(Field::Path, value);
            case Property::Folder: return folderTerm(value);
            case Property::Ext: return extTerm(value);
            case Property::Kind: return kindTerm(value);
            case Property::Size: return boundsTerm(Field::Size, parseSizeValue(value), "size", value);
            case Property::Date: return boundsTerm(Field::Date, parseDateValue(value, now_), "date", value);
        }
        return Node::of(Node::Op::False);
    }

    Node textTerm(Field field, std::string_view value) {
        if (value.find('\0') != std::string_view::npos) {
            notes_.push_back("a word holding a NUL byte matches nothing");
            return Node::of(Node::Op::False);
        }
        // An empty phrase names nothing to look for: malformed, like a lone OR, rather than a term
        // that every item matches.
        if (value.empty()) throw SyntaxError{"an empty phrase"};
        Term term;
        term.field = field;
        term.text = os::foldText(value);
        return Node::leaf(std::move(term));
    }

    Node folderTerm(std::string_view value) {
        Node node = textTerm(Field::Folder, value);
        if (node.op == Node::Op::Term && value.starts_with('/')) {
            node.term.anchored = true;
            while (node.term.text.size() > 1 && node.term.text.back() == '/') node.term.text.pop_back();
        }
        return node;
    }

    Node extTerm(std::string_view value) {
        if (value.starts_with("*")) value.remove_prefix(1);
        if (value.starts_with(".")) value.remove_prefix(1);
        Term term;
        term.field = Field::Ext;
        term.text = os::foldText(value);
        return Node::leaf(std::move(term));
    }

    Node kindTerm(std::string_view value) {
        const auto filter = kindFilterFor(value);
        if (!filter) {
            notes_.push_back("unknown kind \"" + std::string(value) + "\" matches nothing");
            return Node::of(Node::Op::False);
        }
        Term term;
        term.field = Field::Kind;
        term.kindMask = filter->mask;
        term.filesOnly = filter->filesOnly;
        return Node::leaf(std::move(term));
    }

    Node boundsTerm(Field field, std::optional<Bounds> bounds, const char* what, std::string_view value) {
        if (!bounds) throw SyntaxError{std::string("not a ") + what + ": " + std::string(value)};
        Term term;
        term.field = field;
        term.lo = bounds->lo;
        term.hi = bounds->hi;
        return Node::leaf(std::move(term));
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
    int64_t now_;
    std::vector<std::string>& notes_;
};

// Malformed input: every blank-separated piece is a word to find in the name (or path), as typed.
Node literalWords(std::string_view text, std::vector<std::string>& notes) {
    std::vector<Node> words;
    for (const std::string& piece : splitBlanks(text)) {
        if (piece.find('\0') != std::string::npos) {
            notes.push_back("a word holding a NUL byte matches nothing");
            return Node::of(Node::Op::False);
        }
        Term term;
        term.field = piece.find('/') != std::string::npos ? Field::Path : Field::Name;
        term.text = os::foldText(piece);
        words.push_back(Node::leaf(std::move(term)));
    }
    if (words.empty()) return Node::of(Node::Op::False);
    return words.size() == 1 ? std::move(words[0]) : Node::of(Node::Op::And, std::move(words));
}

ParsedQuery nothing(std::string message) {
    ParsedQuery parsed;
    parsed.root = Node::of(Node::Op::False);
    parsed.status = ParsedQuery::Status::Nothing;
    parsed.message = std::move(message);
    return parsed;
}

}  // namespace

ParsedQuery parseQuery(std::string_view text, int64_t now) {
    if (text.size() > kMaxQueryBytes)
        return nothing("the query is longer than " + std::to_string(kMaxQueryBytes) + " bytes and matches nothing");
    if (splitBlanks(text).empty()) return nothing("the query is empty and matches nothing");
    ParsedQuery parsed;
    TokenizeResult tokens = tokenize(text);
    try {
        if (!tokens.error.empty()) throw SyntaxError{tokens.error};
        parsed.root = Parser(std::move(tokens.tokens), now, parsed.notes).parseAll();
    } catch (const SyntaxError& error) {
        parsed.notes.clear();
        parsed.root = literalWords(text, parsed.notes);
        parsed.status = ParsedQuery::Status::Literal;
        parsed.message = "the query is malformed (" + error.why + "); its words were searched as typed";
    }
    return parsed;
}

}  // namespace skimmer::index::query
