// findBytes agrees with a plain search on every length of word, at every place in the text,
// including the first and last place and the edges of its sixteen-byte steps.
#include "index/query/find_bytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace skimmer::index::query {
namespace {

const char* plainFind(std::string_view text, std::string_view word) {
    const size_t at = text.find(word);
    return word.empty() || at == std::string_view::npos ? nullptr : text.data() + at;
}

TEST(FindBytes, AgreesWithAPlainSearchEverywhere) {
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        // A small alphabet makes partial matches (first and last byte agree, middle not) common.
        std::string text(std::uniform_int_distribution<size_t>(0, 70)(rng), ' ');
        for (char& c : text) c = "ab\0\xFF"[rng() % 4];
        std::string word(std::uniform_int_distribution<size_t>(1, 9)(rng), ' ');
        for (char& c : word) c = "ab\0\xFF"[rng() % 4];
        if (rng() % 3 == 0 && text.size() >= word.size())
            text.replace(std::uniform_int_distribution<size_t>(0, text.size() - word.size())(rng), word.size(), word);
        ASSERT_EQ(findBytes(text, word), plainFind(text, word)) << "round " << round;
    }
}

TEST(FindBytes, FirstAndLastPlacesAndNoReadPastTheEnd) {
    for (size_t size = 0; size < 40; ++size)
        for (size_t length = 1; length <= size; ++length) {
            const std::string word(length - 1, 'x');
            std::string text(size, 'x');
            // The only whole occurrence ends the text: the word is x..xy.
            text.back() = 'y';
            const std::string wanted = word + "y";
            EXPECT_EQ(findBytes(text, wanted), text.data() + size - length) << size << " " << length;
            EXPECT_EQ(findBytes(std::string_view(text).substr(0, size - 1), wanted), nullptr);
        }
    EXPECT_EQ(findBytes("abc", ""), nullptr);
    EXPECT_EQ(findBytes("ab", "abc"), nullptr);
}

}  // namespace
}  // namespace skimmer::index::query
