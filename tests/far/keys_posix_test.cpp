// Key codes of the Linux host: a special-key range above Unicode that no code point and no
// modifier can reach (on Windows the special keys keep FAR 1.70's low codes).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "far/keys.h"
#include "named_keys.h"

namespace {

using namespace skimmer::farapi;
using skimmer::farapi::test::namedKeys;

constexpr int kModifiers[] = {KEY_CTRL, KEY_ALT, KEY_SHIFT, KEY_RCTRL, KEY_RALT};

TEST(FarKeys, SpecialKeysLieAboveUnicodeAndBelowModifiers) {
    for (int key : namedKeys()) {
        if (isCharacterKey(key)) continue;
        EXPECT_GT(key, 0x10FFFF) << std::hex << key;
        EXPECT_LE(key, KEY_LAST_BASE) << std::hex << key;
        for (int modifier : kModifiers) EXPECT_EQ(key & modifier, 0) << std::hex << key;
    }
    EXPECT_LT(KEY_LAST_BASE, KEY_CTRL);
    EXPECT_EQ(KEY_LAST_BASE & static_cast<int>(KEY_CTRLMASK), 0);
}


TEST(FarKeys, EveryCodePointIsACharacterKeyAndNoSpecialKey) {
    std::vector<int> keys = namedKeys();
    std::set<int> specials;
    for (int key : keys) {
        if (!isCharacterKey(key)) specials.insert(key);
    }
    for (int cp = 0x20; cp <= 0x10FFFF; ++cp) {
        if (!isCharacterKey(cp) || specials.count(cp) != 0) {
            FAIL() << "code point U+" << std::hex << cp << " is not a plain character key";
        }
        if ((cp & static_cast<int>(KEY_CTRLMASK)) != 0) FAIL() << "code point overlaps a modifier";
    }
    EXPECT_FALSE(isCharacterKey(KEY_ENTER));
    EXPECT_FALSE(isCharacterKey(KEY_ESC));
    EXPECT_FALSE(isCharacterKey(KEY_NONE));
    EXPECT_TRUE(isCharacterKey(KEY_SPACE));
    EXPECT_TRUE(isCharacterKey(KEY_ALT | 0x44F));  // Alt + Cyrillic small ya
}


}  // namespace
