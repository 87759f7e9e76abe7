// Path text, taken lexically: joining a folder and a name, and whether a path lies in a folder.
// Nothing here touches the file system or resolves links, "." or ".."; callers pass paths that are
// already absolute and normalised (no trailing '/', except the root "/" itself).
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

// `folder` + "/" + `name`, without doubling the slash of the root: joinPath("/", "a") is "/a".
std::string joinPath(std::string_view folder, std::string_view name);

// `path` is `folder` itself or lies somewhere below it ("/a/b" is under "/a", "/ab" is not).
bool isAtOrUnder(std::string_view path, std::string_view folder);
// `path` lies below `folder` and is not `folder` itself.
bool isStrictlyUnder(std::string_view path, std::string_view folder);

}  // namespace skimmer::os
