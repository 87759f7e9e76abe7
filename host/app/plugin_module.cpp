#include "host/app/plugin_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <set>
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

namespace {

namespace fs = std::filesystem;

// Set by the build from the install rules (cmake/SkimmerInstall.cmake); a build without them
// still finds the build folder's and the user's modules.
#ifndef SKIMMER_INSTALLED_PLUGINS_FROM_BIN
#define SKIMMER_INSTALLED_PLUGINS_FROM_BIN "../lib/skimmer/plugins"
#endif

// The modules of one folder of plug-in folders, `<root>/*/*.so`, sorted; none when it is absent.
std::vector<fs::path> modulesBelow(const fs::path& root) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& folder : fs::directory_iterator(root, ec)) {
        if (!folder.is_directory(ec)) continue;
        for (const auto& file : fs::directory_iterator(folder.path(), ec))
            if (file.path().extension() == ".so" && file.is_regular_file(ec)) found.push_back(file.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

std::vector<fs::path> pluginFolders(const fs::path& programDir, const char* xdgDataHome, const char* home) {
    std::vector<fs::path> folders;
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') folders.push_back(fs::path(xdgDataHome) / "skimmer" / "plugins");
    else if (home != nullptr && home[0] == '/') folders.push_back(fs::path(home) / ".local/share/skimmer/plugins");
    folders.push_back(programDir / "plugins");
    folders.push_back((programDir / SKIMMER_INSTALLED_PLUGINS_FROM_BIN).lexically_normal());
    return folders;
}

std::vector<fs::path> findPluginModules(const std::vector<fs::path>& folders) {
    std::vector<fs::path> found;
    std::set<fs::path> names;
    for (const fs::path& root : folders)
        for (fs::path& module : modulesBelow(root))
            if (names.insert(module.filename()).second) found.push_back(std::move(module));
    return found;
}

std::vector<fs::path> findPluginModules(const fs::path& programDir) {
    return findPluginModules(pluginFolders(programDir, std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
}

std::filesystem::path programDirectory(const std::string& argv0) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    return std::filesystem::absolute(argv0, ec).parent_path();
}

}  // namespace skimmer::host::app
