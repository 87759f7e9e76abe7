// FAR's ten common temporary panels (the Temporary Panel's "Use common panel", on by default):
// panels 0 … 9, each its own list, one of them the current one (`tmp:+N` switches). A panel keeps
// its list after it is closed, so switching back to its number shows the list again.
//
// Contract: the set owns the panels; a side shows one by sharing it, so both sides may show the
// same number, and then show one panel (one list, cursor and selection). A number's panel is made,
// empty, the first time it is asked for. Nothing here draws or reads files.
#pragma once

#include <array>
#include <memory>

#include "host/app/temp_panel.h"

namespace skimmer::host::app {

class TempPanelSet {
public:
    static constexpr int kCount = 10;

    int current() const { return current_; }
    // Makes `number` (0 … kCount - 1) the current panel and returns it.
    std::shared_ptr<TempPanel> select(int number);
    std::shared_ptr<TempPanel> currentPanel() { return select(current_); }
    // The number of `panel` in the set, or -1.
    int numberOf(const TempPanel* panel) const;
    // The items the panel of `number` lists (".." not counted); 0 for one never made.
    size_t itemCount(int number) const;

private:
    std::array<std::shared_ptr<TempPanel>, kCount> panels_;
    int current_ = 0;
};

}  // namespace skimmer::host::app
