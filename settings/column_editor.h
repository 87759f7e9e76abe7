// "SKSEditFullInfo": the full-information column layout — whether the built-in one is used
// ("SKSFIDontUse"), the column codes ("SKSFIColumns") and their widths ("SKSFIWidths").
//
// Contract: accepting checks the codes (only N, S, P, D, T and commas, in either case) and the
// widths (one whole number per entry, 1 to kMaxColumnWidth) unless the built-in layout is chosen
// or no codes are given; a refused value is reported and the dialog shown again as typed. An
// accepted dialog saves every stored setting once; a cancelled one leaves the settings as they
// were when it opened, in memory and on disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_env.h"

namespace skimmer::settings {

// No window shows a wider column (the search window's content is at most 128 cells wide).
inline constexpr int32_t kMaxColumnWidth = 128;

// Whether `codes` holds only column codes and commas (compared in upper case).
bool validColumnCodes(std::string_view codes);
// Whether every comma-separated entry of `widths` is a whole number from 1 to kMaxColumnWidth
// (blanks around an entry allowed).
bool validColumnWidths(std::string_view widths);

// The dialog, until accepted (true, settings saved) or cancelled (false).
bool editFullInfoColumns(SettingsEnv& env);

}  // namespace skimmer::settings
