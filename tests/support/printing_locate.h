// A locate program that lists the same paths whatever it is asked, for tests of what the plug-in
// does with hits rather than of how they are found. It is the system's own kind of program: a
// shell script named `locate` on Linux, the Locate.exe stand-in in its "print" mode on Windows.
// With no paths it answers as the system's locate does when nothing matched (exit code 1 on
// Linux, an empty list on Windows).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace skimmer::test {

// Writes the program into `folder` (created if need be), replacing one written before.
void writePrintingLocate(const std::filesystem::path& folder, const std::vector<std::string>& paths);

}  // namespace skimmer::test
