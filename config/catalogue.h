// The catalogue of every setting the plug-in keeps: one typed handle per setting (its name, kind,
// default and whether the save pass writes it), and the set-up that fills the settings table from
// them in the fixed order that is also the order of the save pass.
//
// Contract: a setting's name is spelled here and nowhere else; callers read and write it through
// its handle. The table's location and error sink belong to the frame and survive the set-up.
#pragma once

#include <cstdint>

#include "config/registry_config.h"
#include "config/setting.h"

namespace skimmer::config {

// The numbers the settings dialogs accept for the settings kept as text, checked again on every
// read from the registry. The custom window's sides are also kept inside the console when the
// window opens; here is what holds whatever the console: the least that fits the window's items,
// and the most the dialog's four-cell field can hold.
inline constexpr int32_t kLowestWindowHeight = 8;
inline constexpr int32_t kLowestWindowWidth = 30;
inline constexpr int32_t kHighestWindowSide = 9999;
// The drive menu's hot keys are the digits: a number it can show is one of them, or none at all.
inline constexpr int32_t kLowestDriveMenuNumber = 0;
inline constexpr int32_t kHighestDriveMenuNumber = 9;
static_assert(kHighestDriveMenuNumber < 10);  // the drive menu's hot keys are the digits

namespace setting {

// The search window. The custom size is used, and checked by the dialog, only while the window
// mode is 2 (the third option).
inline constexpr TNumberSetting kGroupMode{"SKSGroupMode", 0};
inline constexpr TFlagSetting kFIDontUse{"SKSFIDontUse", true};
inline constexpr TNumberSetting kWindowMode{"SKSWindowMode", 0};
inline constexpr int32_t kCustomWindowSize = 2;
inline constexpr TNumberRange kCustomWidths{kLowestWindowWidth, kHighestWindowSide, false, kWindowMode.Name,
                                           kCustomWindowSize};
inline constexpr TNumberRange kCustomHeights{kLowestWindowHeight, kHighestWindowSide, false, kWindowMode.Name,
                                            kCustomWindowSize};
inline constexpr TTextSetting kWindowWidth{"SKSWindowWidth", "50", true, kCustomWidths};
inline constexpr TTextSetting kWindowHeight{"SKSWindowHeight", "23", true, kCustomHeights};
inline constexpr TNumberSetting kKeySequence{"SKSKeySequence", 0};
inline constexpr TNumberSetting kStyle{"SKSStyle", 2};
inline constexpr TFlagSetting kFullInfo{"SKSFullInfo", false};
inline constexpr TFlagSetting kUseCL{"SKSUseCL", true};
inline constexpr TFlagSetting kShowExtentions{"SKSShowExtentions", true};
inline constexpr TFlagSetting kShowLnk{"SKSShowLnk", true};
inline constexpr TFlagSetting kCopyTemp{"SKSCopyTemp", true};
inline constexpr TFlagSetting kHighlightFiles{"SKSHighlightFiles", true};
inline constexpr TFlagSetting kHighlightKeyword{"SKSHighlightKeyword", false};
inline constexpr TFlagSetting kWindowAnimation{"SKSWindowAnimation", false};
inline constexpr TFlagSetting kUseSystemHistory{"SKSUseSystemHistory", true};
inline constexpr TFlagSetting kPositionW{"SKSPositionW", false};
inline constexpr TFlagSetting kHideButtons{"SKSHideButtons", false};
inline constexpr TFlagSetting kRealShortcuts{"SKSRealShortcuts", true};
inline constexpr TFlagSetting kAllResults{"SKSAllResults", false};
inline constexpr TTextSetting kFIColumns{"SKSFIColumns", "N,S,P"};
inline constexpr TTextSetting kFIWidths{"SKSFIWidths", "26,6,30"};
inline constexpr TFlagSetting kShowTPW{"ESKSShowTPW", false};

// The engine: 0 the desktop index, anything else `locate`, from the folder where Linux
// distributions install it.
inline constexpr TNumberSetting kSearchEngine{"ESKSSearchEngine", 0};
inline constexpr TTextSetting kLocate32Path{"ESKSLocate32Path", "/usr/bin"};

// The panel of search folders.
inline constexpr TNumberSetting kPanelGroupMode{"SKPGroupMode", 0};
inline constexpr TFlagSetting kPanelGroupsAsFolders{"SKPGroupsAsFolders", true};
inline constexpr TFlagSetting kPanelUseCL{"SKPUseCL", false};
inline constexpr TFlagSetting kPanelFullPaths{"SKPFullPaths", false};
inline constexpr TFlagSetting kPanelShowLnk{"SKPShowLnk", true};
inline constexpr TFlagSetting kPanelShowFolders{"SKPShowFolders", false};
inline constexpr TFlagSetting kPanelRealShortcuts{"SKPRealShortcuts", true};
inline constexpr TFlagSetting kPanelHighlight{"SKPHighlight", true};
inline constexpr TTextSetting kPanelLetter{
    "SKPLetter", "0", true, TNumberRange{kLowestDriveMenuNumber, kHighestDriveMenuNumber, true}};

static_assert(kWindowWidth.Range->OnlyWhen == kWindowMode.Name && kStyle.Default == 2 && kFIDontUse.Default);

}  // namespace setting

// How many settings the catalogue holds.
inline constexpr int32_t kCatalogueSize = 34;

// Resets the table to empty, adds the catalogue's settings in catalogue order and loads them from
// the registry (missing values keep their defaults). The table's location and error sink are kept.
void configSetupCatalogue(TRegistryConfig& config);

}  // namespace skimmer::config
