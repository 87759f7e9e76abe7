// File access for the name sidecar: atomic replacement on the writer side, a read-only mapping on
// the reader side.
//
// Contract:
// - `ReplacingFile` builds a new file piece by piece (writes and reads at any offset) as a
//   temporary file in the target's folder (mode 0644) and, on `commit`, fsyncs it, renames it over
//   the target and fsyncs the folder. The first failure sticks: later writes and reads do nothing
//   (reads return false), and `commit` fails with the first error, naming the step. A file not
//   committed is removed by the destructor; the target is untouched until the rename.
// - `replaceFileAtomically` writes a temporary file in the target's folder (mode 0644), fsyncs it,
//   renames it over the target and fsyncs the folder; on any failure the temporary file is removed,
//   the target is untouched and `error` says which step failed. It never retries fsync.
// - `MappedFile` owns one read-only, private mapping and unmaps it exactly once. Mapping never
//   reads the file: pages come in as they are touched. Opening never blocks (a FIFO in place of
//   the file is refused as "… is not a regular file").
#pragma once

#include "os/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace skimmer::index::query {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    // Creates the temporary file "<target>.tmp.<process id>" (a leftover of that name, from a
    // killed earlier build by a process with our id, is removed first).
    bool create(const std::filesystem::path& target);
    bool writeAt(uint64_t offset, const void* data, size_t size);
    bool readAt(uint64_t offset, void* data, size_t size);
    bool commit();

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    bool fail(const char* step, const std::filesystem::path& path);
    std::filesystem::path target_, temp_;
    os::UniqueFd fd_;
    std::string error_;
};

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& error);

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Maps the whole file; false with `error` set when it is missing, empty or unreadable.
    bool open(const std::filesystem::path& path, std::string& error);

    const unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

    // Hands the pages of bytes [from, from + length) back to the kernel. They stay in the page
    // cache and fault back in on the next read, so nothing read later changes; a pass over the
    // whole file (a verification) then does not leave all of it counted in the process's resident
    // memory. Best effort: when the kernel declines, the pages stay mapped, which costs memory only.
    void releasePages(size_t from, size_t length) const;

private:
    void reset();
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace skimmer::index::query
