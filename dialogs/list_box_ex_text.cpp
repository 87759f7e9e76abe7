#include "dialogs/list_box_ex_text.h"

#include "os/text_border.h"

namespace skimmer::dialogs {

std::u32string DecodeColumns(std::string_view text) { return os::consoleColumns(text); }

int32_t CountColumns(std::string_view text) { return static_cast<int32_t>(os::consoleColumnCount(text)); }

}  // namespace skimmer::dialogs
