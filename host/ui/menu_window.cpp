#include "host/ui/menu_window.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "far/colors.h"
#include "far/keys.h"
#include "far/messages.h"
#include "far/panel.h"
#include "far/vk.h"
#include "host/term/text_width.h"
#include "host/ui/help_window.h"
#include "host/ui/hotkey_text.h"

namespace skimmer::host::ui {

namespace {

// FMENU_AUTOHIGHLIGHT: an entry without a hot key gets the first letter or digit of its text that
// no other entry uses yet (the last one, scanning backwards, with FMENU_REVERSEAUTOHIGHLIGHT).
void assignAutoHotkeys(std::vector<HotkeyText>& labels, const std::vector<bool>& eligible, bool reverse) {
    std::vector<char32_t> used;
    for (const auto& label : labels)
        if (label.key) used.push_back(label.key);
    for (size_t i = 0; i < labels.size(); ++i) {
        auto& label = labels[i];
        if (label.key || !eligible[i]) continue;
        const std::string text = label.before;
        std::vector<std::pair<size_t, term::Utf8Step>> chars;
        for (size_t at = 0; at < text.size();) {
            auto step = term::decodeUtf8(text, at);
            chars.emplace_back(at, step);
            at += step.length;
        }
        if (reverse) std::reverse(chars.begin(), chars.end());
        for (const auto& [at, step] : chars) {
            const char32_t key = foldKey(step.cp);
            const bool letter = step.cp > 0x7F || std::isalnum(static_cast<int>(step.cp));
            if (!letter || std::find(used.begin(), used.end(), key) != used.end()) continue;
            label = HotkeyText{text.substr(0, at), text.substr(at, step.length), text.substr(at + step.length), key};
            used.push_back(key);
            break;
        }
    }
}

class MenuWindow : public Layer {
public:
    MenuWindow(UiContext& context, const MenuRequest& request);
    MenuChoice run();
    void paint(term::CellBuffer& cells) override;

private:
    bool selectable(int i) const;
    int step(int from, int direction, bool wrap) const;
    void moveTo(int index);
    void layout();
    void key(int key);
    bool breakKey(int key);
    bool hotkey(int key);
    void mouse(const term::MouseEvent& event);
    void choose(int index);
    void paintRow(term::CellBuffer& cells, int row, int entry);
    void paintScrollbar(term::CellBuffer& cells);
    int attr(int index) const { return context_.color(index); }

