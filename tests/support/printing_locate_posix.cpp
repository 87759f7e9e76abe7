#include "tests/support/printing_locate.h"

#include <fstream>

namespace skimmer::test {

namespace fs = std::filesystem;

// The paths live in a data file beside the script, so no path is ever shell text.
void writePrintingLocate(const fs::path& folder, const std::vector<std::string>& paths) {
    fs::create_directories(folder);
    const fs::path program = folder / "locate";
    std::ofstream(program, std::ios::binary | std::ios::trunc)
        << "#!/bin/sh\n"
           "[ -s \"$0.lines\" ] || exit 1\n"
           "exec cat \"$0.lines\"\n";
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);
    std::ofstream lines(folder / "locate.lines", std::ios::binary | std::ios::trunc);
    for (const std::string& path : paths) lines << path << '\n';
}

}  // namespace skimmer::test
