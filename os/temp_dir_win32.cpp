// The private temporary folder on Windows. Where Linux proves a folder is ours by its owner and
// mode and holds its owner mark with flock, Windows holds handles without delete sharing: a held
// folder cannot be renamed or removed, a held ".owner" cannot be opened for deletion, and both let
// go when the process ends, however it ends.
#include "os/temp_dir.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "os/system_error.h"
#include "os/wide_text.h"
#include "os/win32_files.h"

namespace skimmer::os {

namespace {

constexpr int kMaxSuffix = 1000;
constexpr const wchar_t* kOwnerFile = L".owner";
constexpr int kMaxDepth = 16;  // the folders we make are flat; anything deeper is not ours
// Held by the living owner: others may read and write, never delete or rename.
constexpr DWORD kShareButDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;

std::string describe(const std::string& what, const std::filesystem::path& path, int err) {
    return what + " " + fromWide(path.wstring()) + ": " + std::strerror(err);
}

bool plainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::filesystem::path under(const std::filesystem::path& folder, std::string_view name) {
    return folder / toWide(name);
}

bool isLinkOrMount(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Opens a folder we just made and proves it is one: a real folder, not a link or junction swapped
// in since it was made. The handle keeps it from being renamed or removed while we hold it.
UniqueHandle holdFolder(const std::filesystem::path& path, int& err) {
    UniqueHandle folder(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kShareButDelete,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
    if (!folder) {
        err = lastErrorAsErrno();
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(folder.get(), &info)) {
        err = lastErrorAsErrno();
        return {};
    }
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || isLinkOrMount(info.dwFileAttributes)) {
        err = ENOTDIR;
        return {};
    }
    err = 0;
    return folder;
}

// "<prefix>.<digits>" or "<prefix>.<digits>.<digits>": a name create() gives out.
bool stampedName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() + 1 || name.substr(0, prefix.size()) != prefix || name[prefix.size()] != '.')
        return false;
    std::string_view rest = name.substr(prefix.size() + 1);
    int parts = 0;
    for (;;) {
        const size_t dot = rest.find('.');
        const std::string_view part = rest.substr(0, dot);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos) return false;
        if (++parts > 2) return false;
        if (dot == std::string_view::npos) return true;
        rest.remove_prefix(dot + 1);
    }
}

struct Entry {
    std::wstring name;
    DWORD attributes = 0;
};

std::vector<Entry> entriesOf(const std::filesystem::path& folder) {
    std::vector<Entry> out;
    WIN32_FIND_DATAW found{};
    const FindHandle find(::FindFirstFileW((folder / L"*").c_str(), &found));
    if (!find) return out;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") out.push_back({std::wstring(name), found.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &found));
    return out;
}

// Removes one entry itself: a link or junction is removed as a link (its target untouched), a
// read-only file loses the bit first (Windows refuses to delete it otherwise).
bool removeEntry(const std::filesystem::path& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ::RemoveDirectoryW(path.c_str()) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return ::DeleteFileW(path.c_str()) != 0 || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Empties `folder` and its real sub-folders (never entering a link or junction); the entry named
// `keep` (held by the caller) stays.
bool emptyTree(const std::filesystem::path& folder, const std::wstring& keep, int depth = 0) {
    if (depth > kMaxDepth) return false;
    bool ok = true;
    for (const Entry& entry : entriesOf(folder)) {
        if (depth == 0 && entry.name == keep) continue;
        const std::filesystem::path path = folder / entry.name;
        const bool realFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLinkOrMount(entry.attributes);
        if (realFolder) ok = emptyTree(path, keep, depth + 1) && ok;
        ok = removeEntry(path, entry.attributes) && ok;
    }
    return ok;
}

// The folder's ".owner", opened for deletion and shared with nobody: it opens only when no living
// owner holds it, and while it is held here no process can claim the folder.
UniqueHandle claimStaleOwner(const std::filesystem::path& folder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || isLinkOrMount(data.dwFileAttributes))
        return {};
    UniqueHandle owner(::CreateFileW((folder / kOwnerFile).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // No owner file: a folder being made right now, or one of an older version; left alone.
    if (!owner) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(owner.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return {};
    return owner;
}

bool removeStale(const std::filesystem::path& folder) {
    UniqueHandle owner = claimStaleOwner(folder);
    if (!owner || !emptyTree(folder, kOwnerFile)) return false;
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(owner.get(), FileDispositionInfo, &dispose, sizeof dispose)) return false;
    owner.reset();  // the mark goes with the last handle
    return ::RemoveDirectoryW(folder.c_str()) != 0;
}

}  // namespace

size_t TempDir::reclaimStale(std::string_view prefix, std::filesystem::path parent) {
    if (parent.empty()) parent = systemTempRoot();
    if (prefix.empty()) return 0;
    size_t removed = 0;
    for (const Entry& entry : entriesOf(parent)) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || isLinkOrMount(entry.attributes)) continue;
        if (stampedName(fromWide(entry.name), prefix) && removeStale(parent / entry.name)) ++removed;
    }
    return removed;
}

