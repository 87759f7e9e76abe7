// The mail client's items by entry id, through its automation object: "Outlook.Application", its
// GetNamespace("MAPI"), the namespace's GetItemFromID(entry id), then the item's Display, its
// CreationTime and Size, or its Body.
//
// Contract:
// - Every call runs on the calling thread in a COM scope of its own (os/com_scope.h), creates the
//   application object afresh and releases everything it was given before it returns; nothing is
//   kept between calls, so a client started or closed meanwhile is seen at the next call.
// - A failure of any of the first three steps (the client not installed or not registered, a
//   server that cannot start, an entry id the client does not know) is an error text that names
//   the step and gives the client's or the system's reason; nothing throws.
// - `outlookDisplay` asks the item to show itself and does not wait for its window. The item was
//   found by then; a refusal of Display itself (the client busy with a modal window, say) is the
//   client's to show, and is not an error of ours.
// - Texts come back in the ANSI code page (os/wide_text.h); the entry id goes in as given.
// Windows only (outlook_win32.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace skimmer::os {

struct OutlookItemFacts {
    double created = 0;          // CreationTime: an OLE date, local time, as the client keeps it
    uint64_t createdUtc = 0;     // the same moment as a FILETIME (100 ns since 1601, UTC)
    int64_t size = 0;            // Size, in bytes
};

// Shows the item; empty, or why it could not be found.
std::string outlookDisplay(const std::string& entryId);

std::optional<OutlookItemFacts> outlookItemFacts(const std::string& entryId, std::string& error);

std::optional<std::string> outlookItemBody(const std::string& entryId, std::string& error);

}  // namespace skimmer::os
