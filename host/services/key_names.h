// FAR's key names: "Enter", "CtrlF10", "ShiftEnter", "Alt1", "F4", "Esc", "a" ... and back, as
// FarNameToKey and FarKeyToName exchange them and macro texts spell keys.
//
// Contract:
// - A name is optional modifier prefixes ("Ctrl", "Alt", "Shift", "RCtrl", "RAlt", in any order,
//   case-insensitive) and a base: a key name from FAR's list, or one character. With Ctrl or Alt a
//   letter stands for its upper-case key, as FAR codes it. Nothing else is a key name.
// - Codes are far/keys.h's (on Linux: code points for characters, special keys above Unicode).
// - keyToName(nameToKey(n)) spells n the way FAR writes it (modifiers as Ctrl, Alt, Shift).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skimmer::host::services {

std::optional<int> nameToKey(std::string_view name);
std::optional<std::string> keyToName(int key);

}  // namespace skimmer::host::services