std::filesystem::path systemTempRoot() {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 2, buffer);
    if (n == 0 || n > MAX_PATH + 1) return std::filesystem::path(L"C:\\Windows\\Temp");
    std::wstring path(buffer, n);
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return std::filesystem::path(path);
}

std::string TempDir::pathText() const { return fromWide(path_.wstring()); }
std::string TempDir::pathTextOf(std::string_view name) const { return fromWide(under(path_, name).wstring()); }

std::unique_ptr<TempDir> TempDir::create(std::string_view prefix, std::string_view stamp,
                                         std::string& error, std::filesystem::path parent) {
    if (parent.empty()) parent = systemTempRoot();
    const std::string base = std::string(prefix) + "." + std::string(stamp);
    if (!plainName(base)) {
        error = "invalid temporary folder name \"" + base + "\"";
        return nullptr;
    }
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const std::filesystem::path path = under(parent, suffix == 0 ? base : base + "." + std::to_string(suffix));
        // CreateDirectoryW refuses any existing name, a planted link or junction included.
        if (!::CreateDirectoryW(path.c_str(), nullptr)) {
            const int err = lastErrorAsErrno();
            if (err == EEXIST) continue;
            error = describe("cannot create temporary folder", path, err);
            return nullptr;
        }
        int err = 0;
        UniqueHandle held = holdFolder(path, err);
        int fd = -1;
        if (!err) err = adoptHandle(std::move(held), O_RDONLY, fd);
        if (err) {  // not ours after all: leave whatever is there alone
            error = describe("cannot open temporary folder", path, err);
            return nullptr;
        }
        return std::unique_ptr<TempDir>(new TempDir(path, UniqueFd(fd)));
    }
    error = "no free temporary folder name for " + fromWide(under(parent, base).wstring());
    return nullptr;
}

std::unique_ptr<TempDir> TempDir::createReclaimable(std::string_view prefix, std::string_view stamp,
                                                    std::string& error, std::filesystem::path parent) {
    std::unique_ptr<TempDir> dir = create(prefix, stamp, error, std::move(parent));
    if (dir && !dir->claimOwnership(error)) return nullptr;  // the destructor removes the folder again
    return dir;
}

