// File access for the name sidecar: atomic replacement on the writer side, a read-only mapping on
// the reader side.
//
// Contract:
// - `replaceFileAtomically` writes a temporary file in the target's folder (mode 0644), fsyncs it,
//   renames it over the target and fsyncs the folder; on any failure the temporary file is removed,
//   the target is untouched and `error` says which step failed. It never retries fsync.
// - `MappedFile` owns one read-only, private mapping and unmaps it exactly once. Mapping never
//   reads the file: pages come in as they are touched. Opening never blocks (a FIFO in place of
//   the file is refused as "… is not a regular file").
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace skimmer::index::query {

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

private:
    void reset();
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace skimmer::index::query
