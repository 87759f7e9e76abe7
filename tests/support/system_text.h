// How the system the tests run on writes the plug-in's text and cuts its paths. The plug-in's text
// is UTF-8 on Linux and the single-byte ANSI code page on Windows (FAR's ANSI interface); a path
// too long for its column is cut by our own rule on Linux and by the system's PathCompactPathEx on
// Windows. Tests of multi-byte letters, or of our own cut, skip where they do not apply, saying
// so, rather than pinning another system's bytes.
#pragma once

#include <string_view>

namespace skimmer::test {

bool pluginTextIsUtf8();
bool pathsCutByTheSystem();

// True when every byte of `text` is ASCII: such a text reads the same on either system.
inline bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The reason a skipped multi-byte case gives.
inline constexpr const char* kNoMultiByteLetters = "the ANSI code page has no letters of several bytes";
inline constexpr const char* kSystemCutsPaths = "the system's own call cuts paths here (path_compact tests)";

}  // namespace skimmer::test