// One call makes ".owner" and holds it without delete sharing, so no reclaimer ever finds it unheld
// while this process lives.
bool TempDir::claimOwnership(std::string& error) {
    const std::filesystem::path path = path_ / kOwnerFile;
    UniqueHandle owner(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareButDelete, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    int fd = -1;
    const int err = owner ? adoptHandle(std::move(owner), O_WRONLY, fd) : lastErrorAsErrno();
    if (err) {
        error = describe("cannot claim temporary folder", path_, err);
        return false;
    }
    entries_.insert(fromWide(kOwnerFile));
    owner_ = UniqueFd(fd);
    return true;
}

TempDir::~TempDir() {
    std::string ignored;  // the owner that cares about failures calls remove() itself
    remove(ignored);
}

UniqueFd TempDir::createFile(std::string_view name, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return {};
    }
    const std::filesystem::path path = under(path_, name);
    // CREATE_NEW fails on any existing name, a link included, so nothing is ever written through one.
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    int fd = -1;
    const int err = file ? adoptHandle(std::move(file), O_WRONLY, fd) : lastErrorAsErrno();
    if (err) {
        error = describe("cannot create", path, err);
        return {};
    }
    entries_.insert(std::string(name));
    return UniqueFd(fd);
}

bool TempDir::replaceFile(std::string_view name, std::string_view data, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return false;
    }
    const std::string staged = std::string(name) + ".new";
    const std::filesystem::path stagedPath = under(path_, staged), target = under(path_, name);
    // A leftover is removed as itself (a link, never its target); "not there" is the usual case.
    if (!::DeleteFileW(stagedPath.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND &&
        !::RemoveDirectoryW(stagedPath.c_str())) {
        error = describe("cannot remove", stagedPath, lastErrorAsErrno());
        return false;
    }
    UniqueFd fd = createFile(staged, error);
    if (!fd.valid()) return false;
    const HANDLE file = handleOf(fd.get());
    for (size_t done = 0; done < data.size();) {
        DWORD wrote = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        if (!::WriteFile(file, data.data() + done, ask, &wrote, nullptr) || wrote == 0) {
            error = describe("cannot write", stagedPath, wrote == 0 && ::GetLastError() == 0 ? EIO : lastErrorAsErrno());
            fd.reset();
            ::DeleteFileW(stagedPath.c_str());  // best effort: remove() deletes it later too
            return false;
        }
        done += wrote;
    }
    if (fd.close() != 0) {
        error = describe("cannot write", stagedPath, errno);
        ::DeleteFileW(stagedPath.c_str());
        return false;
    }
    // Replacing works while a reader holds the old file, as long as it shares it for deletion.
    if (const int err = os::replaceFile(stagedPath.wstring(), target.wstring())) {
        error = describe("cannot replace", target, err);
        ::DeleteFileW(stagedPath.c_str());
        return false;
    }
    entries_.erase(staged);
    entries_.insert(std::string(name));
    return true;
}

bool TempDir::adopt(std::string_view name, std::string& error) {
    if (removed_ || !plainName(name)) {
        error = "invalid temporary file name \"" + std::string(name) + "\"";
        return false;
    }
    entries_.insert(std::string(name));
    return true;
}

// Our mark is let go last, and only when nothing foreign keeps the folder: while the folder stays,
// its living owner must stay visible to reclaimers.
bool TempDir::remove(std::string& error) {
    if (removed_) return true;
    const std::string owner = fromWide(kOwnerFile);
    bool ok = true;
    for (const std::string& name : entries_) {
        const std::filesystem::path path = under(path_, name);
        const DWORD attributes = name == owner ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !removeEntry(path, attributes)) {
            error = describe("cannot remove", path, lastErrorAsErrno());
            ok = false;
        }
    }
    if (!ok) return false;
    for (const Entry& entry : entriesOf(path_)) {
        if (entry.name != kOwnerFile) {  // someone else's file keeps the folder, and the mark with it
            error = describe("cannot remove temporary folder", path_, ENOTEMPTY);
            return false;
        }
    }
    owner_.reset();
    if (!::DeleteFileW((path_ / kOwnerFile).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = describe("cannot remove", path_ / kOwnerFile, lastErrorAsErrno());
        return false;
    }
    entries_.clear();
    dir_.reset();  // our hold on the folder would keep it from being removed
    if (!::RemoveDirectoryW(path_.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = describe("cannot remove temporary folder", path_, lastErrorAsErrno());
        return false;
    }
    removed_ = true;
    return true;
}

}  // namespace skimmer::os
