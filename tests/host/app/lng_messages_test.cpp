// The language files behind GetMsg.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/app/lng_messages.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

TEST(LngMessages, ChoosesTheUserLanguageThenEnglish) {
    test::TempHome home;
    const auto dir = home.root() / "plugin";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "a_eng.lng") << ".Language=English,English\n\"Hello\"\n\"Bye\"\n";
    std::ofstream(dir / "b_rus.lng") << ".Language=Russian,Russian (Русский)\n\"Привет\"\n";
    LngMessages m;
    m.load(dir, farLanguageFor("ru_RU.UTF-8"));
    EXPECT_STREQ(m.message(0), "Привет");
    EXPECT_STREQ(m.message(1), "");  // past the end: empty, never a crash
    m.load(dir, farLanguageFor("de_DE.UTF-8"));
    EXPECT_EQ(m.language(), "English");
    EXPECT_STREQ(m.message(1), "Bye");
    EXPECT_STREQ(m.message(-1), "");
    m.load(home.root() / "none", "English");
    EXPECT_STREQ(m.message(0), "");
}

}  // namespace
}  // namespace skimmer::host::app
