#include "host/ui/help_layout.h"

#include <algorithm>

#include "host/term/text_width.h"

namespace skimmer::host::ui {

namespace {

// A piece of a word before it has a place: one style, one link.
struct Fragment {
    std::string text;
    HelpStyle style = HelpStyle::Text;
    std::string link;
    int color = -1;
};

// A unit the wrapper never breaks (unless it is wider than a row), and the blanks before it in the
// source line: runs of blanks inside a line are kept, so aligned columns of a key table stay
// aligned; a line joined to the one before gets one blank.
struct Word {
    std::vector<Fragment> fragments;
    int gap = 0;
};

int widthOf(const Word& word) {
    int w = 0;
    for (const auto& f : word.fragments) w += term::displayWidth(f.text);
    return w;
}

// Splits a paragraph's lines into words. A link is one fragment, blanks and all; other text
// breaks at blanks. Adjacent fragments with no blank between them stay one word ("#bold#,").
class WordSplitter {
public:
    void line(const HelpLine& line) {
        endWord();
        gap_ = words_.empty() ? 0 : 1;  // a line break inside a paragraph is one blank
        bool leading = true;
        for (const auto& span : line.spans) {
            if (!span.link.empty()) {
                fragment(HelpStyle::Link, span.link, span.color).text += span.text;
                leading = false;
                continue;
            }
            const HelpStyle style = span.bold ? HelpStyle::Bold : HelpStyle::Text;
            for (char c : span.text) {
                if (c == ' ') {
                    endWord();
                    if (!leading) ++gap_;  // the paragraph's indent is not a gap
                } else {
                    fragment(style, {}, span.color).text += c;
                    leading = false;
                }
            }
        }
        endWord();
    }
    std::vector<Word> take() { return std::move(words_); }

private:
    Fragment& fragment(HelpStyle style, const std::string& link, int color) {
        auto& fragments = current_.fragments;
        if (fragments.empty()) {
            current_.gap = gap_;
            gap_ = 0;
        }
        if (fragments.empty() || fragments.back().style != style || fragments.back().link != link ||
            fragments.back().color != color || style == HelpStyle::Link)
            fragments.push_back(Fragment{.text = {}, .style = style, .link = link, .color = color});
        return fragments.back();
    }
    void endWord() {
        if (!current_.fragments.empty()) words_.push_back(std::move(current_));
        current_ = Word{};
    }

    Word current_;
    int gap_ = 0;
    std::vector<Word> words_;
};

int leadingBlanks(const HelpLine& line) {
    const std::string text = line.plainText();
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? 0 : static_cast<int>(first);
}

class Layout {
public:
    Layout(std::vector<HelpRow>& rows, std::vector<HelpLinkPlace>* links, int width)
        : rows_(rows), links_(links), width_(std::max(width, 1)) {}

    void paragraph(const std::vector<const HelpLine*>& lines, bool centred) {
        WordSplitter splitter;
        for (const HelpLine* line : lines) splitter.line(*line);
        const int indent = centred ? 0 : std::min(leadingBlanks(*lines.front()), width_ / 2);
        const int start = lines.front()->startPos;
        hanging_ = centred ? 0 : std::min(start >= 0 ? start : indent, width_ / 2);
        const size_t firstRow = rows_.size();
        newRow(indent);
        for (const Word& word : splitter.take()) place(word);
        if (centred) centre(firstRow);
    }

    void verbatim(const HelpLine& line) {
        newRow(0);
        for (const auto& span : line.spans) {
            const HelpStyle style = !span.link.empty() ? HelpStyle::Link : span.bold ? HelpStyle::Bold : HelpStyle::Text;
            continuingLink_ = false;
            put(Fragment{.text = span.text, .style = style, .link = span.link, .color = span.color});
        }
    }

    void blank() { newRow(0); }

private:
    void newRow(int indent) {
        rows_.emplace_back();
        column_ = indent;
        rowHasWord_ = false;
    }

    void place(const Word& word) {
        continuingLink_ = false;  // two links side by side stay two links, even to one target
        const int w = widthOf(word);
        const int gap = std::max(word.gap, 1);
        if (rowHasWord_ && column_ + gap + w > width_) newRow(hanging_);
        if (rowHasWord_) column_ += gap;
        if (column_ + w > width_) return breakWord(word);
        for (const auto& f : word.fragments) put(f);
        rowHasWord_ = true;
    }

