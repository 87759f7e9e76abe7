#include "plugin/entry_points.h"

#include <climits>

#include "config/catalogue.h"

namespace skimmer::plugin {

namespace {

// FAR keeps these pointers after GetPluginInfo returns: they are constants of the module.
const char* const kProductName = "Skimmer";
const char* const kDiskMenuStrings[] = {kProductName};
const char* const kPluginMenuStrings[] = {kProductName};
const char* const kPluginConfigStrings[] = {kProductName};

}  // namespace

int diskMenuNumberFrom(const std::string& letter) {
    long long value = 0;
    for (char c : letter) {
        if (c < '0' || c > '9') break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);  // saturates: never overflows
    }
    return static_cast<int>(value);
}

void getPluginInfo(PluginState& state, PluginInfo& info) {
    // A table without the setting (one set up before the catalogue) offers no number.
    const std::string text = config::setting::kPanelLetter.find(state.PluginConfig).value_or("");
    const int* numbers = nullptr;
    if (!text.empty()) {
        state.DiskMenuNumber = diskMenuNumberFrom(text);
        numbers = &state.DiskMenuNumber;
    }
    info.StructSize = sizeof(PluginInfo);
    info.Flags = PF_PRELOAD;
    info.DiskMenuStrings = kDiskMenuStrings;
    info.DiskMenuNumbers = numbers;
    info.DiskMenuStringsNumber = 1;
    info.PluginMenuStrings = kPluginMenuStrings;
    info.PluginMenuStringsNumber = 1;
    info.PluginConfigStrings = kPluginConfigStrings;
    info.PluginConfigStringsNumber = 1;
    info.CommandPrefix = nullptr;
    info.Reserved = 0;
}

}  // namespace skimmer::plugin