    UiContext& context_;
    const MenuRequest& request_;
    std::vector<int> shown_;           // indices of the entries that are not hidden
    std::vector<HotkeyText> labels_;   // per shown entry
    int current_ = -1;                 // position in shown_
    int top_ = 0;
    int x_ = 0, y_ = 0, width_ = 0, rows_ = 0;
    bool done_ = false;
    MenuChoice choice_;
};

MenuWindow::MenuWindow(UiContext& context, const MenuRequest& request) : context_(context), request_(request) {
    const bool literal = request.flags & FMENU_SHOWAMPERSAND;
    for (int i = 0; i < static_cast<int>(request.entries.size()); ++i) {
        const auto& entry = request.entries[static_cast<size_t>(i)];
        if (entry.hidden) continue;
        shown_.push_back(i);
        labels_.push_back(parseHotkey(entry.text, literal || entry.separator));
        if (entry.selected && current_ < 0 && selectable(static_cast<int>(shown_.size()) - 1))
            current_ = static_cast<int>(shown_.size()) - 1;
    }
    if (request.flags & (FMENU_AUTOHIGHLIGHT | FMENU_REVERSEAUTOHIGHLIGHT)) {
        std::vector<bool> eligible;
        for (int index : shown_) {
            const auto& entry = request.entries[static_cast<size_t>(index)];
            eligible.push_back(!entry.separator && !entry.disabled);
        }
        assignAutoHotkeys(labels_, eligible, request.flags & FMENU_REVERSEAUTOHIGHLIGHT);
    }
    if (current_ < 0) current_ = step(-1, +1, false);
    layout();
    moveTo(current_);
}

bool MenuWindow::selectable(int i) const {
    if (i < 0 || i >= static_cast<int>(shown_.size())) return false;
    const auto& entry = request_.entries[static_cast<size_t>(shown_[static_cast<size_t>(i)])];
    return !entry.separator && !entry.disabled;
}

// The next selectable position from `from` in `direction`; with `wrap` the search goes round the
// ends, without it the answer is `from` when there is nothing further.
int MenuWindow::step(int from, int direction, bool wrap) const {
    const int n = static_cast<int>(shown_.size());
    for (int k = 1; k <= n; ++k) {
        int i = from + direction * k;
        if (!wrap && (i < 0 || i >= n)) break;
        i = (i % n + n) % n;
        if (selectable(i)) return i;
    }
    return (from >= 0 && from < n) ? from : -1;
}

void MenuWindow::layout() {
    auto& cells = context_.surface().cells();
    int textWidth = 0;
    for (const auto& label : labels_) textWidth = std::max(textWidth, term::displayWidth(label.shown()));
    textWidth = std::max({textWidth, term::displayWidth(request_.title) + 2, term::displayWidth(request_.bottom) + 2});
    width_ = std::min(textWidth + 4, std::max(cells.width(), 4));
    int limit = std::max(cells.height() - 2, 1);
    if (request_.maxHeight > 0) limit = std::min(limit, request_.maxHeight);
    rows_ = std::clamp(static_cast<int>(shown_.size()), 1, limit);
    const int height = rows_ + 2;
    x_ = request_.x < 0 ? (cells.width() - width_) / 2 : std::min(request_.x, std::max(cells.width() - width_, 0));
    y_ = request_.y < 0 ? (cells.height() - height) / 2 : std::min(request_.y, std::max(cells.height() - height, 0));
}

void MenuWindow::moveTo(int index) {
    if (index < 0) return;
    current_ = index;
    if (current_ < top_) top_ = current_;
    if (current_ >= top_ + rows_) top_ = current_ - rows_ + 1;
}

MenuChoice MenuWindow::run() {
    std::lock_guard guard(context_.lock());
    context_.screen().push(*this);
    while (!done_) {
        std::visit(Overloaded{
                       [&](const term::KeyEvent& k) { key(static_cast<int>(k.code)); },
                       [&](const term::MouseEvent& m) { mouse(m); },
                       [&](const term::PasteEvent&) {},
                       [&](const ResizeEvent&) {
                           layout();
                           moveTo(current_);
                           context_.screen().resized();
                       },
                       [&](const WakeEvent&) {},
                       [&](const InputEnded&) { done_ = true; },
                   },
                   context_.waitEvent());
        context_.paintDirtyDialogs();
        if (!done_) context_.screen().repaint(*this);
    }
    context_.screen().pop(*this);
    return choice_;
}

void MenuWindow::choose(int index) {
    choice_.index = index >= 0 ? shown_[static_cast<size_t>(index)] : -1;
    done_ = true;
}

void MenuWindow::key(int key) {
    const bool wrap = request_.flags & FMENU_WRAPMODE;
    if (breakKey(key)) return;
    if (key == KEY_ESC || key == KEY_F10) return choose(-1);
    if (key == KEY_F1) {
        showPluginHelp(context_, request_.pluginNumber, request_.helpTopic);
        return;
    }
    if (key == KEY_ENTER) return selectable(current_) ? choose(current_) : void();
    if (key == KEY_UP) return moveTo(step(current_, -1, wrap));
    if (key == KEY_DOWN) return moveTo(step(current_, +1, wrap));
    if (key == KEY_HOME) return moveTo(step(-1, +1, false));
    if (key == KEY_END) return moveTo(step(static_cast<int>(shown_.size()), -1, false));
    if ((key == KEY_PGUP || key == KEY_PGDN) && !shown_.empty()) {
        const int direction = key == KEY_PGUP ? -1 : +1;
        int target = std::clamp(current_ + direction * (rows_ - 1), 0, static_cast<int>(shown_.size()) - 1);
        if (!selectable(target)) target = step(target, direction, false);
        if (!selectable(target)) target = step(target, -direction, false);
        return moveTo(target);
    }
    hotkey(key);
}

bool MenuWindow::breakKey(int key) {
    const int code = breakKeyOf(key);
    if (code < 0) return false;
    for (size_t i = 0; i < request_.breakKeys.size(); ++i)
        if (request_.breakKeys[i] == code) {
            choice_.breakCode = static_cast<int>(i);
            choose(selectable(current_) ? current_ : -1);
            return true;
        }
    return false;
}

// An accelerator key or a hot key (plain or with Alt) chooses its entry at once.
bool MenuWindow::hotkey(int key) {
    for (size_t i = 0; i < shown_.size(); ++i)
        if (selectable(static_cast<int>(i)) && request_.entries[static_cast<size_t>(shown_[i])].accelKey == key && key != 0)
            return choose(static_cast<int>(i)), true;
    if (!farapi::isCharacterKey(key) || (farapi::keyModifiers(key) & ~(KEY_ALT | KEY_SHIFT)) != 0) return false;
    const char32_t wanted = foldKey(static_cast<char32_t>(farapi::keyBase(key)));
    for (size_t i = 0; i < shown_.size(); ++i)
        if (selectable(static_cast<int>(i)) && labels_[i].key == wanted) return choose(static_cast<int>(i)), true;
    return false;
}

void MenuWindow::mouse(const term::MouseEvent& event) {
    if (event.flags & term::kMouseWheeled) return key(event.wheel > 0 ? KEY_UP : KEY_DOWN);
    if (event.buttons == 0 || (event.flags & term::kMouseMoved)) return;
    const bool inside = event.x >= x_ && event.x < x_ + width_ && event.y > y_ && event.y <= y_ + rows_;
    if (!inside) {
        // A click beside the menu cancels it, as Esc does.
        if (event.x < x_ || event.x >= x_ + width_ || event.y < y_ || event.y > y_ + rows_ + 1) choose(-1);
        return;
    }
    const int index = top_ + event.y - y_ - 1;
    if (selectable(index)) choose(index);
}

void MenuWindow::paint(term::CellBuffer& cells) {
    const int height = rows_ + 2;
    const auto box = static_cast<term::Attr>(attr(COL_MENUBOX));
    cells.fill(x_, y_, x_ + width_ - 1, y_ + height - 1, U' ', static_cast<term::Attr>(attr(COL_MENUTEXT)));
    cells.box(x_, y_, x_ + width_ - 1, y_ + height - 1, term::BoxStyle::Double, box, request_.title,
              static_cast<term::Attr>(attr(COL_MENUTITLE)));
    if (!request_.bottom.empty()) {
        const int w = term::displayWidth(request_.bottom) + 2;
        cells.put(x_ + std::max(1, (width_ - w) / 2), y_ + height - 1, " " + request_.bottom + " ",
                  static_cast<term::Attr>(attr(COL_MENUTITLE)), x_ + width_ - 1);
    }
    for (int row = 0; row < rows_ && top_ + row < static_cast<int>(shown_.size()); ++row) paintRow(cells, row, top_ + row);
    if (static_cast<int>(shown_.size()) > rows_) paintScrollbar(cells);
    cells.setAttr(x_ + width_, y_ + 1, x_ + width_ + 1, y_ + height, 0x08);
    cells.setAttr(x_ + 2, y_ + height, x_ + width_ + 1, y_ + height, 0x08);
}

void MenuWindow::paintRow(term::CellBuffer& cells, int row, int index) {
    const auto& entry = request_.entries[static_cast<size_t>(shown_[static_cast<size_t>(index)])];
    const int y = y_ + 1 + row;
    const int right = x_ + width_ - 1;
    if (entry.separator) {
        const auto box = static_cast<term::Attr>(attr(COL_MENUBOX));
        cells.hline(x_, right, y, term::BoxStyle::Single, box);
        cells.putChar(x_, y, U'\u255F', box);
        cells.putChar(right, y, U'\u2562', box);
        if (!entry.text.empty())
            cells.put(x_ + std::max(1, (width_ - term::displayWidth(entry.text) - 2) / 2), y, " " + entry.text + " ", box, right);
        return;
    }
    const bool current = index == current_;
    const int text = entry.disabled ? COL_MENUDISABLEDTEXT : current ? COL_MENUSELECTEDTEXT : COL_MENUTEXT;
    const int hot = entry.disabled ? COL_MENUDISABLEDTEXT : current ? COL_MENUSELECTEDHIGHLIGHT : COL_MENUHIGHLIGHT;
    const auto textAttr = static_cast<term::Attr>(attr(text));
    cells.fill(x_ + 1, y, right - 1, y, U' ', textAttr);
    if (entry.checkMark) cells.putChar(x_ + 1, y, entry.checkMark, textAttr);
    const auto& label = labels_[static_cast<size_t>(index)];
    int x = cells.put(x_ + 2, y, label.before, textAttr, right);
    x = cells.put(x, y, label.hot, static_cast<term::Attr>(attr(hot)), right);
    cells.put(x, y, label.after, textAttr, right);
    if (current) cells.setCursor(x_ + 1, y, false);
}

void MenuWindow::paintScrollbar(term::CellBuffer& cells) {
    const auto a = static_cast<term::Attr>(attr(COL_MENUSCROLLBAR));
    const int x = x_ + width_ - 1;
    const int n = static_cast<int>(shown_.size());
    cells.putChar(x, y_ + 1, U'\u25B2', a);
    cells.putChar(x, y_ + rows_, U'\u25BC', a);
    for (int row = 1; row + 1 < rows_; ++row) cells.putChar(x, y_ + 1 + row, U'\u2591', a);
    if (rows_ > 2) {
        const int thumb = 1 + (current_ * (rows_ - 3)) / std::max(n - 1, 1);
        cells.putChar(x, y_ + 1 + thumb, U'\u2588', a);
    }
}

}  // namespace

int breakKeyOf(int farKey) {
    const int base = farapi::keyBase(farKey);
    const int mods = farapi::keyModifiers(farKey);
    int vk = -1;
    if (farapi::isCharacterKey(farKey)) {
        if (base >= 'a' && base <= 'z') vk = base - 32;
        else if ((base >= 'A' && base <= 'Z') || (base >= '0' && base <= '9') || base == ' ') vk = base;
    } else {
        const int legacy = base - farapi::kSpecialKeyBase;
        if (legacy >= 0x100 && legacy < 0x200) vk = legacy - 0x100;       // function keys: 0x100 + VK
        else if (legacy >= 0 && legacy < 0x100) vk = legacy;                // BS, Tab, Enter, Esc
    }
    if (vk < 0) return -1;
    int pkf = 0;
    if (mods & (KEY_CTRL | KEY_RCTRL)) pkf |= PKF_CONTROL;
    if (mods & (KEY_ALT | KEY_RALT)) pkf |= PKF_ALT;
    if (mods & KEY_SHIFT) pkf |= PKF_SHIFT;
    return vk | (pkf << 16);
}

MenuChoice runMenu(UiContext& context, const MenuRequest& request) {
    MenuWindow window(context, request);
    return window.run();
}

}  // namespace skimmer::host::ui
