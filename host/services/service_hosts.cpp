#include "host/services/service_hosts.h"

namespace skimmer::host::services {
namespace {
const ServiceHosts kNone{};
const ServiceHosts* gHosts = nullptr;  // one per process: FAR's service table has no context pointer
}  // namespace

void installServiceHosts(const ServiceHosts* hosts) { gHosts = hosts; }
const ServiceHosts& serviceHosts() { return gHosts ? *gHosts : kNone; }

}  // namespace skimmer::host::services
