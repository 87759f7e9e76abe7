// UTF-8 decoding shared by folding, wide text and terminal escaping, so that all three agree on
// what is a valid sequence: shortest form only, no surrogates, nothing above U+10FFFF.
#pragma once

#include <cstddef>

namespace skimmer::index::query {

// Decodes one sequence at `p` (`left` bytes available) into `c`; returns its length, or 0 when
// the bytes there are not a valid sequence. ASCII bytes decode as length 1.
size_t decodeUtf8(const unsigned char* p, size_t left, char32_t& c);

}  // namespace skimmer::index::query
