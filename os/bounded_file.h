// Reading a whole small file with a size cap: the one reader for the files a caller must take in
// whole but cannot trust to be small or even regular (.desktop entries, profiles.ini).
//
// Contract: only a regular file is read. The path is stat()ed first, so a device put where a file
// was expected is never opened (opening one can have effects); the open never blocks (a FIFO
// swapped in meanwhile is caught by fstat on the open descriptor) and never makes a terminal the
// controlling one. A file past `maxBytes`, before or while it is read, yields no text at all: a
// cut configuration file would be read as a different one. The result owns its text.
#pragma once

#include <cstddef>
#include <string>

namespace skimmer::os {

struct BoundedRead {
    enum class Status {
        Ok,
        OpenFailed,  // stat, open or fstat failed: `error` says why
        NotRegular,  // a folder, FIFO, device or socket
        TooLarge,    // larger than the cap when it was opened
        Grew,        // grew past the cap while it was being read
        ReadFailed,  // read failed: `error` says why
    };
    Status status = Status::Ok;
    int error = 0;     // errno for OpenFailed and ReadFailed, else 0
    std::string text;  // the whole file when ok(), else empty

    bool ok() const { return status == Status::Ok; }
};

BoundedRead readBoundedFile(const std::string& path, size_t maxBytes);

}  // namespace skimmer::os
