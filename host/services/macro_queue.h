// Keys and macros that a plug-in posts (ACTL_POSTKEYSEQUENCE, ACTL_KEYMACRO with
// MCMD_POSTMACROSTRING): parsed when posted, queued, and run by the app once the plug-in has
// returned (after the current dialog closed), before the next key from the terminal.
//
// Contract:
// - A macro text is a blank-separated sequence of: key names (host/services/key_names.h), single
//   characters (typed as they are), string literals ("text" with \\ \" \n \t \xHH escapes, typed),
//   `$Text "text"`, and the function call `panel.setpos(P,"name")` (optionally as `%v=...;`), which
//   puts the cursor of panel P (0 active, 1 passive) on the item `name`. The name is a string
//   literal like any other, with the same escapes, and ends at its closing quote: a name that
//   holds `")` or a backslash is written escaped, and an unescaped one can never end the call early.
//   Anything else makes the whole text invalid, and an invalid text queues nothing.
// - The queue is bounded (kMaxQueuedActions); a post that would overflow it is refused whole.
// - Pure data and parsing: nothing here touches the terminal or a panel. One thread (the UI
//   thread) posts and drains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::services {

struct MacroAction {
    enum Kind { Key, Text, SetPanelPos } kind = Key;
    int key = 0;       // Key: a FAR key code
    std::string text;  // Text: UTF-8 (or raw bytes) to type; SetPanelPos: the item name
    int panel = 0;     // SetPanelPos: 0 the active panel, 1 the passive one
    bool disableOutput = false;  // KSFLAGS_DISABLEOUTPUT: no redraw while it runs
    bool operator==(const MacroAction&) const = default;
};

struct MacroParse {
    bool ok = false;
    std::string error;  // one line, naming the offending token
    std::vector<MacroAction> actions;
};

MacroParse parseMacroText(std::string_view text);

inline constexpr size_t kMaxQueuedActions = 65536;

class MacroQueue {
public:
    // False (nothing queued) when the actions would not fit.
    bool post(std::vector<MacroAction> actions, bool disableOutput);
    // Each key code becomes one Key action. False for a negative count, a null sequence with a
    // positive count, or an overflow.
    bool postKeys(const uint32_t* keys, int count, bool disableOutput);

    std::optional<MacroAction> next();
    bool empty() const { return queue_.empty(); }
    size_t size() const { return queue_.size(); }
    void clear() { queue_.clear(); }

private:
    std::deque<MacroAction> queue_;
};

}  // namespace skimmer::host::services
