// The host's life from taking the terminal to giving it back, behind main().
//
// Contract: returns the process exit code; the terminal is restored on every way out, exceptions
// included (they propagate after the owning objects restored it).
#pragma once

#include <string>

#include "host/app/options.h"

namespace skimmer::host::app {

int runApp(const Options& options, const std::string& argv0);

}  // namespace skimmer::host::app
