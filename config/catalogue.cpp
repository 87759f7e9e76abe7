#include "config/catalogue.h"

#include <iterator>

namespace skimmer::config {

namespace {

// One catalogue entry, whatever its handle's value type.
struct CatalogueEntry {
    std::string_view name;
    TConfigValueKind kind;
    TConfigValue defaultValue;
    bool stored;
    std::optional<TNumberRange> range;
};

template <typename T>
CatalogueEntry entry(const TSetting<T>& handle) {
    return {handle.Name, handle.kKind, handle.defaultValue(), handle.Stored, handle.Range};
}

// The settings in the order of the table they come from, which is the save pass's order.
using namespace setting;
const CatalogueEntry kCatalogue[] = {
    entry(kGroupMode),       entry(kFIDontUse),         entry(kWindowMode),        entry(kWindowWidth),
    entry(kWindowHeight),    entry(kKeySequence),       entry(kStyle),             entry(kFullInfo),
    entry(kUseCL),           entry(kShowExtentions),    entry(kShowLnk),           entry(kCopyTemp),
    entry(kHighlightFiles),  entry(kHighlightKeyword),  entry(kWindowAnimation),   entry(kUseSystemHistory),
    entry(kPositionW),       entry(kHideButtons),       entry(kRealShortcuts),     entry(kAllResults),
    entry(kFIColumns),       entry(kFIWidths),          entry(kShowTPW),           entry(kSearchEngine),
    entry(kLocate32Path),    entry(kPanelGroupMode),    entry(kPanelGroupsAsFolders), entry(kPanelUseCL),
    entry(kPanelFullPaths),  entry(kPanelShowLnk),      entry(kPanelShowFolders),  entry(kPanelRealShortcuts),
    entry(kPanelHighlight),  entry(kPanelLetter),
};
static_assert(std::size(kCatalogue) == kCatalogueSize);

}  // namespace

void configSetupCatalogue(TRegistryConfig& config) {
    config.Elements.clear();
    config.Count = 0;
    config.Elements.reserve(std::size(kCatalogue));
    for (const CatalogueEntry& item : kCatalogue) {
        configAddValue(config, item.name, item.kind, item.stored, item.defaultValue);
        config.Elements.back().Range = item.range;
    }
    configLoadValues(config);
}

}  // namespace skimmer::config
