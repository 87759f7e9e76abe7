// Where a file a plug-in wrote into a private folder is (GetFiles for F3/F4), found without ever
// leaving that folder.
//
// Contract: the answer is a regular file directly inside `dir`, never reached through a link, or
// none. The item's own name is used only when it is one plain component (no '/', not "." or "..");
// otherwise, or when no such file exists, the one regular file the plug-in wrote there is taken.
// Two or more candidates: none, rather than a guess.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace skimmer::host::app {

std::optional<std::filesystem::path> fetchedFile(const std::filesystem::path& dir, const std::string& itemName);

}  // namespace skimmer::host::app
