// The application's side of FAR's service table: the hosts through which the services layer's slots
// (host/services/service_hosts.h) reach the screen's objects. The app builds them over its
// HostContext and installs their table before it loads any plug-in.
//
// Contract: a host is in the table only when the objects it needs are there (the console for the
// screen, viewer and editor; the manager for Control; the macro queue for AdvControl; the plug-in
// set for GetMsg). The hosts own nothing of the context; the context must outlive them.
#pragma once

#include <memory>

#include "host/app/host_context.h"
#include "host/services/service_hosts.h"

namespace skimmer::host::app {

class AppServiceHosts {
public:
    explicit AppServiceHosts(const HostContext& context);
    ~AppServiceHosts();
    AppServiceHosts(const AppServiceHosts&) = delete;
    AppServiceHosts& operator=(const AppServiceHosts&) = delete;

    const services::ServiceHosts& table() const { return table_; }

private:
    struct Hosts;
    std::unique_ptr<Hosts> hosts_;
    services::ServiceHosts table_;
};

}  // namespace skimmer::host::app
