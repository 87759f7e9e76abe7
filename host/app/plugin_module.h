// One loaded plug-in module: the dlopen handle (closed when the object dies) and its entry points,
// looked up by name. Also where modules are found.
//
// Contract:
// - A missing entry point is null ("not supported"); a module without SetStartupInfo is not a FAR
//   plug-in and is refused. Modules are loaded RTLD_NOW | RTLD_LOCAL, so an unresolved symbol fails
//   the load at once and two modules never bind to each other's symbols.
// - Modules are looked for in `*/*.so` below each of `pluginFolders`, in that order; a module whose
//   file name was found in an earlier folder is skipped, so a user's copy overrides the installed
//   one and the build folder's copy overrides an installed one of the same name.
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

// The folders that hold plug-in folders, first match first:
//   1. the user's: `$XDG_DATA_HOME/skimmer/plugins` (a relative or empty $XDG_DATA_HOME is ignored,
//      as the XDG rules ask: then `$HOME/.local/share`; with neither, no user folder);
//   2. `<programDir>/plugins`, the build folder's layout;
//   3. the installed folder, `<programDir>/` + the path from the installed bin/ folder to
//      `<libdir>/skimmer/plugins` fixed at configure time, so a relocated (staged) prefix works.
std::vector<std::filesystem::path> pluginFolders(const std::filesystem::path& programDir, const char* xdgDataHome,
                                                 const char* home);
// `<folder>/*/*.so` for each folder in order, sorted by name within a folder, each file name once.
std::vector<std::filesystem::path> findPluginModules(const std::vector<std::filesystem::path>& folders);
// The modules the host loads when no --plugin is given: `pluginFolders` of this program's folder
// and the process's environment.
std::vector<std::filesystem::path> findPluginModules(const std::filesystem::path& programDir);

// The folder of the running executable (/proc/self/exe), or of argv0 when that cannot be read.
std::filesystem::path programDirectory(const std::string& argv0);

}  // namespace skimmer::host::app
