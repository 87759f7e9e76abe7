// GetMsg: a plug-in's language strings, from the application's language files (MessageHost).
//
// Contract: never throws and never returns null; an unknown plug-in or message, or no host, is "".
#pragma once

#include "far/plugin.h"

namespace skimmer::host::services {

class MessageHost {
public:
    virtual ~MessageHost() = default;
    // Message `id` of plug-in `plugin`; the text lives as long as the plug-in stays loaded.
    virtual const char* message(int plugin, int id) const = 0;
};

const char* FARAPI GetMsg(int PluginNumber, int MsgId);

}  // namespace skimmer::host::services
