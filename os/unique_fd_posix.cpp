#include "os/unique_fd.h"

#include <unistd.h>

namespace skimmer::os {

int closeDescriptor(int fd) { return ::close(fd); }

}  // namespace skimmer::os
