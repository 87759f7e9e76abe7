#include "os/default_open.h"

#include "os/shell_open.h"

namespace skimmer::os {

OpenResult openWithDefaultApplication(std::string_view target, void* /*ownerWindow: a desktop has none to give*/) {
    return ShellOpener(ShellOpener::Options{}).open(target);
}

}  // namespace skimmer::os
