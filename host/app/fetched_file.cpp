#include "host/app/fetched_file.h"

#include <system_error>

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;

bool plainComponent(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool regularNoLink(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() == fs::file_type::regular && !ec;
}

}  // namespace

std::optional<fs::path> fetchedFile(const fs::path& dir, const std::string& itemName) {
    if (plainComponent(itemName) && regularNoLink(dir / itemName)) return dir / itemName;
    std::error_code ec;
    std::optional<fs::path> only;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!regularNoLink(it->path())) continue;
        if (only) return std::nullopt;
        only = it->path();
    }
    return ec ? std::nullopt : only;
}

}  // namespace skimmer::host::app
