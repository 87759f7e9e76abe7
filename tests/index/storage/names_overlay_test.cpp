// The names overlay is taken only when it describes the snapshot being read, and any damage
// gives none (readers then take the plain database path).
#include "index/storage/names_overlay.h"

#include <gtest/gtest.h>

namespace skimmer::index::store {
namespace {

struct OverlayCase {
    const char* name;
    std::string text;
    std::optional<std::vector<int64_t>> dirs;  // none: refused
};

class OverlayText : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(OverlayText, IsTakenOnlyWhenItDescribesTheSnapshot) {
    const auto parsed = parseNamesOverlay(GetParam().text, /*generation=*/7, /*instance=*/99);
    ASSERT_EQ(parsed.has_value(), GetParam().dirs.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->dirs, *GetParam().dirs);
        EXPECT_EQ(parsed->base, 5u);
    }
}

std::string tooMany() {
    std::set<int64_t> dirs;
    for (int64_t id = 1; id <= static_cast<int64_t>(kMaxOverlayFolders) + 1; ++id) dirs.insert(id);
    return formatNamesOverlay(7, 5, 99, dirs);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OverlayText,
    ::testing::Values(OverlayCase{"AsWritten", formatNamesOverlay(7, 5, 99, {3, 12, 40}), std::vector<int64_t>{3, 12, 40}},
                      OverlayCase{"NoFolders", formatNamesOverlay(7, 5, 99, {}), std::vector<int64_t>{}},
                      OverlayCase{"AnotherGeneration", formatNamesOverlay(8, 5, 99, {3}), std::nullopt},
                      OverlayCase{"AnotherInstance", formatNamesOverlay(7, 5, 98, {3}), std::nullopt},
                      OverlayCase{"BaseNotOlder", "7 7 99\n3", std::nullopt},
                      OverlayCase{"NotAscending", "7 5 99\n12 3", std::nullopt},
                      OverlayCase{"Repeated", "7 5 99\n3 3", std::nullopt},
                      OverlayCase{"NotAFolderId", "7 5 99\n0", std::nullopt},
                      OverlayCase{"Negative", "7 5 99\n-4", std::nullopt},
                      OverlayCase{"TrailingSpace", "7 5 99\n3 ", std::nullopt},
                      OverlayCase{"Junk", "7 5 99\n3 x", std::nullopt},
                      OverlayCase{"NoHeaderEnd", "7 5 99", std::nullopt},
                      OverlayCase{"Empty", "", std::nullopt},
                      OverlayCase{"TooMany", tooMany(), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::store
