// A private folder for one test, under the system's temporary folder, removed with everything in
// it when the test ends. Built on std::filesystem only, so it serves either system's tests.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace skimmer::os::test {

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("skimmer-os-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;  // a failed test may leave read-only files: best effort
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside as the plug-in's narrow text (ASCII names only, so no code page matters).
    std::string text(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

}  // namespace skimmer::os::test
