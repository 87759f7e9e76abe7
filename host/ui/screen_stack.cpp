#include "host/ui/screen_stack.h"

#include <algorithm>

namespace skimmer::host::ui {

term::Region ScreenStack::snapshot() const {
    auto& cells = surface_.cells();
    return cells.save(0, 0, cells.width() - 1, cells.height() - 1);
}

void ScreenStack::push(Layer& layer) {
    auto& cells = surface_.cells();
    entries_.push_back({&layer, snapshot(), cells.cursor()});
    cells.setCursor(0, 0, false);
    layer.paint(cells);
    surface_.present();
}

bool ScreenStack::contains(const Layer& layer) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.layer == &layer; });
}

void ScreenStack::paintFrom(size_t index) {
    auto& cells = surface_.cells();
    cells.restore(entries_[index].under);
    for (size_t i = index; i < entries_.size(); ++i) {
        if (i > index) entries_[i].under = snapshot();
        cells.setCursor(0, 0, false);
        entries_[i].layer->paint(cells);
    }
    surface_.present();
}

void ScreenStack::repaint(Layer& layer) {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].layer == &layer) return paintFrom(i);
}

void ScreenStack::pop(Layer& layer) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.layer == &layer; });
    if (it == entries_.end()) return;
    auto& cells = surface_.cells();
    cells.restore(it->under);
    auto cursor = it->cursor;
    const size_t index = static_cast<size_t>(it - entries_.begin());
    entries_.erase(it);
    // A window that closes out of order (cannot happen with modal loops, but costs nothing to
    // survive) leaves the ones above it to repaint over the restored screen.
    if (index < entries_.size()) {
        entries_[index].under = snapshot();
        paintFrom(index);
        return;
    }
    cells.setCursor(cursor.x, cursor.y, cursor.visible);
    surface_.present();
}

void ScreenStack::paintOnce(Layer& layer) {
    auto& cells = surface_.cells();
    cells.setCursor(0, 0, false);
    layer.paint(cells);
    surface_.present();
}

void ScreenStack::resized() {
    surface_.redrawBackground();
    if (entries_.empty()) {
        surface_.present();
        return;
    }
    entries_[0].under = snapshot();
    paintFrom(0);
}

}  // namespace skimmer::host::ui
