#include "host/app/plugin_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <system_error>

namespace skimmer::host::app {

void DlCloser::operator()(void* handle) const {
    if (handle != nullptr) dlclose(handle);
}

std::unique_ptr<PluginModule> PluginModule::load(const std::filesystem::path& path, std::string& error) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    DlHandle handle(dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle) {
        const char* why = dlerror();
        error = std::string("cannot load ") + full.string() + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    std::unique_ptr<PluginModule> module(new PluginModule(full, std::move(handle)));
    void* h = module->handle_.get();
#define SKIMMER_LOOKUP(name) module->entry_.name = reinterpret_cast<decltype(&::name)>(dlsym(h, #name));
    SKIMMER_FAR_ENTRY_POINTS(SKIMMER_LOOKUP)
#undef SKIMMER_LOOKUP
    if (module->entry_.SetStartupInfo == nullptr) {
        error = full.string() + " is not a FAR plug-in (it has no SetStartupInfo)";
        return nullptr;
    }
    return module;
}

std::vector<std::filesystem::path> findPluginModules(const std::filesystem::path& programDir) {
    namespace fs = std::filesystem;
    std::vector<fs::path> found;
    for (const fs::path& root : {programDir / "plugins", programDir / ".." / "lib" / "skimmer" / "plugins"}) {
        std::error_code ec;
        for (const auto& folder : fs::directory_iterator(root, ec)) {
            if (!folder.is_directory(ec)) continue;
            std::vector<fs::path> inFolder;
            for (const auto& file : fs::directory_iterator(folder.path(), ec))
                if (file.path().extension() == ".so" && file.is_regular_file(ec)) inFolder.push_back(file.path());
            std::sort(inFolder.begin(), inFolder.end());
            found.insert(found.end(), inFolder.begin(), inFolder.end());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
                    std::error_code ec;
                    return fs::equivalent(a, b, ec);
                }),
                found.end());
    return found;
}

std::filesystem::path programDirectory(const std::string& argv0) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    return std::filesystem::absolute(argv0, ec).parent_path();
}

}  // namespace skimmer::host::app
