// The life of a dialog: placement, start-up notifications, the modal loop, write-back.
#include "host/ui/running_dialog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <utility>

namespace skimmer::host::ui {

namespace {

// What FAR's DefDlgProc answers when the dialog procedure does not handle a notification.
enum class Answer { Zero, True, False, MinusOne, Param2 };

constexpr std::array<std::pair<int, Answer>, 20> kDefaultAnswers{{
    {DN_INITDIALOG, Answer::False},     {DN_CLOSE, Answer::True},
    {DN_KILLFOCUS, Answer::MinusOne},   {DN_GOTFOCUS, Answer::Zero},
    {DN_HELP, Answer::Param2},          {DN_DRAGGED, Answer::True},
    {DN_CTLCOLORDIALOG, Answer::Param2}, {DN_CTLCOLORDLGITEM, Answer::Param2},
    {DN_CTLCOLORDLGLIST, Answer::False}, {DN_DRAWDIALOG, Answer::True},
    {DN_DRAWDLGITEM, Answer::True},     {DN_EDITCHANGE, Answer::True},
    {DN_HOTKEY, Answer::True},          {DN_LISTCHANGE, Answer::True},
    {DN_MOUSEEVENT, Answer::True},      {DN_RESIZECONSOLE, Answer::True},
    {DN_KEY, Answer::False},            {DN_MOUSECLICK, Answer::False},
    {DN_LISTHOTKEY, Answer::False},     {DN_ENTERIDLE, Answer::Zero},
}};

LONG_PTR answerValue(Answer answer, LONG_PTR param2) {
    switch (answer) {
        case Answer::True: return TRUE;
        case Answer::False: return FALSE;
        case Answer::MinusOne: return -1;
        case Answer::Param2: return param2;
        case Answer::Zero: break;
    }
    return 0;
}

// Centres a span of `size` in `total` when `centred`; otherwise the span runs from `a` to `b`.
std::pair<int, int> placeAxis(int a, int b, int total, bool centred) {
    int size = centred ? b : b - a + 1;
    size = std::clamp(size, 1, std::max(total, 1));
    int start = centred ? (total - size) / 2 : a;
    return {start, size};
}

}  // namespace

LONG_PTR defaultDialogAnswer(RunningDialog* dialog, int msg, int param1, LONG_PTR param2) {
    // A button click left to the kernel lets the button close the dialog; any other item's change
    // is accepted.
    if (msg == DN_BTNCLICK) return (dialog && dialog->itemType(param1) == DI_BUTTON) ? FALSE : TRUE;
    for (const auto& [message, answer] : kDefaultAnswers)
        if (message == msg) return answerValue(answer, param2);
    return 0;
}

RunningDialog::RunningDialog(UiContext& context, const DialogLayout& layout)
    : context_(context), callerItems_(layout.items), proc_(layout.proc), flags_(layout.flags),
      helpTopic_(layout.helpTopic), pluginNumber_(layout.pluginNumber), dlgData_(layout.param) {
    centredX_ = layout.x1 == -1;
    centredY_ = layout.y1 == -1;
    auto& cells = context_.surface().cells();
    std::tie(x_, width_) = placeAxis(layout.x1, layout.x2, cells.width(), centredX_);
    std::tie(y_, height_) = placeAxis(layout.y1, layout.y2, cells.height(), centredY_);
    items_.resize(static_cast<size_t>(std::max(layout.itemCount, 0)));
    for (size_t i = 0; i < items_.size(); ++i) items_[i].farItem = layout.items[i];
    initItems();
}

RunningDialog::~RunningDialog() {
    // Normally run() has already done this; after an exception it has not, and another thread
    // may be looking the handle up at this very moment.
    std::lock_guard guard(context_.lock());
    if (handle_) context_.registry().remove(handle_);
    if (context_.screen().contains(*this)) context_.screen().pop(*this);
}

int RunningDialog::itemType(int id) const { return valid(id) ? items_[static_cast<size_t>(id)].farItem.Type : -1; }

void RunningDialog::initItems() {
    for (size_t i = 0; i < items_.size(); ++i) {
        auto& item = items_[i];
        if (!isEdit(static_cast<int>(i))) continue;
        item.edit.setText(std::string_view(item.farItem.Data, strnlen(item.farItem.Data, sizeof item.farItem.Data)));
        initHistory(static_cast<int>(i));
        // FAR's edit fields start "unchanged": the first character typed replaces the text.
        item.edit.setUnchanged(!item.edit.codePoints().empty());
    }
    layoutCenterGroups();
    for (size_t i = 0; i < items_.size() && focus_ < 0; ++i)
        if (items_[i].farItem.Focus && focusable(static_cast<int>(i))) focus_ = static_cast<int>(i);
    if (focus_ < 0) focus_ = stepFocus(-1, +1);
}

void RunningDialog::startUp() {
    handle_ = context_.registry().add(*this);
    notify(DN_INITDIALOG, focus_, dlgData_);
    // FAR 1.75 (and the plug-ins written for it) expect the first focused item to hear DN_GOTFOCUS.
    if (!closed_ && valid(focus_)) notify(DN_GOTFOCUS, focus_, 0);
}

int RunningDialog::run(bool paintOnly) {
    std::lock_guard guard(context_.lock());
    startUp();
    if (paintOnly) {
        shown_ = true;
        context_.screen().paintOnce(*this);
    } else if (!closed_) {
        shown_ = true;
        context_.screen().push(*this);
        dirty_ = false;
    }
    while (!closed_ && !paintOnly) {
        UiEvent event = context_.waitEvent();
        // Another thread may have closed the dialog while the loop waited; its event is then moot.
        if (!closed_) dispatch(event);
        context_.paintDirtyDialogs();
    }
    shown_ = false;
    context_.registry().remove(std::exchange(handle_, nullptr));
    if (context_.screen().contains(*this)) context_.screen().pop(*this);
    if (!paintOnly && exitCode_ >= 0) rememberHistories();
    writeBack();
    return paintOnly ? -1 : exitCode_;
}

void RunningDialog::dispatch(const UiEvent& event) {
    std::visit(Overloaded{
                   [&](const term::KeyEvent& key) { processKey(static_cast<int>(key.code), true); },
                   [&](const term::MouseEvent& mouse) { processMouse(mouse); },
                   [&](const term::PasteEvent& pasted) { paste(pasted.text); },
                   [&](const ResizeEvent& resize) { onResize(resize); },
                   // Another thread changed something (a search filing its lines): the
                   // procedure hears DN_ENTERIDLE on this thread, where it may show a message.
                   [&](const WakeEvent&) { notify(DN_ENTERIDLE, 0, 0); },
                   [&](const InputEnded&) {
                       // The procedure still hears DN_CLOSE (it may free what it holds), but the
                       // dialog ends whatever it answers: there is no more input to wait for.
                       notify(DN_CLOSE, -1, 0);
                       closed_ = true;
                       exitCode_ = -1;
                   },
               },
               event);
}

// The buffer has the new size already; it, not the event, is what the dialog must fit.
void RunningDialog::onResize(const ResizeEvent&) {
    auto& cells = context_.surface().cells();
    COORD size{static_cast<SHORT>(cells.width()), static_cast<SHORT>(cells.height())};
    notify(DN_RESIZECONSOLE, 0, reinterpret_cast<LONG_PTR>(&size));
    if (centredX_) x_ = std::max(0, (cells.width() - width_) / 2);
    if (centredY_) y_ = std::max(0, (cells.height() - height_) / 2);
    dirty_ = false;
    context_.screen().resized();
}

void RunningDialog::writeBack() {
    if (!callerItems_) return;
    for (size_t i = 0; i < items_.size(); ++i) {
        callerItems_[i] = exportItem(static_cast<int>(i));
        if (items_[i].farItem.Type == DI_USERCONTROL) callerItems_[i].VBuf = items_[i].farItem.VBuf;  // never ours
    }
}

LONG_PTR RunningDialog::notify(int msg, int param1, LONG_PTR param2) {
    return proc_ ? proc_(handle_, msg, param1, param2) : defaultDialogAnswer(this, msg, param1, param2);
}

LONG_PTR RunningDialog::send(int msg, int param1, LONG_PTR param2) {
    if (Handler handler = handlerFor(msg)) return (this->*handler)(param1, param2);
    return notify(msg, param1, param2);
}

void RunningDialog::markDirty() {
    if (painting_) return;  // what the procedure changes while asked to draw is drawn now
    dirty_ = true;
    if (shown_ && !context_.onUiThread()) context_.events().wake();
}

void RunningDialog::paintIfDirty() {
    if (!dirty_ || !shown_ || redrawCounter_ != 0) return;
    if (!context_.onUiThread() || painting_) return;
    dirty_ = false;
    context_.screen().repaint(*this);
}

}  // namespace skimmer::host::ui
