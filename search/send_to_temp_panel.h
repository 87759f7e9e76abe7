// Handing every hit to the host's Temporary Panel: the hits' paths go into a list file in the
// plug-in's temporary folder, and a key macro types the panel's command (its prefix, ":", the list
// file) on the host's command line, presses Enter and types back what the line held before.
//
// Contract:
// - The list file holds one path per line, each line ended by LF, no header: the bytes of each
//   path exactly as they are (blanks, non-ASCII bytes, control characters included). The host's
//   reader also accepts CR LF and so drops one CR before each LF: a path holding a line feed, or
//   ending in a carriage return, cannot be written as a line. Such hits are left out of the list
//   and the user is told how many; everything else is sent.
// - The list file is replaced in one rename (os::TempDir::replaceFile): a failed write leaves the
//   earlier list, is shown in the error box, and nothing is typed on the command line.
// - The notice is shown while "ESKSShowTPW" is false; closing it with its button stores the check
//   box and writes every stored setting; Escape stores nothing (the hits are sent either way).
// - Runs on FAR's main thread after the search window has closed; nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/registry_config.h"
#include "os/temp_dir.h"
#include "platform/plugin_context.h"
#include "results/result_chain.h"
#include "search/open_hit.h"

namespace skimmer::search {

inline constexpr std::string_view kTempPanelListName = "TempPanel.temp";

// The list file's contents for the chain starting at `first`, and how many hits had to be left out.
struct TempPanelListText {
    std::string bytes;
    size_t written = 0;
    size_t leftOut = 0;  // paths with a line feed, or ending in a carriage return
};
TempPanelListText tempPanelListText(const results::TDynamicSearchResult* first);

// The macro that types `command`, presses Enter and types `savedLine` back. Every character is
// one token followed by a blank; a blank is the key Space; a character the macro language would
// read as syntax (`"`, `$`, `%`) or cannot type as a key (control characters) is a $Text string
// literal (platform/macro_string.h).
std::string tempPanelKeySequence(std::string_view command, std::string_view savedLine);

// The notice's registered dialog, run with saving on. Returns what RunRegisteredDialog returned.
int ShowTempPanelNotice(const platform::HostTables& host, config::TRegistryConfig& config);

// What SendToTempPanel works on: the hit services, whose context gives the settings, the
// temporary folder (tempDir, PluginTempDir, null when there is none and nothing is sent) and the
// registry that holds the prefix.
struct TempPanelEnv {
    HitServices hits;
};

// Error codes SendToTempPanel returns after showing the reason.
inline constexpr int32_t kTempPanelNoFolder = 1;
inline constexpr int32_t kTempPanelWriteFailed = 2;
inline constexpr int32_t kTempPanelMacroRefused = 3;
static_assert(kTempPanelNoFolder != kTempPanelWriteFailed && kTempPanelWriteFailed != kTempPanelMacroRefused);

// Sends the chain starting at `first` to the Temporary Panel; 0 when the macro was posted.
int32_t SendToTempPanel(const TempPanelEnv& env, const results::TDynamicSearchResult* first);

}  // namespace skimmer::search
