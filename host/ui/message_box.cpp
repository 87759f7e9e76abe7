#include "host/ui/message_box.h"
#include "os/utf8.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "far/messages.h"
#include "host/term/text_width.h"
#include "host/ui/hotkey_text.h"
#include "host/ui/running_dialog.h"
#include "host/ui/text_wrap.h"

namespace skimmer::host::ui {

namespace {

FarDialogItem makeItem(int type, int x1, int y1, int x2, int y2, DWORD flags, std::string_view text) {
    FarDialogItem item{};
    item.Type = type;
    item.X1 = x1;
    item.Y1 = y1;
    item.X2 = x2;
    item.Y2 = y2;
    item.Flags = flags;
    const size_t n = os::utf8CutPoint(text, sizeof item.Data - 1);
    std::memcpy(item.Data, text.data(), n);
    return item;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t end = text.find('\n', start);
        out.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return out;
}

// A line wider than the box is wrapped inside it rather than cut: the end of a message (the reason,
// the file it names) is usually what the user needs. Separators are drawn, not wrapped.
std::vector<std::string> wrapBody(const std::vector<std::string>& lines, int inner) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (!line.empty() && (line[0] == '\x01' || line[0] == '\x02')) {
            out.push_back(line);
            continue;
        }
        for (std::string& piece : wrapText(line, inner)) out.push_back(std::move(piece));
    }
    return out;
}

// Cells a button takes: its shown label in brackets with a blank each side.
int buttonWidth(const std::string& label) { return term::displayWidth(parseHotkey(label).shown()) + 4; }

// `label` cut between whole characters, "..." after it, so that its button fits `width` cells.
std::string cutLabel(const std::string& label, int width) {
    std::vector<size_t> ends;  // where each character of the label ends
    for (size_t pos = 0; pos < label.size();) {
        pos += term::decodeUtf8(label, pos).length;
        ends.push_back(pos);
    }
    for (size_t keep = ends.size(); keep-- > 0;) {
        std::string cut = label.substr(0, ends[keep]) + "...";
        if (buttonWidth(cut) <= width) return cut;
    }
    return std::string("...").substr(0, static_cast<size_t>(std::clamp(width - 4, 0, 3)));
}

// The buttons in rows the box holds, in their order: as many on a row as fit with a blank between
// them, and a button wider than the box by itself cut to it, so no button is drawn past the frame
// (an error text passed as the only button is as long as the error).
std::vector<std::vector<std::string>> buttonRows(const std::vector<std::string>& labels, int inner) {
    std::vector<std::vector<std::string>> rows;
    int used = 0;
    for (const std::string& label : labels) {
        const std::string shown = buttonWidth(label) > inner ? cutLabel(label, inner) : label;
        const int width = buttonWidth(shown);
        if (rows.empty() || used + 1 + width > inner) {
            rows.emplace_back();
            used = -1;
        }
        rows.back().push_back(shown);
        used += 1 + width;
    }
    return rows;
}

}  // namespace

std::vector<std::string> standardButtons(DWORD flags) {
    switch (flags & farapi::kMessageButtonsMask) {
        case FMSG_MB_OK: return {"OK"};
        case FMSG_MB_OKCANCEL: return {"OK", "Cancel"};
        case FMSG_MB_ABORTRETRYIGNORE: return {"&Abort", "&Retry", "&Ignore"};
        case FMSG_MB_YESNO: return {"&Yes", "&No"};
        case FMSG_MB_YESNOCANCEL: return {"&Yes", "&No", "Cancel"};
        case FMSG_MB_RETRYCANCEL: return {"&Retry", "Cancel"};
        default: return {};
    }
}

