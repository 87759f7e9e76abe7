#include "tests/support/system_text.h"

namespace skimmer::test {

bool pluginTextIsUtf8() { return true; }
bool pathsCutByTheSystem() { return false; }

}  // namespace skimmer::test
