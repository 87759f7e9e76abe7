// Substring search for the scan of the packed names, several times faster than memmem on the
// short words people type: sixteen positions at once are tested for the word's first and last
// byte, and only positions where both agree are compared in full.
//
// Contract: returns the first occurrence of `word` in `text` (text.data() + position) or null when
// there is none or `word` is empty. Reads only inside `text`; keeps no state.
#pragma once

#include <string_view>

namespace skimmer::index::query {

const char* findBytes(std::string_view text, std::string_view word);

}  // namespace skimmer::index::query
