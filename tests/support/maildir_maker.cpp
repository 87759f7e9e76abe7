#include "tests/support/maildir_maker.h"

#include <fstream>
#include <stdexcept>

namespace skimmer::test {

std::filesystem::path makeMaildir(const std::filesystem::path& folder) {
    for (const char* sub : {"cur", "new", "tmp"}) std::filesystem::create_directories(folder / sub);
    return folder;
}

std::filesystem::path writeMessage(const std::filesystem::path& folder, const std::string& sub, const std::string& name,
                                   const std::string& bytes) {
    const std::filesystem::path path = folder / sub / name;
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
    return path;
}

}  // namespace skimmer::test
