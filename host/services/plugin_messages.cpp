#include "host/services/plugin_messages.h"

#include "host/service_guard.h"
#include "host/services/service_hosts.h"

namespace skimmer::host::services {

const char* FARAPI GetMsg(int PluginNumber, int MsgId) {
    return guardedService<const char*>("", [&]() -> const char* {
        const MessageHost* host = serviceHosts().messages;
        return host == nullptr ? "" : host->message(PluginNumber, MsgId);
    });
}

}  // namespace skimmer::host::services
