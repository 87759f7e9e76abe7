#include <gtest/gtest.h>

#include <cstring>

#include "platform/growable_block.h"
#include "platform/size_text.h"

namespace skimmer::platform {
namespace {

constexpr uint32_t kGiB = 1024u * 1024u * 1024u;

TEST(SizeText, UnitsAndRounding) {
    EXPECT_EQ(SizeText(0), "0");
    EXPECT_EQ(SizeText(1023), "1023");
    EXPECT_EQ(SizeText(1024), "1 K");
    EXPECT_EQ(SizeText(1536), "1 K");                 // truncated
    EXPECT_EQ(SizeText(1048575), "1023 K");
    EXPECT_EQ(SizeText(1048576), "1 M");
    EXPECT_EQ(SizeText(kGiB - 1), "1023 M");
    EXPECT_EQ(SizeText(kGiB), "1 G");
    EXPECT_EQ(SizeText(kGiB + kGiB / 2), "2 G");      // 1.5: tie goes to the even 2
    EXPECT_EQ(SizeText(2 * kGiB + kGiB / 2), "2 G");  // 2.5: tie goes to the even 2
    EXPECT_EQ(SizeText(2 * kGiB + kGiB / 2 + 1), "3 G");
    EXPECT_EQ(SizeText(0xFFFFFFFFu), "4 G");          // 3.99… rounds up
}

TEST(GrowableBlock, FirstAllocationIsExactAndZeroed) {
    GrowableBlock block;
    BlockResize(block, 100);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block.size(), 100u);
    for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], 0);
}

TEST(GrowableBlock, KeepRule) {
    GrowableBlock block;
    BlockAlloc(block, 8192);
    uint8_t* first = block.data();
    BlockResize(block, 8000);  // rounds to 8192: same size, kept
    EXPECT_EQ(block.data(), first);
    EXPECT_EQ(block.size(), 8192u);

    BlockAlloc(block, 16384);
    first = block.data();
    BlockResize(block, 1);  // R = 8192, 8192 bytes too many: still below the 8193 slack, kept
    EXPECT_EQ(block.data(), first);
    EXPECT_EQ(block.size(), 16384u);
}

TEST(GrowableBlock, ShrinksAndGrowsInStepsKeepingContent) {
    GrowableBlock block;
    BlockAlloc(block, 32768);
    std::memset(block.data(), 0xAB, block.size());
    BlockResize(block, 100);  // 24576 too many: reallocated to one step
    EXPECT_EQ(block.size(), 8192u);
    EXPECT_EQ(block.data()[8191], 0xAB);

    BlockResize(block, 8193);  // grows to two steps; the new half is zero
    EXPECT_EQ(block.size(), 16384u);
    EXPECT_EQ(block.data()[8191], 0xAB);
    EXPECT_EQ(block.data()[8192], 0);

    BlockResize(block, 0);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(block.size(), 0u);
}

}  // namespace
}  // namespace skimmer::platform
