#include "host/ui/help_window.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "far/colors.h"
#include "far/keys.h"
#include "far/messages.h"
#include "host/term/text_width.h"
#include "host/ui/help_file.h"
#include "host/ui/help_layout.h"
#include "host/ui/help_reference.h"
#include "host/ui/message_box.h"
#include "os/default_open.h"

namespace skimmer::host::ui {

namespace {

// Where the window stands: a topic of a loaded file, scrolled to `top` with link `selected`
// highlighted. The history keeps these, files included, so going back needs no reading.
struct Location {
    std::shared_ptr<const HelpFile> file;
    std::string folder;  // relative references are resolved against it
    std::string topic;
    int top = 0;
    int selected = -1;
};

void warn(UiContext& context, std::vector<std::string> lines) {
    MessageRequest request;
    request.flags = FMSG_WARNING;
    request.title = "Help";
    request.lines = std::move(lines);
    request.buttons = {"Ok"};
    runMessage(context, request);
}

// What a reference opens, or the lines of the message that says why it cannot.
struct Resolved {
    std::optional<Location> location;
    std::vector<std::string> error;
};

Resolved load(const std::string& folder, const std::string& file, const std::string& language) {
    HelpParse parsed = file.empty() ? loadHelpFromFolder(folder, language) : loadHelpFile(file);
    if (!parsed.file) return {std::nullopt, {"Cannot open the help file:", parsed.error}};
    std::string base = file.empty() ? folder : std::filesystem::path(file).parent_path().string();
    return {Location{std::make_shared<const HelpFile>(std::move(*parsed.file)), base, {}, 0, -1}, {}};
}

// `from` is the location a link is followed from (null for the first topic, which comes from
// `request`).
Resolved resolve(UiContext& context, const Location* from, const HelpRequest& request, std::string_view text) {
    const HelpReference ref = parseHelpReference(text);
    if (ref.kind == HelpReference::Kind::FarHelp)
        return {std::nullopt, {"This host has no help of its own; cannot show:", ":" + ref.topic}};
    if (ref.kind == HelpReference::Kind::Url) return {std::nullopt, {"Not a help topic:", ref.topic}};
    Resolved resolved;
    if (ref.kind == HelpReference::Kind::Folder) {
        std::filesystem::path folder(ref.folder);
        if (folder.is_relative() && from) folder = std::filesystem::path(from->folder) / folder;
        resolved = load(folder.lexically_normal().string(), {}, context.helpLanguage());
    } else if (from) {
        resolved.location = Location{from->file, from->folder, {}, 0, -1};
    } else {
        resolved = load(request.folder, request.file, context.helpLanguage());
    }
    if (!resolved.location) return resolved;
    const HelpFile& file = *resolved.location->file;
    std::string topic = ref.topic;
    if (!file.find(topic) && request.useContents) topic = std::string(kContentsTopic);
    if (!file.find(topic)) return {std::nullopt, {"Help topic not found:", ref.topic}};
    resolved.location->topic = topic;
    return resolved;
}

class HelpWindow : public Layer {
public:
    HelpWindow(UiContext& context, Location start) : context_(context) {
        show(std::move(start), true);
    }
    // An exception that leaves run() must not leave the screen stack pointing at a dead window.
    ~HelpWindow() override {
        std::lock_guard guard(context_.lock());
        if (context_.screen().contains(*this)) context_.screen().pop(*this);
    }
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    void run() {
        std::lock_guard guard(context_.lock());
        context_.screen().push(*this);
        while (!done_) {
            std::visit(Overloaded{
                           [&](const term::KeyEvent& k) { key(static_cast<int>(k.code)); },
                           [&](const term::MouseEvent& m) { mouse(m); },
                           [&](const term::PasteEvent&) {},
                           [&](const ResizeEvent&) {
                               relayout();
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
    }

    void paint(term::CellBuffer& cells) override;

private:
    int width() const { return context_.surface().cells().width(); }
    int height() const { return context_.surface().cells().height(); }
    int textWidth() const { return std::max(width() - 4, 1); }
    int headerRows() const { return std::min(static_cast<int>(page_.header.size()), std::max(height() - 3, 0)); }
    int bodyRows() const { return std::max(height() - 2 - headerRows(), 1); }
    int maxTop() const { return std::max(static_cast<int>(page_.body.size()) - bodyRows(), 0); }
    bool linkVisible(int link) const {
        if (link < 0 || link >= static_cast<int>(page_.links.size())) return false;
        const int row = page_.links[static_cast<size_t>(link)].row;
        return row >= here_.top && row < here_.top + bodyRows();
    }

    void show(Location location, bool selectFirst) {
        here_ = std::move(location);
        topic_ = here_.file->find(here_.topic);
        relayout();
        if (selectFirst) keepSelectionVisible();
    }

    void relayout() {
        page_ = topic_ ? layoutHelpTopic(*topic_, textWidth()) : HelpPage{};
        here_.top = std::clamp(here_.top, 0, maxTop());
        if (here_.selected >= static_cast<int>(page_.links.size())) here_.selected = -1;
    }

    // After scrolling, the highlight moves to the first link on screen when it left the screen.
    void keepSelectionVisible() {
        if (linkVisible(here_.selected)) return;
        here_.selected = -1;
        for (int i = 0; i < static_cast<int>(page_.links.size()); ++i)
            if (linkVisible(i)) {
                here_.selected = i;
                return;
            }
    }

    void scrollTo(int top) {
        here_.top = std::clamp(top, 0, maxTop());
        keepSelectionVisible();
    }

    void selectLink(int direction) {
        const int count = static_cast<int>(page_.links.size());
        if (count == 0) return;
        here_.selected = here_.selected < 0 ? (direction > 0 ? 0 : count - 1) : (here_.selected + direction + count) % count;
        const int row = page_.links[static_cast<size_t>(here_.selected)].row;
        if (row < here_.top) here_.top = row;
        if (row >= here_.top + bodyRows()) here_.top = std::min(row - bodyRows() + 1, maxTop());
    }

    void follow(const std::string& target) {
        const HelpReference ref = parseHelpReference(target);
        if (ref.kind == HelpReference::Kind::Url) return openUrl(ref.topic);
        Resolved next = resolve(context_, &here_, HelpRequest{}, target);
        if (!next.location) return warn(context_, std::move(next.error));
        history_.push_back(here_);
        show(std::move(*next.location), true);
    }

    void openUrl(const std::string& url) {
        const os::OpenResult result = os::openWithDefaultApplication(url, nullptr);
        if (result.status == os::OpenResult::Failed) warn(context_, {"Cannot open:", url, result.error});
        else if (result.status == os::OpenResult::RunInTerminal) warn(context_, {"Cannot open here:", url});
    }

    void back() {
        if (history_.empty()) return;
        Location previous = std::move(history_.back());
        history_.pop_back();
        show(std::move(previous), false);
    }

    void key(int key) {
        const int page = std::max(bodyRows() - 1, 1);
        switch (key) {
            case KEY_ESC: case KEY_F10: done_ = true; return;
            case KEY_UP: return scrollTo(here_.top - 1);
            case KEY_DOWN: return scrollTo(here_.top + 1);
            case KEY_PGUP: return scrollTo(here_.top - page);
            case KEY_PGDN: return scrollTo(here_.top + page);
            case KEY_HOME: case KEY_CTRLHOME: case KEY_CTRLPGUP: return scrollTo(0);
            case KEY_END: case KEY_CTRLEND: case KEY_CTRLPGDN: return scrollTo(maxTop());
            case KEY_TAB: return selectLink(+1);
            case KEY_SHIFTTAB: return selectLink(-1);
            case KEY_BS: case KEY_ALTF1: return back();
            case KEY_ENTER: case KEY_NUMENTER:
                if (linkVisible(here_.selected)) follow(page_.links[static_cast<size_t>(here_.selected)].target);
                return;
            case KEY_F1:
                // Help on help, when the file has it; otherwise F1 here is simply not bound.
                if (here_.file->find(kHelpOnHelpTopic) && !showingHelpOnHelp()) follow(std::string(kHelpOnHelpTopic));
                return;
            default: return;
        }
    }

    bool showingHelpOnHelp() const { return topic_ && topic_ == here_.file->find(kHelpOnHelpTopic); }

    void mouse(const term::MouseEvent& event) {
        if (event.flags & term::kMouseWheeled) return scrollTo(here_.top - event.wheel);
        if (event.buttons == 0 || (event.flags & term::kMouseMoved)) return;
        const int row = event.y - 1 - headerRows() + here_.top;
        const int column = event.x - 2;
        if (event.y <= headerRows() || event.y > headerRows() + bodyRows() || row >= static_cast<int>(page_.body.size())) return;
        for (const auto& piece : page_.body[static_cast<size_t>(row)].pieces)
            if (piece.link >= 0 && column >= piece.column && column < piece.column + term::displayWidth(piece.text)) {
                here_.selected = piece.link;
                return follow(page_.links[static_cast<size_t>(piece.link)].target);
            }
    }

    void paintRow(term::CellBuffer& cells, const HelpRow& row, int y, bool selectable);
    void paintScrollbar(term::CellBuffer& cells);

    UiContext& context_;
    Location here_;
    const HelpTopic* topic_ = nullptr;  // in here_.file, which keeps it alive
    HelpPage page_;
    std::vector<Location> history_;
    bool done_ = false;
};

void HelpWindow::paint(term::CellBuffer& cells) {
    const int w = width(), h = height();
    const auto text = context_.color(COL_HELPTEXT);
    cells.fill(0, 0, w - 1, h - 1, U' ', text);
    cells.box(0, 0, w - 1, h - 1, term::BoxStyle::Double, context_.color(COL_HELPBOX), "Help",
              context_.color(COL_HELPBOXTITLE));
    for (int i = 0; i < headerRows(); ++i) paintRow(cells, page_.header[static_cast<size_t>(i)], 1 + i, false);
    for (int i = 0; i < bodyRows() && here_.top + i < static_cast<int>(page_.body.size()); ++i)
        paintRow(cells, page_.body[static_cast<size_t>(here_.top + i)], 1 + headerRows() + i, true);
    if (static_cast<int>(page_.body.size()) > bodyRows()) paintScrollbar(cells);
    cells.setCursor(0, 0, false);
}

void HelpWindow::paintRow(term::CellBuffer& cells, const HelpRow& row, int y, bool selectable) {
    const int limit = width() - 2;
    for (const auto& piece : row.pieces) {
        int index = piece.style == HelpStyle::Bold ? COL_HELPHIGHLIGHTTEXT
                    : piece.style == HelpStyle::Link ? COL_HELPTOPIC : COL_HELPTEXT;
        if (selectable && piece.link >= 0 && piece.link == here_.selected) index = COL_HELPSELECTEDTOPIC;
        const term::Attr attr = piece.color >= 0 && index != COL_HELPSELECTEDTOPIC
                                    ? static_cast<term::Attr>(piece.color)
                                    : context_.color(index);
        cells.put(2 + piece.column, y, piece.text, attr, limit);
    }
}

void HelpWindow::paintScrollbar(term::CellBuffer& cells) {
    const auto attr = context_.color(COL_HELPSCROLLBAR);
    const int x = width() - 1, first = 1 + headerRows(), rows = bodyRows();
    if (rows < 3) return;
    cells.putChar(x, first, U'\u25B2', attr);
    cells.putChar(x, first + rows - 1, U'\u25BC', attr);
    const int track = rows - 2;
    cells.fill(x, first + 1, x, first + track, U'\u2591', attr);
    const int thumb = maxTop() == 0 ? 0 : here_.top * (track - 1) / maxTop();
    cells.putChar(x, first + 1 + thumb, U'\u2593', attr);
}

}  // namespace

bool showHelp(UiContext& context, const HelpRequest& request) {
    if (!context.onUiThread()) return false;
    Resolved start = resolve(context, nullptr, request, request.topic);
    if (!start.location) {
        if (request.showErrors) warn(context, std::move(start.error));
        return false;
    }
    HelpWindow window(context, std::move(*start.location));
    window.run();
    return true;
}

bool showPluginHelp(UiContext& context, int pluginNumber, std::string_view topic) {
    if (topic.empty()) return false;
    const std::string module = context.modulePath(pluginNumber);
    const HelpReference ref = parseHelpReference(topic);
    if (module.empty() && ref.kind == HelpReference::Kind::Topic) {
        warn(context, {"No help file is known for this window:", std::string(topic)});
        return false;
    }
    HelpRequest request;
    request.folder = module.empty() ? std::string() : std::filesystem::path(module).parent_path().string();
    request.topic = std::string(topic);
    return showHelp(context, request);
}

}  // namespace skimmer::host::ui
