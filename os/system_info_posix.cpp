#include "os/system_info.h"

#include <sys/utsname.h>

namespace skimmer::os {

namespace {

class UnameSource final : public SystemInfoSource {
public:
    SystemInfo query() const override {
        utsname names{};
        if (::uname(&names) != 0) return {};
        SystemInfo info{names.sysname, names.release, names.version, names.machine, false};
        info.is64Bit = machineIs64Bit(info.machine);
        return info;
    }
};

}  // namespace

const SystemInfoSource& systemInfoSource() {
    static const UnameSource source;
    return source;
}

}  // namespace skimmer::os
