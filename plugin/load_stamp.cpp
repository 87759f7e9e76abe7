#include "plugin/load_stamp.h"

#include <cmath>

namespace skimmer::plugin {

std::string loadStampFromOleDate(double oleDate) { return std::to_string(std::llround(oleDate * 10000.0)); }

}  // namespace skimmer::plugin
