#include "index/query/sidecar_file.h"

#include "index/storage/index_files.h"
#include "os/unique_fd.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace skimmer::index::query {
namespace {

std::string failure(const char* step, const std::filesystem::path& path) {
    return std::string(step) + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    if (fd_.valid()) {
        fd_.reset();
        ::unlink(temp_.c_str());
    }
}

bool ReplacingFile::fail(const char* step, const std::filesystem::path& path) {
    if (error_.empty()) error_ = failure(step, path);
    return false;
}

bool ReplacingFile::create(const std::filesystem::path& target) {
    target_ = target;
    temp_ = target;
    temp_ += ".tmp." + std::to_string(::getpid());
    ::unlink(temp_.c_str());
    fd_.reset(::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    return fd_.valid() || fail("creating", temp_);
}

bool ReplacingFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (failed()) return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_.get(), bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return fail("writing", temp_);
        bytes += written;
        offset += static_cast<uint64_t>(written);
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReplacingFile::readAt(uint64_t offset, void* data, size_t size) {
    if (failed()) return false;
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd_.get(), bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail("reading", temp_);
        if (got == 0) {
            errno = EIO;  // the file is shorter than what was written to it
            return fail("reading", temp_);
        }
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool ReplacingFile::commit() {
    if (failed()) return false;
    if (::fsync(fd_.get()) != 0) return fail("syncing", temp_);
    if (fd_.close() != 0) {
        fail("closing", temp_);
        ::unlink(temp_.c_str());
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        fail("renaming", temp_);
        ::unlink(temp_.c_str());
        return false;
    }
    const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
    os::UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || ::fsync(dir.get()) != 0) return fail("syncing folder", folder);
    return true;
}

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& error) {
    ReplacingFile file;
    if (file.create(target) && file.writeAt(0, bytes.data(), bytes.size()) && file.commit()) return true;
    error = file.error();
    return false;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

MappedFile::~MappedFile() { reset(); }

void MappedFile::reset() {
    if (data_ != nullptr) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

void MappedFile::releasePages(size_t from, size_t length) const {
    if (data_ == nullptr || from >= size_) return;
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t start = from / page * page;  // the mapping starts on a page
    const size_t end = std::min(size_, from + std::min(length, size_ - from));
    // A private mapping that is never written holds only the page cache's pages: dropping them
    // loses nothing. The file itself is never changed in place (a new sidecar replaces it whole).
    ::madvise(data_ + start, end - start, MADV_DONTNEED);
}

bool MappedFile::open(const std::filesystem::path& path, std::string& error) {
    reset();
    // O_NONBLOCK: a FIFO in place of the file must not wait for a writer; the type check follows.
    os::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const store::FileLook look = store::inspectFile(path);
        error = look.shape == store::FileShape::Special ? store::notRegularText(path, look) : failure("opening", path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) { error = failure("reading", path); return false; }
    if (!S_ISREG(st.st_mode)) { error = store::notRegularText(path, store::inspectFile(path)); return false; }
    if (st.st_size <= 0) { error = path.string() + " is empty"; return false; }
    void* mapped = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (mapped == MAP_FAILED) { error = failure("mapping", path); return false; }
    data_ = static_cast<unsigned char*>(mapped);
    size_ = static_cast<size_t>(st.st_size);
    return true;
}

}  // namespace skimmer::index::query
