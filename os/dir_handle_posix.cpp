#include "os/dir_handle.h"

namespace skimmer::os {

DirHandle openDirectory(const std::string& path) { return DirHandle(::opendir(path.c_str())); }

DirHandle adoptDirectory(UniqueFd fd) {
    if (!fd.valid()) return nullptr;
    DirHandle dir(::fdopendir(fd.get()));
    if (dir) fd.release();  // the stream closes it from now on
    return dir;
}

}  // namespace skimmer::os
