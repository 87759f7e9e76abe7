#include "host/app/hive_dialog_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;
using ui::DialogHistory;
using ui::HistoryEntry;

constexpr const char* kKey = "Software\\Far\\SavedDialogHistory\\Masks";

std::vector<HistoryEntry> lines(const std::string& prefix, int from, int to, bool locked = false) {
    std::vector<HistoryEntry> out;
    for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1)
        out.push_back({prefix + std::to_string(i), locked});
    return out;
}

std::vector<HistoryEntry> operator+(std::vector<HistoryEntry> a, const std::vector<HistoryEntry>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct StoredValue {
    std::string name;
    os::RegValue value;
};

// One history's life: values already in the hive, then steps through the dialog history ("+text"
// adds, "-N" deletes entry N, "!N" locks or unlocks it, "#" deletes every unlocked entry), then
// what a fresh start reads back, and what was reported.
struct HistoryCase {
    const char* name;
    std::vector<StoredValue> stored;
    std::vector<std::string> steps;
    std::vector<HistoryEntry> expected;
    std::string report;  // a part of the one report expected; empty: nothing reported
};

std::vector<StoredValue> storedLines(int count) {
    std::vector<StoredValue> out;
    for (int i = 0; i < count; ++i)
        out.push_back({"Line" + std::to_string(i), os::RegValue::string("s" + std::to_string(i))});
    return out;
}

void apply(DialogHistory& history, const std::string& step) {
    const std::string arg = step.substr(1);
    switch (step[0]) {
        case '+': history.add("Masks", arg); break;
        case '-': history.remove("Masks", std::stoul(arg)); break;
        case '!': history.toggleLock("Masks", std::stoul(arg)); break;
        case '#': history.clearUnlocked("Masks"); break;
        default: FAIL() << "unknown step " << step;
    }
}

class HiveHistory : public ::testing::TestWithParam<HistoryCase> {
protected:
    test::TempHome home_;
    fs::path file_ = home_.config() / "skimmer" / "registry.reg";
};

TEST_P(HiveHistory, KeepsFarsOrderAndBoundAcrossARestart) {
    const HistoryCase& c = GetParam();
    {
        os::Hive seed(file_);
        os::Hive::Batch batch(seed);  // one write for the lot
        ASSERT_TRUE(seed.createKey("Software\\Far\\Plugins\\TmpPanel")->writeString("Prefix", "tmp"));
        if (!c.stored.empty()) {
            auto key = seed.createKey(kKey);
            for (const auto& v : c.stored)
                ASSERT_TRUE(v.value.type == os::RegType::Dword
                                ? key->writeDword(v.name, static_cast<uint8_t>(v.value.data[0]))
                                : key->writeString(v.name, v.value.data));
        }
        ASSERT_TRUE(batch.commit());
    }
    std::vector<std::string> reports;
    const auto collect = [&](const std::string& text) { reports.push_back(text); };
    {
        os::Hive hive(file_);
        HiveDialogHistory store(hive, "Software\\Far", collect);
        DialogHistory history;
        history.setStore(&store);
        for (const auto& step : c.steps) apply(history, step);
        EXPECT_FALSE(hive.hasUnsavedChanges());
    }
    os::Hive reread(file_);  // a new run: what the file holds
    HiveDialogHistory store(reread, "Software\\Far", collect);
    DialogHistory history;
    history.setStore(&store);
    EXPECT_EQ(history.entries("MASKS"), c.expected);  // names compare without regard to case
    EXPECT_LE(history.entries("Masks").size(), DialogHistory::kMaxEntries);
    if (c.report.empty()) {
        EXPECT_TRUE(reports.empty()) << reports.front();
    } else {
        ASSERT_FALSE(reports.empty());
        EXPECT_NE(reports.front().find(c.report), std::string::npos) << reports.front();
    }
    EXPECT_EQ(reread.openKey("Software\\Far\\Plugins\\TmpPanel")->readString("Prefix"), "tmp") << "other settings kept";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, HiveHistory,
    ::testing::Values(
        HistoryCase{"NewestFirst", {}, {"+a", "+b", "+c"}, {{"c"}, {"b"}, {"a"}}, ""},
        HistoryCase{"NoLineTwice", {}, {"+a", "+b", "+a", "+a"}, {{"a"}, {"b"}}, ""},
        HistoryCase{"EmptyLineNotKept", {}, {"+", "+*.c"}, {{"*.c"}}, ""},
        HistoryCase{"CaseMatters", {}, {"+*.C", "+*.c"}, {{"*.c"}, {"*.C"}}, ""},
        HistoryCase{"Bounded", storedLines(64), {"+new"}, std::vector<HistoryEntry>{{"new"}} + lines("s", 0, 62), ""},
        HistoryCase{"LockedOutlivesPushOut",
                    [] {
                        auto v = storedLines(64);
                        v.push_back({"Locked63", os::RegValue::dword(1)});
                        return v;
                    }(),
                    {"+new"},
                    std::vector<HistoryEntry>{{"new"}} + lines("s", 0, 61) + lines("s", 63, 63, true), ""},
        HistoryCase{"DeleteAndClearSpareLocked",
                    {},
                    {"+a", "+b", "+c", "!1", "-1", "-0", "+d", "#"},
                    {{"b", true}},
                    ""},
        HistoryCase{"LockMovesWithItsLine", {}, {"+a", "+b", "!1", "+a"}, {{"a", true}, {"b"}}, ""},
        HistoryCase{"DamagedValueLeftOut",
                    {{"Line0", os::RegValue::string("a")},
                     {"Line1", os::RegValue::dword(5)},
                     {"Line2", os::RegValue::string("c")}},
                    {},
                    {{"a"}, {"c"}},
                    "Line1 (not text)"},
        HistoryCase{"LineBreakLeftOut",
                    {{"Line0", os::RegValue::string("a\nb")}, {"Line1", os::RegValue::string("c")}},
                    {"+d"},
                    {{"d"}, {"c"}},
                    "Line0 (a zero byte or a line break)"},
        HistoryCase{"LineGivenTwiceLeftOut",
                    {{"Line0", os::RegValue::string("a")}, {"Line1", os::RegValue::string("a")}},
                    {},
                    {{"a"}},
                    "Line1 (given twice)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app
