// Windows' error codes in the errno values the os/ interfaces speak. Windows only: included by
// the *_win32.cpp files, which report every failure of a system call through these.
//
// Contract: every code maps to a defined errno value; a code with no closer meaning maps to EIO,
// never to 0, so a failure can never read as success.
#pragma once

namespace skimmer::os {

int errnoFromSystemError(unsigned long code);
// errnoFromSystemError(GetLastError()), read at once after the failed call.
int lastErrorAsErrno();

}  // namespace skimmer::os