    // A word wider than a whole row: character by character, continuing on new rows.
    void breakWord(const Word& word) {
        for (const auto& f : word.fragments) {
            for (size_t i = 0; i < f.text.size();) {
                const auto step = term::decodeUtf8(f.text, i);
                const int cw = term::charWidth(step.cp);
                if (column_ + cw > width_) {
                    // A fresh row, indented only as far as leaves room for the character (a
                    // double-width one in a window one cell wide is the only thing that overhangs).
                    const int indent = std::max(0, std::min(hanging_, width_ - cw));
                    if (rows_.back().pieces.empty()) column_ = std::min(column_, indent);
                    else newRow(indent);
                }
                Fragment piece = f;
                piece.text = f.text.substr(i, step.length);
                put(piece);
                i += step.length;
            }
        }
        rowHasWord_ = true;
    }

    void put(const Fragment& f) {
        int link = -1;
        if (!f.link.empty() && links_) {
            if (f.link != lastLinkTarget_ || !continuingLink_) {
                links_->push_back(HelpLinkPlace{.row = static_cast<int>(rows_.size()) - 1, .column = column_, .target = f.link});
            }
            link = static_cast<int>(links_->size()) - 1;
        }
        continuingLink_ = !f.link.empty();
        lastLinkTarget_ = f.link;
        auto& pieces = rows_.back().pieces;
        // Characters of one broken word arrive one by one: merge them back into one piece.
        if (!pieces.empty() && pieces.back().style == f.style && pieces.back().link == link &&
            pieces.back().color == f.color && pieces.back().column + term::displayWidth(pieces.back().text) == column_) {
            pieces.back().text += f.text;
        } else {
            pieces.push_back(HelpPiece{.column = column_, .text = f.text, .style = f.style, .link = link, .color = f.color});
        }
        column_ += term::displayWidth(f.text);
    }

    void centre(size_t firstRow) {
        for (size_t r = firstRow; r < rows_.size(); ++r) {
            auto& pieces = rows_[r].pieces;
            if (pieces.empty()) continue;
            const int used = pieces.back().column + term::displayWidth(pieces.back().text);
            const int shift = std::max((width_ - used) / 2, 0);
            for (auto& p : pieces) p.column += shift;
            if (links_)
                for (auto& l : *links_)
                    if (l.row == static_cast<int>(r)) l.column += shift;
        }
    }

    std::vector<HelpRow>& rows_;
    std::vector<HelpLinkPlace>* links_;
    int width_;
    int column_ = 0;
    int hanging_ = 0;
    bool rowHasWord_ = false;
    bool continuingLink_ = false;
    std::string lastLinkTarget_;
};

bool isEmpty(const HelpLine& line) { return line.plainText().find_first_not_of(' ') == std::string::npos; }

void layoutLines(const std::vector<HelpLine>& lines, Layout& layout) {
    std::vector<const HelpLine*> paragraph;
    auto flush = [&] {
        if (!paragraph.empty()) layout.paragraph(paragraph, false);
        paragraph.clear();
    };
    for (const HelpLine& line : lines) {
        if (line.verbatim || isEmpty(line) || line.centred) {
            flush();
            if (line.centred) layout.paragraph({&line}, true);
            else if (line.verbatim) layout.verbatim(line);
            else layout.blank();
            continue;
        }
        if (line.plainText().starts_with(' ')) flush();
        paragraph.push_back(&line);
    }
    flush();
}

}  // namespace

std::string HelpRow::text() const {
    std::string out;
    int column = 0;
    for (const auto& piece : pieces) {
        if (piece.column > column) out.append(static_cast<size_t>(piece.column - column), ' ');
        out += piece.text;
        column = std::max(column, piece.column) + term::displayWidth(piece.text);
    }
    return out;
}

HelpPage layoutHelpTopic(const HelpTopic& topic, int width) {
    HelpPage page;
    Layout header(page.header, nullptr, width);
    layoutLines(topic.header, header);
    Layout body(page.body, &page.links, width);
    layoutLines(topic.body, body);
    return page;
}

}  // namespace skimmer::host::ui
