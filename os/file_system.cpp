// The whole-file helpers of file_system.h, over any FileSystem.
#include "os/file_system.h"

#include <algorithm>
#include <cerrno>

namespace skimmer::os {

int readAll(FileSystem& fs, int fd, std::string& out, size_t limit, bool& tooLarge, size_t expected) {
    tooLarge = false;
    // Room for one byte more than expected, so that the end of the file shows without a second
    // buffer: a file of the expected size is read into one allocation, never copied or doubled.
    std::string data(std::min(expected, limit) + 1, '\0');
    size_t have = 0;
    for (;;) {
        if (have == data.size())  // a file larger than expected: grow, up to a byte past the limit
            data.resize(std::min(data.size() * 2 + 65536, limit + 1));
        size_t got = 0;
        if (const int err = fs.read(fd, data.data() + have, data.size() - have, got)) return err;
        if (got == 0) break;
        have += got;
        if (have > limit) {  // a byte past the limit reveals an oversized file
            tooLarge = true;
            return 0;
        }
    }
    data.resize(have);
    out = std::move(data);
    return 0;
}

int writeAll(FileSystem& fs, int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        size_t written = 0;
        if (const int err = fs.write(fd, data.data() + done, data.size() - done, written)) return err;
        if (written == 0) return EIO;  // a regular file never accepts nothing; don't spin
        done += written;
    }
    return 0;
}

}  // namespace skimmer::os
