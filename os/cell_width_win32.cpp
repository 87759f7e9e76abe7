// The Windows console has no width service a program can ask per character: the fixed table is
// the answer, the same set the Linux host measures by.
#include "os/cell_width.h"

namespace skimmer::os {

int unicodeWidth(char32_t cp) { return isWide(cp) ? 2 : 1; }

int cellWidth(char32_t cp) { return cp >= 0x1100 && isWide(cp) ? 2 : 1; }

}  // namespace skimmer::os
