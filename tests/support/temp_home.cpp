#include "tests/support/temp_home.h"

#include <system_error>

#include "tests/support/home_environment.h"

namespace skimmer::test {

TempHome::TempHome() : root_(makeUniqueTestFolder()) {
    for (const auto& [name, path] : homeVariables(root_)) {
        saved_[name] = readEnvironment(name);
        std::filesystem::create_directories(path);
        writeEnvironment(name, path);
    }
    for (const char* folder : {"config", "cache", "data"}) std::filesystem::create_directories(root_ / folder);
}

TempHome::~TempHome() {
    for (const auto& [name, value] : saved_) {
        try {
            writeEnvironment(name, value);
        } catch (...) {  // a destructor may not throw; the next TempHome sets its own values anyway
        }
    }
    std::error_code ignored;  // a test that failed half-way may leave odd modes; best effort only
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace skimmer::test
