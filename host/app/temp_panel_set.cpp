#include "host/app/temp_panel_set.h"

#include <algorithm>

namespace skimmer::host::app {

std::shared_ptr<TempPanel> TempPanelSet::select(int number) {
    current_ = std::clamp(number, 0, kCount - 1);
    auto& panel = panels_[static_cast<size_t>(current_)];
    if (!panel) {
        panel = std::make_shared<TempPanel>(current_);
        panel->reload();  // an empty list still has its ".."
    }
    return panel;
}

int TempPanelSet::numberOf(const TempPanel* panel) const {
    for (int i = 0; i < kCount; ++i)
        if (panel != nullptr && panels_[static_cast<size_t>(i)].get() == panel) return i;
    return -1;
}

size_t TempPanelSet::itemCount(int number) const {
    const auto& panel = panels_[static_cast<size_t>(std::clamp(number, 0, kCount - 1))];
    return panel && !panel->entries().empty() ? panel->entries().size() - 1 : 0;
}

}  // namespace skimmer::host::app
