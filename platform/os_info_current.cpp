#include "os/system_info.h"
#include "platform/os_info.h"

namespace skimmer::platform {

TOSInfo TOSInfo::fromSystem(const os::SystemInfoSource& source) { return TOSInfo(versionDataOf(source.query())); }

TOSInfo TOSInfo::current() { return fromSystem(os::systemInfoSource()); }

}  // namespace skimmer::platform
