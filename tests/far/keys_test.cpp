// Key codes on every target: FAR 1.70's modifier arithmetic, Unicode code points for characters,
// FAR 1.70's published codes carried onto the names (identity on Windows).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "far/keys.h"
#include "far170_key_facts.h"
#include "named_keys.h"

namespace {

using namespace skimmer::farapi;
using skimmer::farapi::test::namedKeys;

TEST(FarKeys, ModifiersCombineByOr) {
    EXPECT_EQ(KEY_CTRL | KEY_UP, KEY_CTRLUP);
    EXPECT_EQ(KEY_SHIFT | KEY_ENTER, KEY_SHIFTENTER);
    EXPECT_EQ(KEY_CTRL | KEY_SHIFT | KEY_ENTER, KEY_CTRLSHIFTENTER);
    EXPECT_EQ(KEY_ALT | KEY_SHIFT | KEY_F9, KEY_ALTSHIFTF9);
    EXPECT_EQ(KEY_CTRL | KEY_ALT | KEY_F1, KEY_CTRLALTF1);
    EXPECT_EQ(KEY_RCTRL | '5', KEY_RCTRL5);
    EXPECT_EQ(KEY_CTRL | 'F', KEY_CTRLF);
    EXPECT_EQ(keyBase(KEY_CTRLSHIFTTAB), KEY_TAB);
    EXPECT_EQ(keyModifiers(KEY_CTRLSHIFTTAB), KEY_CTRL | KEY_SHIFT);
    EXPECT_EQ(static_cast<DWORD>(keyModifiers(KEY_RALT | KEY_RCTRL | KEY_HOME)) & ~KEY_CTRLMASK, 0u);
}

TEST(FarKeys, ModifierBitsAreFar170s) {
    EXPECT_EQ(KEY_CTRL, 0x01000000);
    EXPECT_EQ(KEY_ALT, 0x02000000);
    EXPECT_EQ(KEY_SHIFT, 0x04000000);
    EXPECT_EQ(KEY_RCTRL, 0x10000000);
    EXPECT_EQ(KEY_RALT, 0x20000000);
    EXPECT_EQ(KEY_CTRLMASK, 0xFF000000u);
}

TEST(FarKeys, NamedKeysAreDistinct) {
    std::vector<int> keys = namedKeys();
    std::set<int> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), keys.size());
}

TEST(FarKeys, CharacterKeysAreTheirCodePoints) {
    EXPECT_EQ(KEY_SPACE, 0x20);
    EXPECT_EQ(KEY_BACKSLASH, '\\');
    EXPECT_EQ(KEY_CTRLA, KEY_CTRL | 0x41);
    EXPECT_EQ(keyBase(KEY_ALT | 0x1F600), 0x1F600);
}

TEST(FarKeys, Far170CodesMapOntoTheNames) {
    for (const auto& fact : skimmer::farapi::test::kFar170KeyFacts) {
        EXPECT_EQ(skimmer::farapi::test::keyFromFar170(fact.far170), fact.key) << fact.name;
    }
}

TEST(FarKeys, SpecialKeysKeepTheirFar170BaseInTheLowBits) {
    EXPECT_EQ(KEY_UP, kSpecialKeyBase + 0x126);
    EXPECT_EQ(KEY_ENTER - kSpecialKeyBase, 0x0D);
    EXPECT_EQ(KEY_F12 - KEY_F1, 11);
    EXPECT_EQ(KEY_NUMPAD9 - KEY_NUMPAD0, 9);
}

}  // namespace
