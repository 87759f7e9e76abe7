// GetMsg: a plug-in's language strings, from the .lng files the plug-in set loaded for it.
#include "host/app/host_context.h"
#include "host/app/host_services.h"
#include "host/app/plugin_set.h"
#include "host/service_guard.h"

namespace skimmer::host::app {

const char* FARAPI GetMsg(int PluginNumber, int MsgId) {
    return guardedService<const char*>("", [&]() -> const char* {
        HostContext* host = hostContext();
        if (host == nullptr || host->plugins == nullptr) return "";
        return host->plugins->message(PluginNumber, MsgId);
    });
}

}  // namespace skimmer::host::app
