#include "os/unique_fd.h"

#include <io.h>

namespace skimmer::os {

// _close also closes the handle a descriptor from _open_osfhandle wraps.
int closeDescriptor(int fd) { return ::_close(fd); }

}  // namespace skimmer::os
