#include "tests/e2e/vterm_screen.h"

#include <utility>

#include "host/term/text_width.h"

namespace skimmer::test {
namespace {

int farColour(const VTermColor& c) {
    if (!VTERM_COLOR_IS_INDEXED(&c)) return -1;
    const int i = c.indexed.idx;
    if (i > 15) return -1;
    const int base = i & 7;
    return (((base & 1) << 2) | (base & 2) | ((base & 4) >> 2)) | (i & 8);
}

}  // namespace

VtermScreen::VtermScreen(int cols, int rows) : vt_(vterm_new(rows, cols)), cols_(cols), rows_(rows) {
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    static const VTermScreenCallbacks callbacks = [] {
        VTermScreenCallbacks cb{};
        cb.settermprop = &VtermScreen::onTermProp;
        return cb;
    }();
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_output_set_callback(vt_, &VtermScreen::onOutput, this);
    vterm_screen_reset(screen_, 1);
}

VtermScreen::~VtermScreen() { vterm_free(vt_); }

void VtermScreen::feed(std::string_view bytes) {
    if (!bytes.empty()) vterm_input_write(vt_, bytes.data(), bytes.size());
    vterm_screen_flush_damage(screen_);
}

void VtermScreen::resize(int cols, int rows) {
    cols_ = cols;
    rows_ = rows;
    vterm_set_size(vt_, rows, cols);
}

std::string VtermScreen::textAt(int row) const {
    std::string out;
    for (int x = 0; x < cols_;) {
        VTermScreenCell cell;
        vterm_screen_get_cell(screen_, VTermPos{row, x}, &cell);
        if (cell.chars[0] == 0) {
            out += ' ';
        } else {
            for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i] != 0; ++i)
                host::term::appendUtf8(out, cell.chars[i]);
        }
        x += cell.width > 0 ? cell.width : 1;
    }
    return out;
}

std::string VtermScreen::screenText() const {
    std::string out;
    for (int y = 0; y < rows_; ++y) out += textAt(y) + "\n";
    return out;
}

bool VtermScreen::contains(std::string_view text) const { return screenText().find(text) != std::string::npos; }

int VtermScreen::attrAt(int x, int y) const {
    VTermScreenCell cell;
    vterm_screen_get_cell(screen_, VTermPos{y, x}, &cell);
    const int fg = farColour(cell.fg), bg = farColour(cell.bg);
    if (fg < 0 || bg < 0) return -1;
    return fg | (bg << 4);
}

int VtermScreen::cursorX() const {
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return pos.col;
}

int VtermScreen::cursorY() const {
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return pos.row;
}

std::string VtermScreen::takeReplies() { return std::exchange(replies_, {}); }

int VtermScreen::onTermProp(VTermProp prop, VTermValue* val, void* user) {
    auto* self = static_cast<VtermScreen*>(user);
    switch (prop) {
        case VTERM_PROP_ALTSCREEN: self->altScreen_ = val->boolean; break;
        case VTERM_PROP_CURSORVISIBLE: self->cursorVisible_ = val->boolean; break;
        case VTERM_PROP_MOUSE: self->mouseMode_ = val->number; break;
        default: break;
    }
    return 1;
}

void VtermScreen::onOutput(const char* bytes, size_t len, void* user) {
    static_cast<VtermScreen*>(user)->replies_.append(bytes, len);

}

}  // namespace skimmer::test
