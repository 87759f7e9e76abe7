// Where the plug-in's settings stay between its starts in the settings dialogs' tests, so a test
// can start the plug-in again and compare what was kept.
// - On Linux (settings_disk_posix.cpp): the hive file in the test's private home, written through
//   the file system a start is given, so a test can make the disk refuse and count replacements.
// - On Windows (settings_disk_win32.cpp): a key of the test's own under HKEY_CURRENT_USER,
//   removed with everything below it at the end. The registry writes without our file system, so
//   a file system given to a start reaches nothing there: tests that inject faults skip there.
#pragma once

#include <memory>
#include <string>

#include "os/file_system.h"
#include "platform/registry_access.h"
#include "tests/support/temp_home.h"

namespace skimmer::settings::test {

class SettingsDisk {
public:
    explicit SettingsDisk(const skimmer::test::TempHome& home);
    ~SettingsDisk();
    SettingsDisk(const SettingsDisk&) = delete;
    SettingsDisk& operator=(const SettingsDisk&) = delete;

    // The registry as one start of the plug-in opens it (on Linux writing through `files`).
    std::unique_ptr<platform::RegistryAccess> open(os::FileSystem& files) const;
    // FAR's root key for plug-ins, as FAR would hand it over.
    std::string pluginsKey() const;
    // Everything kept, as one text: two equal texts mean nothing was written in between.
    std::string saved() const;
    // Whether writes go through the file system given to open(), so that faults injected there
    // reach the store and its replacements can be counted (Linux: yes; Windows: no).
    bool writesThroughFileSystem() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace skimmer::settings::test
