// The user's registry as the module keeps its settings, groups and search folders in it: the one
// RegistryAccess the plug-in builds outside tests, chosen by the system it was built for.
//
// Contract:
// - On Linux (user_registry_posix.cpp) it is the hive file of os/registry.h at its default place
//   ($XDG_CONFIG_HOME/skimmer/registry.reg), owned by the returned object; batches are the hive's:
//   one atomic replacement of the file at commit, nothing written when abandoned.
// - On Windows (user_registry_win32.cpp) it is HKEY_CURRENT_USER itself (os/win_registry.h). The
//   registry has no transactions, so a batch there means:
//   * every write goes through at once, and reads inside the batch see it, as they do everywhere;
//   * the batch journals what each write overwrote (a value's old data or its absence, a key that
//     did not exist, a whole tree before it was deleted); commit() forgets the journal;
//   * a batch destroyed uncommitted (its owner met a refused write and gave up) undoes the
//     journal from the newest entry back, so the keys and values it touched are as they were
//     when it began — what other programs wrote meanwhile to the same values is overwritten;
//   * a crash between the first write and commit() leaves the writes made so far: the journal
//     lives in memory, and no registry offers this module an atomic change of several values.
//   A failed undo is reported through `report`, naming the key.
// - `report` receives one-line notices for the user (a damaged hive moved aside, a failed undo).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/registry_access.h"

namespace skimmer::platform {

std::unique_ptr<RegistryAccess> openUserRegistry(std::function<void(const std::string&)> report);

}  // namespace skimmer::platform
