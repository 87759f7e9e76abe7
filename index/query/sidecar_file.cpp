#include "index/query/sidecar_file.h"

#include "index/storage/index_files.h"
#include "os/unique_fd.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace skimmer::index::query {
namespace {

std::string failure(const char* step, const std::filesystem::path& path) {
    return std::string(step) + " " + path.string() + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool writeTemp(const std::filesystem::path& temp, std::string_view bytes, std::string& error) {
    os::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (fd.get() < 0) { error = failure("creating", temp); return false; }
    if (!writeAll(fd.get(), bytes)) { error = failure("writing", temp); return false; }
    if (::fsync(fd.get()) != 0) { error = failure("syncing", temp); return false; }
    if (fd.close() != 0) { error = failure("closing", temp); return false; }
    return true;
}

}  // namespace

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string& error) {
    std::filesystem::path temp = target;
    temp += ".tmp." + std::to_string(::getpid());
    ::unlink(temp.c_str());  // a leftover of a killed earlier build by a process with our id
    if (!writeTemp(temp, bytes, error)) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        error = failure("renaming", temp);
        ::unlink(temp.c_str());
        return false;
    }
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    os::UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || ::fsync(dir.get()) != 0) {
        error = failure("syncing folder", folder);
        return false;
    }
    return true;
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
