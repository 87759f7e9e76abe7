#include "config/catalogue.h"

#include <optional>

namespace skimmer::config {

namespace {

struct CatalogueEntry {
    const char* name;
    TConfigValueKind kind;
    const char* defaultText;  // the default as text; integers and booleans convert from it
    bool stored;
    std::optional<TNumberRange> range = std::nullopt;
};

// The custom size is used, and checked by the dialog, only while "SKSWindowMode" is 2.
constexpr TNumberRange kWindowHeights{kLowestWindowHeight, kHighestWindowSide, false, "SKSWindowMode", 2};
constexpr TNumberRange kWindowWidths{kLowestWindowWidth, kHighestWindowSide, false, "SKSWindowMode", 2};
constexpr TNumberRange kDriveMenuNumbers{kLowestDriveMenuNumber, kHighestDriveMenuNumber, true};

// The settings in the order of the table they come from. The folder of the locate program is
// where Linux distributions install `locate`.
const CatalogueEntry kCatalogue[] = {
    {"SKSGroupMode", cvkInteger, "0", true},
    {"SKSFIDontUse", cvkBoolean, "True", true},
    {"SKSWindowMode", cvkInteger, "0", true},
    {"SKSWindowWidth", cvkString, "50", true, kWindowWidths},
    {"SKSWindowHeight", cvkString, "23", true, kWindowHeights},
    {"SKSKeySequence", cvkInteger, "0", true},
    {"SKSStyle", cvkInteger, "2", true},
    {"SKSFullInfo", cvkBoolean, "False", true},
    {"SKSUseCL", cvkBoolean, "True", true},
    {"SKSShowExtentions", cvkBoolean, "True", true},
    {"SKSShowLnk", cvkBoolean, "True", true},
    {"SKSCopyTemp", cvkBoolean, "True", true},
    {"SKSHighlightFiles", cvkBoolean, "True", true},
    {"SKSHighlightKeyword", cvkBoolean, "False", true},
    {"SKSWindowAnimation", cvkBoolean, "False", true},
    {"SKSUseSystemHistory", cvkBoolean, "True", true},
    {"SKSPositionW", cvkBoolean, "False", true},
    {"SKSHideButtons", cvkBoolean, "False", true},
    {"SKSRealShortcuts", cvkBoolean, "True", true},
    {"SKSAllResults", cvkBoolean, "False", true},
    {"SKSFIColumns", cvkString, "N,S,P", true},
    {"SKSFIWidths", cvkString, "26,6,30", true},
    {"ESKSShowTPW", cvkBoolean, "False", true},
    {"tmp1", cvkString, "temp1", false},
    {"tmp2", cvkString, "temp2", false},
    {"tmp3", cvkString, "temp3", false},
    {"tmp4", cvkString, "temp4", false},
    {"tmp5", cvkBoolean, "False", false},
    {"tmp6", cvkString, "temp6", false},
    {"tmp7", cvkBoolean, "False", false},
    {"tmp8", cvkBoolean, "False", false},
    {"ESKSSearchEngine", cvkInteger, "0", true},
    {"ESKSLocate32Path", cvkString, "/usr/bin", true},
    {"SKPGroupMode", cvkInteger, "0", true},
    {"SKPGroupsAsFolders", cvkBoolean, "True", true},
    {"SKPUseCL", cvkBoolean, "False", true},
    {"SKPFullPaths", cvkBoolean, "False", true},
    {"SKPShowLnk", cvkBoolean, "True", true},
    {"SKPShowFolders", cvkBoolean, "False", true},
    {"SKPRealShortcuts", cvkBoolean, "True", true},
    {"SKPHighlight", cvkBoolean, "True", true},
    {"SKPLetter", cvkString, "0", true, kDriveMenuNumbers},
};

static_assert(std::size(kCatalogue) == 42);

}  // namespace

void configSetupCatalogue(TRegistryConfig& config) {
    config.Elements.clear();
    config.Count = 0;
    config.Elements.reserve(std::size(kCatalogue));
    for (const auto& entry : kCatalogue) {
        configAddValue(config, entry.name, entry.kind, entry.stored, TConfigValue::str(entry.defaultText));
        config.Elements.back().Range = entry.range;
    }
    configLoadValues(config);
}

}  // namespace skimmer::config
