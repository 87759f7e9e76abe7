// "SKSEditGroups": the user groups as a menu in which F4 edits, Insert adds, Delete removes and
// Ctrl+Up / Ctrl+Down move a group, and the dialog that edits one group's four fields.
//
// Contract: the list never holds more than config::kMaxSortGroups groups (Insert on a full list
// is refused with a message). Every accepted change is written at once with saveSortGroups; a
// write the disk refuses is reported, and the change stays in memory. A group is only changed by
// an accepted edit whose maximum is a whole number from 0 up and whose name is not empty; a
// refused value is reported and the edit dialog shown again with what was typed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/sort_groups.h"
#include "settings/settings_env.h"

namespace skimmer::settings {

// A menu line's columns: the name, and the quoted kind after the separator.
inline constexpr size_t kGroupNameColumn = 20;
inline constexpr size_t kGroupKindColumn = 40;

// `text` fitted to `width` characters: padded with blanks, or cut to width - 3 characters and
// "..." when longer.
std::string FitText(std::string_view text, size_t width);

// A group's line in the list editor: its name, a blank, a vertical line and its quoted kind.
std::string GroupMenuText(const config::TSKSSortGroup& group);

// The group edit dialog over the group's four fields. True when accepted (`group` then holds the
// new values); false when cancelled (`group` unchanged).
bool editSortGroup(SettingsEnv& env, config::TSKSSortGroup& group);

// The list editor, until the user leaves it with Enter or Escape. True when a change was made.
bool editSortGroups(SettingsEnv& env);

}  // namespace skimmer::settings
