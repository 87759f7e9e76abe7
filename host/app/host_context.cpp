#include "host/app/host_context.h"

namespace skimmer::host::app {
namespace {
HostContext* gContext = nullptr;  // one per process: FAR's service table has no context pointer
}

void installHostContext(HostContext* context) { gContext = context; }
HostContext* hostContext() { return gContext; }

}  // namespace skimmer::host::app
