// What the operating system says about itself (uname), behind an interface so that tests can
// present any system. Contract: query() never fails loudly; fields it cannot learn stay empty and
// `is64Bit` false.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

struct SystemInfo {
    std::string sysname;  // "Linux"
    std::string release;  // "6.1.0-18-amd64"
    std::string version;  // "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)"
    std::string machine;  // "x86_64"
    bool is64Bit = false;
};

class SystemInfoSource {
public:
    virtual ~SystemInfoSource() = default;
    virtual SystemInfo query() const = 0;
};

// uname(2). The returned object lives for the whole process.
const SystemInfoSource& systemInfoSource();

// Whether a uname machine name denotes a 64-bit architecture.
bool machineIs64Bit(std::string_view machine);

}  // namespace skimmer::os