MessageRequest messageFromItems(DWORD flags, const char* const* items, int itemsNumber, int buttonsNumber,
                                const std::string& errorText) {
    MessageRequest request;
    request.flags = flags;
    std::vector<std::string> all;
    if (flags & FMSG_ALLINONE) {
        // Items is really one string; a leading newline means "no title".
        const char* text = reinterpret_cast<const char*>(items);
        if (text) all = splitLines(text);
    } else {
        for (int i = 0; items && i < itemsNumber; ++i) all.emplace_back(items[i] ? items[i] : "");
    }
    if (!all.empty()) {
        request.title = all.front();
        all.erase(all.begin());
    }
    const bool standard = (flags & farapi::kMessageButtonsMask) != 0;
    const size_t buttons = standard ? 0 : static_cast<size_t>(std::clamp(buttonsNumber, 0, static_cast<int>(all.size())));
    request.buttons.assign(all.end() - static_cast<std::ptrdiff_t>(buttons), all.end());
    all.resize(all.size() - buttons);
    if (standard) request.buttons = standardButtons(flags);
    if (!errorText.empty()) all.insert(all.begin(), errorText);
    request.lines = std::move(all);
    return request;
}

// The box FAR draws: a double frame three columns and one row in from the dialog's edge, the body
// from column 5, the buttons centred on the row after it.
int runMessage(UiContext& context, const MessageRequest& request) {
    auto& cells = context.surface().cells();
    int inner = term::displayWidth(request.title) + 2;
    for (const auto& line : request.lines)
        if (line.empty() || (line[0] != '\x01' && line[0] != '\x02')) inner = std::max(inner, term::displayWidth(line));
    int buttonsWidth = -1;
    for (const auto& b : request.buttons) buttonsWidth += buttonWidth(b) + 1;
    inner = std::clamp(std::max(inner, buttonsWidth), 1, std::max(cells.width() - 10, 1));
    const int width = inner + 10;
    const std::vector<std::string> body = wrapBody(request.lines, inner);
    const auto rows = buttonRows(request.buttons, inner);
    const int buttonRowCount = static_cast<int>(rows.size());
    // Lines that do not fit the screen are left out, so that the buttons always show.
    const int room = std::max(cells.height() - 4 - buttonRowCount, 1);
    const int lines = std::min(static_cast<int>(body.size()), room);
    const int height = lines + buttonRowCount + 4;

    std::vector<FarDialogItem> items;
    items.push_back(makeItem(DI_DOUBLEBOX, 3, 1, width - 4, height - 2, 0, request.title));
    const DWORD align = (request.flags & FMSG_LEFTALIGN) ? 0 : DIF_CENTERTEXT;
    for (int i = 0; i < lines; ++i) {
        const std::string& line = body[static_cast<size_t>(i)];
        DWORD separator = line.empty() ? 0 : line[0] == '\x01' ? DIF_SEPARATOR : line[0] == '\x02' ? DIF_SEPARATOR2 : 0;
        std::string_view text = separator ? std::string_view(line).substr(1) : std::string_view(line);
        items.push_back(makeItem(DI_TEXT, 5, 2 + i, width - 6, 2 + i, separator | align | DIF_SHOWAMPERSAND, text));
    }
    const int firstButton = static_cast<int>(items.size());
    for (int row = 0; row < buttonRowCount; ++row)
        for (const auto& label : rows[static_cast<size_t>(row)])
            items.push_back(makeItem(DI_BUTTON, 0, 2 + lines + row, 0, 2 + lines + row, DIF_CENTERGROUP, label));
    if (!request.buttons.empty()) items[static_cast<size_t>(firstButton)].Focus = 1;

    DialogLayout layout;
    layout.x1 = -1;
    layout.y1 = -1;
    layout.x2 = width;
    layout.y2 = height;
    layout.helpTopic = request.helpTopic;
    layout.pluginNumber = request.pluginNumber;
    layout.items = items.data();
    layout.itemCount = static_cast<int>(items.size());
    layout.flags = (request.flags & FMSG_WARNING) ? FDLG_WARNING : 0;
    RunningDialog dialog(context, layout);
    if (request.flags & FMSG_DOWN) {
        std::lock_guard guard(context.lock());
        COORD shift{0, 2};
        dialog.send(DM_MOVEDIALOG, 0, reinterpret_cast<LONG_PTR>(&shift));
    }
    const int result = dialog.run(request.buttons.empty());
    return result >= firstButton ? result - firstButton : -1;
}

}  // namespace skimmer::host::ui
