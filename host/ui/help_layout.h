// A help topic laid out for a window of a given width: FAR's automatic formatting (a line that
// begins with a blank starts a paragraph, other lines join the one before and everything is
// word-wrapped; an empty line separates paragraphs), centred lines, and the verbatim lines of
// `@-` blocks, which are never joined or wrapped.
//
// Contract: pure; the rows never hold more than `width` cells, except verbatim rows, which the
// window clips. A word longer than the width is broken between characters. A link is kept whole
// on one row whenever it fits; each link appears once in `links`, in reading order, at its first
// piece, and every piece of it carries its index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/ui/help_file.h"

namespace skimmer::host::ui {

enum class HelpStyle : uint8_t { Text, Bold, Link };

struct HelpPiece {
    int column = 0;
    std::string text;
    HelpStyle style = HelpStyle::Text;
    int link = -1;   // index into HelpPage::links
    int color = -1;  // an explicit attribute from the file, -1 for the style's palette colour
};

struct HelpRow {
    std::vector<HelpPiece> pieces;
    std::string text() const;  // the row as drawn, blanks included (for tests and searching)
};

struct HelpLinkPlace {
    int row = 0;  // body row of the link's first piece
    int column = 0;
    std::string target;
};

struct HelpPage {
    std::vector<HelpRow> header;  // laid out the same way; links there are drawn, not selectable
    std::vector<HelpRow> body;
    std::vector<HelpLinkPlace> links;
};

HelpPage layoutHelpTopic(const HelpTopic& topic, int width);

}  // namespace skimmer::host::ui
