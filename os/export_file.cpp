// The system-neutral half of os/export_file.h: failure texts, the write loop, and the folder
// questions, all through the FileSystem seam.
#include "os/export_file.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "os/export_file_support.h"

namespace skimmer::os {

namespace export_detail {

std::string describe(int err, const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

int writeAll(FileSystem& fs, int fd, const char* data, size_t size) {
    while (size > 0) {
        size_t written = 0;
        if (int err = fs.write(fd, data, size, written)) return err;
        if (written == 0) return EIO;
        data += written;
        size -= written;
    }
    return 0;
}

}  // namespace export_detail

int makeFolder(FileSystem& fs, const std::string& path, std::string& error) {
    int err = fs.mkdir(path, 0777);
    if (err == EEXIST) {
        FileStat st;
        if (fs.stat(path, st) == 0 && st.isDirectory) return 0;
    }
    if (err) error = export_detail::describe(err, "cannot create the folder", path);
    return err;
}

int listFolder(FileSystem& fs, const std::string& path, std::vector<std::string>& names, std::string& error) {
    std::vector<std::string> all;
    if (int err = fs.listDirectory(path, all)) {
        error = export_detail::describe(err, "cannot list", path);
        return err;
    }
    names.clear();
    for (auto& name : all)
        if (name != "." && name != "..") names.push_back(std::move(name));
    return 0;
}

}  // namespace skimmer::os
