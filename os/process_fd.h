// The descriptors of a child's pipes, for a Linux caller that waits on them in its own poll()
// beside other descriptors (the index's watcher). Linux only: on Windows a pipe is no descriptor,
// and the portable question "is the pipe still open" is Process::hasOutputPipe/hasErrorPipe.
//
// Contract: the descriptor stays owned by the Process; -1 when the pipe was not asked for or has
// reached its end.
#pragma once

#include "os/process.h"

namespace skimmer::os {

int outputFd(const Process& process);
int errorFd(const Process& process);

}  // namespace skimmer::os
