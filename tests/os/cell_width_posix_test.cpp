// The fixed table of wide characters against glibc's own measure, for every code point: the two
// systems lay text out alike only while they agree.
#include "os/cell_width.h"

#include <gtest/gtest.h>

#include <string>

namespace skimmer::os {
namespace {

TEST(WideTable, IsGlibcsWideSet) {
    int mismatches = 0;
    std::string first;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (isWide(cp) == (unicodeWidth(cp) == 2)) continue;
        if (++mismatches == 1) first = std::to_string(static_cast<unsigned long>(cp));
    }
    EXPECT_EQ(mismatches, 0) << "first at code point " << first;
}

}  // namespace
}  // namespace skimmer::os
