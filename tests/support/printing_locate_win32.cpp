#include "tests/support/printing_locate.h"

#include "tests/support/fake_locate_exe.h"

namespace skimmer::test {

void writePrintingLocate(const std::filesystem::path& folder, const std::vector<std::string>& paths) {
    std::string control = "print\n";
    for (const std::string& path : paths) control += path + "\n";
    installFakeLocateExe(folder, control);
}

}  // namespace skimmer::test
