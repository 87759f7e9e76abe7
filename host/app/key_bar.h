// FAR's key bar on the bottom row: "1Help 2...", one slot per function key, numbers in
// KEYBARNUM colours and labels in KEYBARTEXT colours. A slot without a label is shown empty, so
// the bar never promises a key that does nothing.
#pragma once

#include <array>
#include <string>

#include "host/term/cell_buffer.h"

namespace skimmer::host::app {

using KeyBarLabels = std::array<std::string, 12>;  // F1..F12

void drawKeyBar(term::CellBuffer& screen, int y, const KeyBarLabels& labels);

}  // namespace skimmer::host::app
