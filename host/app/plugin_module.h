// One loaded plug-in module: the dlopen handle (closed when the object dies) and its entry points,
// looked up by name. Also where modules are found.
//
// Contract:
// - A missing entry point is null ("not supported"); a module without SetStartupInfo is not a FAR
//   plug-in and is refused. Modules are loaded RTLD_NOW | RTLD_LOCAL, so an unresolved symbol fails
//   the load at once and two modules never bind to each other's symbols.
// - `findPluginModules` lists `<dir>/plugins/*/*.so` for the program's folder, then for
//   `<dir>/../lib/skimmer` (an installed layout), sorted, each file once.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "far/exports.h"

namespace skimmer::host::app {

struct DlCloser {
    void operator()(void* handle) const;
};
using DlHandle = std::unique_ptr<void, DlCloser>;

struct EntryPoints {
#define SKIMMER_ENTRY_POINTER(name) decltype(&::name) name = nullptr;
    SKIMMER_FAR_ENTRY_POINTS(SKIMMER_ENTRY_POINTER)
#undef SKIMMER_ENTRY_POINTER
};

class PluginModule {
public:
    // Null with `error` set when the file cannot be loaded or is not a FAR plug-in.
    static std::unique_ptr<PluginModule> load(const std::filesystem::path& path, std::string& error);

    const std::filesystem::path& path() const { return path_; }
    const EntryPoints& entry() const { return entry_; }

private:
    PluginModule(std::filesystem::path path, DlHandle handle) : path_(std::move(path)), handle_(std::move(handle)) {}

    std::filesystem::path path_;
    DlHandle handle_;
    EntryPoints entry_;
};

std::vector<std::filesystem::path> findPluginModules(const std::filesystem::path& programDir);

// The folder of the running executable (/proc/self/exe), or of argv0 when that cannot be read.
std::filesystem::path programDirectory(const std::string& argv0);

}  // namespace skimmer::host::app
