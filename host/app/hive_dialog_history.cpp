#include "host/app/hive_dialog_history.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace skimmer::host::app {
namespace {

// The number in a value name `<prefix><digits>`, none for any other name.
std::optional<size_t> numberAfter(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size()) return std::nullopt;
    for (size_t i = 0; i < prefix.size(); ++i)
        if ((name[i] | 0x20) != (prefix[i] | 0x20)) return std::nullopt;
    size_t n = 0;
    const char* end = name.data() + name.size();
    const auto [at, ec] = std::from_chars(name.data() + prefix.size(), end, n);
    if (ec != std::errc{} || at != end) return std::nullopt;
    return n;
}

// What is wrong with a Line value for an edit line, or nullptr when it can be used.
const char* lineDefect(const os::RegValue& value) {
    if (value.type != os::RegType::String) return "not text";
    if (value.data.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
        return "a zero byte or a line break";
    if (value.data.empty()) return "empty";
    return nullptr;
}

}  // namespace

HiveDialogHistory::HiveDialogHistory(os::Hive& hive, std::string root, std::function<void(const std::string&)> report)
    : hive_(hive), root_(std::move(root)), report_(std::move(report)) {}

std::string HiveDialogHistory::keyOf(std::string_view name) const {
    return root_ + "\\SavedDialogHistory\\" + std::string(name);
}

std::vector<ui::HistoryEntry> HiveDialogHistory::load(std::string_view name) {
    const auto key = hive_.openKey(keyOf(name));
    if (!key) return {};
    std::map<size_t, ui::HistoryEntry> lines;
    std::map<size_t, bool> locks;
    std::string damaged;  // the first value left out, with why
    size_t damagedCount = 0;
    const auto leaveOut = [&](std::string_view value, std::string_view why) {
        if (damagedCount++ == 0) damaged = std::string(value) + " (" + std::string(why) + ")";
    };
    key->forEachValue([&](std::string_view valueName, const os::RegValue& value) {
        if (const auto n = numberAfter(valueName, "Line")) {
            if (const char* defect = lineDefect(value)) leaveOut(valueName, defect);
            else lines[*n].text = value.data;
        } else if (const auto n = numberAfter(valueName, "Locked")) {
            if (value.type != os::RegType::Dword) leaveOut(valueName, "not a DWORD");
            else locks[*n] = value.data != std::string(4, '\0');
        }
    });
    std::vector<ui::HistoryEntry> entries;
    for (auto& [n, entry] : lines) {
        const std::string& text = entry.text;  // a lambda may not capture a structured binding (clang)
        const auto same = [&](const ui::HistoryEntry& e) { return e.text == text; };
        const bool twice = std::any_of(entries.begin(), entries.end(), same);
        if (twice) {
            leaveOut("Line" + std::to_string(n), "given twice");
            continue;
        }
        entry.locked = locks.count(n) && locks[n];
        entries.push_back(std::move(entry));
    }
    if (damagedCount > 0 && report_)
        report_("The dialog history \"" + std::string(name) + "\" in " + hive_.file().string() + " has " +
                std::to_string(damagedCount) + " damaged value(s), left out; the first: " + damaged);
    return entries;
}

void HiveDialogHistory::save(std::string_view name, const std::vector<ui::HistoryEntry>& entries) {
    const std::string path = keyOf(name);
    os::Hive::Batch batch(hive_);
    os::RegStatus status;
    if (hive_.openKey(path)) status = hive_.deleteTree(path);
    std::optional<os::RegKey> key = status ? hive_.createKey(path, &status) : std::nullopt;
    for (size_t i = 0; key && status && i < entries.size(); ++i) {
        status = key->writeString("Line" + std::to_string(i), entries[i].text);
        if (status && entries[i].locked) status = key->writeDword("Locked" + std::to_string(i), 1);
    }
    if (!key && status) status = {false, "the history name \"" + std::string(name) + "\" is no registry key name"};
    if (status) status = batch.commit();
    if (!status && report_ && !hive_.writtenByNewerVersion())
        report_("The dialog history \"" + std::string(name) + "\" was not saved: " + status.error);
}

}  // namespace skimmer::host::app
