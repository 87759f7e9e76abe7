#include "index/query/name_doc_sorter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace skimmer::index::query {
namespace {

constexpr size_t kMinReadBuffer = 16 * 1024;
constexpr size_t kMaxReadBuffer = 1024 * 1024;
constexpr size_t kWriteBuffer = 1024 * 1024;

std::string spillFailure(const char* step) {
    return std::string(step) + " the name sidecar's temporary file: " + std::strerror(errno);
}

bool writeAllAt(int fd, const char* data, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
    return true;
}

}  // namespace

// Reads one run back, a buffer at a time.
class NameDocSorter::RunReader {
public:
    RunReader(int fd, Run run, size_t bufferSize) : fd_(fd), at_(run.offset), end_(run.offset + run.bytes), buffer_(bufferSize) {}

    // The next document of the run; false at its end or on a failure (then `error` is set).
    bool next(std::string& error) {
        if (pos_ == size_ && at_ == end_) return false;
        if (!have(sizeof(Held), error)) return false;
        std::memcpy(&doc_, buffer_.data() + pos_, sizeof(Held));
        pos_ += sizeof(Held);
        if (!have(doc_.nameSize, error)) return false;
        name_ = std::string_view(buffer_.data() + pos_, doc_.nameSize);
        pos_ += doc_.nameSize;
        return true;
    }
    const Held& doc() const { return doc_; }
    std::string_view name() const { return name_; }

private:
    // Makes `need` bytes available at pos_, moving what is left to the front and reading more.
    bool have(size_t need, std::string& error) {
        if (size_ - pos_ >= need) return true;
        std::memmove(buffer_.data(), buffer_.data() + pos_, size_ - pos_);
        size_ -= pos_;
        pos_ = 0;
        if (need > buffer_.size()) buffer_.resize(need);
        while (size_ < need) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size() - size_, end_ - at_));
            if (want == 0) {
                errno = EIO;
                error = spillFailure("a run ends early in");
                return false;
            }
            const ssize_t got = ::pread(fd_, buffer_.data() + size_, want, static_cast<off_t>(at_));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                if (got == 0) errno = EIO;
                error = spillFailure("reading");
                return false;
            }
            size_ += static_cast<size_t>(got);
            at_ += static_cast<uint64_t>(got);
        }
        return true;
    }

    int fd_;
    uint64_t at_, end_;
    std::vector<char> buffer_;
    size_t pos_ = 0, size_ = 0;
    Held doc_{};
    std::string_view name_;
};

NameDocSorter::NameDocSorter(std::filesystem::path spillFile, size_t budget)
    : spillFile_(std::move(spillFile)), budget_(std::max<size_t>(budget, sizeof(Held))) {}

bool NameDocSorter::add(const SortedDoc& doc, std::string_view name, std::string& error) {
    if (!held_.empty() && (held_.size() + 1) * sizeof(Held) + names_.size() + name.size() > budget_ && !spill(error))
        return false;
    if (held_.capacity() == 0) {
        // Room for a full budget up front: growing step by step would copy, and hold twice, what
        // is held; pages reserved but never written cost no memory.
        held_.reserve(budget_ / sizeof(Held) + 1);
        names_.reserve(budget_);
    }
    held_.push_back(Held{doc.mtime, doc.itemId, doc.readIndex, static_cast<uint32_t>(names_.size()),
                         static_cast<uint32_t>(name.size()), doc.facts});
    names_ += name;
    return true;
}

// A file without a name where the file system can make one (nothing is left behind even by a
// kill), else a named one unlinked at once; the open descriptor keeps it until the merge is done.
bool NameDocSorter::openSpill() {
    const std::filesystem::path folder = spillFile_.has_parent_path() ? spillFile_.parent_path() : ".";
    spill_.reset(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (spill_.valid()) return true;
    ::unlink(spillFile_.c_str());
    spill_.reset(::open(spillFile_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!spill_.valid()) return false;
    ::unlink(spillFile_.c_str());
    return true;
}

void NameDocSorter::sortHeld() { std::sort(held_.begin(), held_.end(), before); }

bool NameDocSorter::spill(std::string& error) {
    if (!spill_.valid() && !openSpill()) {
        error = spillFailure("creating");
        return false;
    }
    sortHeld();
    const Run run{spilled_, 0};
    std::string buffer;
    buffer.reserve(kWriteBuffer);
    auto flush = [&] {
        if (!writeAllAt(spill_.get(), buffer.data(), buffer.size(), spilled_)) return false;
        spilled_ += buffer.size();
        buffer.clear();
        return true;
    };
    for (const Held& held : held_) {
        buffer.append(reinterpret_cast<const char*>(&held), sizeof held);
        buffer.append(names_, held.nameAt, held.nameSize);
        if (buffer.size() >= kWriteBuffer && !flush()) {
            error = spillFailure("writing");
            return false;
        }
    }
    if (!flush()) {
        error = spillFailure("writing");
        return false;
    }
    runs_.push_back(Run{run.offset, spilled_ - run.offset});
    held_.clear();
    names_.clear();
    return true;
}

void NameDocSorter::release() {
    held_ = std::vector<Held>();
    names_ = std::string();
}

bool NameDocSorter::merge(const std::function<void(const SortedDoc&, std::string_view)>& visit, std::string& error) {
    const auto sorted = [](const Held& held) { return SortedDoc{held.mtime, held.itemId, held.readIndex, held.facts}; };
    if (runs_.empty()) {
        sortHeld();
        const std::string_view names(names_);
        for (const Held& held : held_) visit(sorted(held), names.substr(held.nameAt, held.nameSize));
        release();
        return true;
    }
    if (!held_.empty() && !spill(error)) return false;
    release();
    const size_t bufferSize = std::clamp(budget_ / runs_.size(), kMinReadBuffer, kMaxReadBuffer);
    std::vector<RunReader> readers;
    readers.reserve(runs_.size());
    std::vector<size_t> heap;
    for (const Run& run : runs_) {
        readers.emplace_back(spill_.get(), run, bufferSize);
        if (readers.back().next(error)) heap.push_back(readers.size() - 1);
        else if (!error.empty()) return false;
    }
    // A heap whose top is the reader holding the first document in order.
    const auto later = [&](size_t a, size_t b) { return before(readers[b].doc(), readers[a].doc()); };
    std::make_heap(heap.begin(), heap.end(), later);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        RunReader& reader = readers[heap.back()];
        visit(sorted(reader.doc()), reader.name());
        if (reader.next(error)) {
            std::push_heap(heap.begin(), heap.end(), later);
            continue;
        }
        if (!error.empty()) return false;
        heap.pop_back();
    }
    spill_.reset();
    return true;
}

}  // namespace skimmer::index::query
