// Safe display of raw file-name bytes on a terminal, for progress lines and messages.
//
// Contract: the result never contains a control character (C0, DEL, or C1 whether encoded in
// UTF-8 or as a raw byte) nor invalid UTF-8: such bytes come out as visible "\xNN" escapes, and a
// backslash as "\\", so distinct names stay distinct. The characters that reorder or break a line
// (bidi embeddings, overrides, isolates and marks; U+2028, U+2029) come out as "\u202E" and the
// like, so no name is shown reversed or split. Other valid printable UTF-8 passes unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skimmer::index::store {

std::string terminalSafe(std::string_view bytes);

// True when terminalSafe(bytes) == bytes because every byte is printable ASCII other than the
// backslash (most names): such text can be written as it is, without a copy.
bool plainForTerminal(std::string_view bytes);

// `text` cut to at most `columns` code points, keeping its end ("...ending") when cut; counts
// code points, not display cells (good enough for a progress line).
std::string keepEnd(std::string_view text, size_t columns);

}  // namespace skimmer::index::store
