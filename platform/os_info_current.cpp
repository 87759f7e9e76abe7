#include "os/system_info.h"
#include "platform/os_info.h"

namespace skimmer::platform {

TOSInfo TOSInfo::current() {
    const os::SystemInfo info = os::systemInfoSource().query();
    return TOSInfo(linuxVersionData(info.release));
}

}  // namespace skimmer::platform
