// Long random sequences of the list box's edits and keys on random lists: whatever happens, the
// cursor and the first shown row stay consistent, so nothing is ever drawn from or pointed at a
// row that is not there.
#include <gtest/gtest.h>

#include <random>

#include "dialogs/list_box_ex_keys.h"
#include "dialogs/list_box_ex_rows.h"
#include "far/keys.h"
#include "tests/dialogs/list_fixture.h"

namespace skimmer::dialogs::test {
namespace {

constexpr int32_t kHeight = 4;

// Empty: nothing current, nothing shown. Otherwise Current and Top are rows, Top is not after
// Current, the current row fits in the window, and it is selectable when any row is.
::testing::AssertionResult consistent(const TListBoxExData& data) {
    if (data.Items.empty()) {
        if (data.Current == -1 && data.Top == -1) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "empty list with Current " << data.Current << ", Top " << data.Top;
    }
    if (data.Current < 0 || data.Current >= data.Count() || data.Top < 0 || data.Top > data.Current)
        return ::testing::AssertionFailure() << "Current " << data.Current << ", Top " << data.Top << " of " << data.Count();
    bool anySelectable = false;
    for (const auto& item : data.Items) anySelectable |= (item.Flags & kLbxUnselectable) == 0;
    const uint32_t flags = data.Items[static_cast<size_t>(data.Current)].Flags;
    if (anySelectable && (flags & kLbxUnselectable))
        return ::testing::AssertionFailure() << "Current " << data.Current << " is not selectable";
    int32_t shown = 0;
    for (int32_t i = data.Top; i <= data.Current; ++i) shown += (data.Items[static_cast<size_t>(i)].Flags & kLbxHidden) == 0;
    if (!(flags & kLbxHidden) && shown > kHeight)
        return ::testing::AssertionFailure() << "Current " << data.Current << " lies below a window from " << data.Top;
    return ::testing::AssertionSuccess();
}

class RandomEditsTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomEditsTest, CursorAndTopStayConsistent) {
    std::mt19937 rng(GetParam());
    auto pick = [&](int n) { return static_cast<int32_t>(rng() % static_cast<unsigned>(n)); };
    auto randomRow = [&] { return row(pick(100), std::array<uint32_t, 5>{0, 0, kLbxHidden, kLbxSeparator, kLbxHighlighted}[static_cast<size_t>(pick(5))]); };
    const TLbxCharServices chars{[](uint32_t c) { return c >= 'A' && c <= 'Z'; }, [](uint32_t c) { return c; },
                                 [](uint32_t c) { return c; }};
    const int keys[] = {KEY_UP, KEY_DOWN, KEY_PGUP, KEY_PGDN, KEY_HOME, KEY_END, KEY_LEFT, KEY_RIGHT, 'A'};
    TListBoxExData data;
    for (int step = 0; step < 3000; ++step) {
        const int32_t count = data.Count();
        switch (pick(9)) {
            case 0: AddRows(data, {randomRow(), randomRow()}, kHeight); break;
            case 1: InsertRow(data, pick(count + 2), randomRow(), kHeight); break;
            case 2: DeleteRows(data, pick(count + 1), pick(4), kHeight); break;
            case 3: SetRowFlags(data, pick(count + 1), randomRow().Flags, kHeight); break;
            case 4: SetRow(data, pick(count + 1), randomRow(), kHeight); break;
            case 5: SwapRow(data, pick(count + 1), pick(2) == 0, kHeight); break;
            case 6: SelectRowAt(data, pick(kHeight + 2), kHeight); break;
            case 7: SetPosition(data, pick(count + 3) - 1, pick(count + 3) - 1, kHeight); break;
            default: ListBoxExKey(data, keys[pick(9)], kHeight, chars); break;
        }
        ASSERT_TRUE(consistent(data)) << "after step " << step;
        if (pick(50) == 0) DeleteRows(data, 0, 0, kHeight);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEditsTest, ::testing::Values(1u, 2u, 3u, 42u, 1234u));

}  // namespace
}  // namespace skimmer::dialogs::test
