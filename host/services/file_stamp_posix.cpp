#include "host/services/file_stamp.h"

#include <sys/stat.h>

namespace skimmer::host::services {

// Device and inode (an editor that writes a new file and renames it over the old one changes
// them), size, and the modification and status-change times to the nanosecond.
std::string fileStamp(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    std::string stamp;
    for (const long long part : {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
                                 static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                                 static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
                                 static_cast<long long>(st.st_ctim.tv_nsec)})
        stamp += std::to_string(part) + ":";
    return stamp;
}

}  // namespace skimmer::host::services
