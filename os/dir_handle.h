// One owner for a directory stream: a `DIR*` that closedir()s itself when its handle goes away, on
// every path out of a listing. A handle owns exactly one stream (or none); nothing here retries
// or reports closedir's result (a stream opened for reading has nothing left to lose at close).
#pragma once

#include <dirent.h>

#include <memory>
#include <string>

#include "os/unique_fd.h"

namespace skimmer::os {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// opendir(path); null (errno set) when it cannot be opened.
DirHandle openDirectory(const std::string& path);
// A stream over the directory open at `fd`, which it takes over: the stream closes it. Null when
// `fd` is not valid or fdopendir refuses it; `fd` is closed then too.
DirHandle adoptDirectory(UniqueFd fd);

}  // namespace skimmer::os
