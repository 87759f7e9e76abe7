// The application behind FAR's service table. The table's slots carry no context pointer, so the
// application installs one set of hosts for the process before it loads any plug-in and removes it
// after the last one is unloaded; each slot (control.h, screen.h, plugin_messages.h,
// viewer_editor_slots.h, adv_control.h) reaches the application only through its own host here.
//
// Contract: read and installed on the UI thread only (Control, Text and the others are not
// thread-safe in FAR either). A missing host (none installed, or a null member) makes its slots give
// FAR's failure answer. The set does not own the hosts; whoever installs it keeps them alive until
// it installs null.
#pragma once

namespace skimmer::host::services {

class AdvControlHost;
class ControlHost;
class ScreenHost;
class MessageHost;
class ViewerEditorHost;

struct ServiceHosts {
    ControlHost* control = nullptr;
    ScreenHost* screen = nullptr;
    MessageHost* messages = nullptr;
    AdvControlHost* advControl = nullptr;
    ViewerEditorHost* viewerEditor = nullptr;
};

void installServiceHosts(const ServiceHosts* hosts);
// The installed set; an empty one (every member null) when none is installed, never null.
const ServiceHosts& serviceHosts();

}  // namespace skimmer::host::services
