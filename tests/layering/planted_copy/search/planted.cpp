// A planted copy of a helper os/ owns: check_one_home.cmake must name this line and fail.
#include <dirent.h>

#include <memory>

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
