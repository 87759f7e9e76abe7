// The About box's item table: product line, FAR's version, the operating system and the chosen
// engine's lines, at their fixed places in a 48 x 20 box, coloured from FAR's palette.
//
// Contract: AboutDescription only lays out the texts it is given (it asks nothing of the engine
// or the system); every text is shortened to the room left of the frame, so no line runs over
// it. ShowAboutBox (settings_dialogs.h) gathers the texts and runs the table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/dialog_description.h"
#include "settings/about_lines.h"

namespace skimmer::settings {

inline constexpr int32_t kAboutWidth = 48;
inline constexpr int32_t kAboutHeight = 20;
inline constexpr int32_t kAboutTextX = 6;     // where every line starts
inline constexpr int32_t kAboutFrameX2 = 44;  // the frame's right edge
// Characters a line may hold between its start and the frame.
inline constexpr int32_t kAboutRoom = kAboutFrameX2 - kAboutTextX;
static_assert(kAboutRoom == 38);

inline constexpr const char* kProductLine = "Skimmer v1.07-SR1 BETA";

struct TAboutTexts {
    std::string Environment;  // msg 52
    std::string FarLine;
    std::string SystemLine;
    TAboutEngineLines Engine;
};

// `palette` has at least FAR's palette size; `ok` receives the FAR index of "BOK".
dialogs::TDialogDescription AboutDescription(const TAboutTexts& texts, const std::vector<uint8_t>& palette,
                                             int32_t& ok);

}  // namespace skimmer::settings
