#include "tests/support/system_text.h"

namespace skimmer::test {

bool pluginTextIsUtf8() { return false; }
bool pathsCutByTheSystem() { return true; }

}  // namespace skimmer::test
