// FAR's message box (the Message service) as a dialog of this engine: a title, body lines, a row
// of buttons, FAR's warning colours, and the box without buttons that stays on screen while the
// caller works.
//
// Contract: `runMessage` runs on the UI thread; it returns the 0-based index of the pressed
// button, or -1 for Esc, a click outside, or a box without buttons (which returns at once and
// stays visible until something repaints over it). A body line wider than the box (at most the
// screen width less ten) wraps inside it. Nothing is drawn past the frame: buttons that do not fit
// one row take more rows, and a button wider than the box by itself shows its label cut, with
// "...". Lines are values; nothing of the caller's is kept.
#pragma once

#include <string>
#include <vector>

#include "far/win_types.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::ui {

struct MessageRequest {
    DWORD flags = 0;  // FMSG_*
    std::string helpTopic;
    int pluginNumber = -1;  // whose help F1 shows
    std::string title;
    std::vector<std::string> lines;    // "\x01..." a single separator, "\x02..." a double one
    std::vector<std::string> buttons;  // ignored when an FMSG_MB_* set is given
};

int runMessage(UiContext& context, const MessageRequest& request);

// Splits FAR's Items/ItemsNumber/ButtonsNumber (or FMSG_ALLINONE's one string) into a request.
// `errorText` is prepended as the first body line (FMSG_ERRORTYPE) when not empty.
MessageRequest messageFromItems(DWORD flags, const char* const* items, int itemsNumber, int buttonsNumber,
                                const std::string& errorText = {});

// The labels of an FMSG_MB_* set, in the order their indices are returned.
std::vector<std::string> standardButtons(DWORD flags);

}  // namespace skimmer::host::ui
