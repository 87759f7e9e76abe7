// The load stamp: the moment the library was loaded, as the decimal text of the local OLE date
// (days since 30 December 1899, the fraction being the time of day) times 10000, rounded to the
// nearest integer. It names the plug-in's temporary folder.
#pragma once

#include <string>

namespace skimmer::plugin {

std::string loadStampFromOleDate(double oleDate);

}  // namespace skimmer::plugin
