#include "os/maildir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "os/dir_handle.h"
#include "os/paths.h"
#include "os/utf8.h"

namespace skimmer::os {

namespace {

constexpr std::array<uint8_t, 4> kIdMagic = {'S', 'K', 'M', 1};
constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr uint64_t kFnvPrime = 0x100000001b3ULL;
static_assert(kIdMagic.size() + 8 + 12 == kMailEntryIdBytes);

DirHandle openFolder(const std::string& path) {
    return adoptDirectory(UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
}

// The entry's type without following a link; DT_UNKNOWN file systems are asked with lstat.
unsigned char entryType(const std::string& path, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return DT_UNKNOWN;
    if (S_ISDIR(st.st_mode)) return DT_DIR;
    return S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void walk(const std::string& folder, int depth, std::unordered_set<std::string>& seen, std::vector<std::string>& out,
          std::vector<std::string>* searched) {
    if (isDirectory(joinPath(folder, "cur")) && seen.insert(folder).second) out.push_back(folder);
    if (depth >= kMaxMaildirDepth) return;
    DirHandle dir = openFolder(folder);
    if (!dir) return;
    if (searched) searched->push_back(folder);
    std::vector<std::string> subfolders;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || name == "cur" || name == "new" || name == "tmp") continue;
        const std::string path = joinPath(folder, name);
        if (entryType(path, *entry) == DT_DIR) subfolders.push_back(path);
    }
    dir.reset();
    std::sort(subfolders.begin(), subfolders.end());  // a stable order whatever the directory's
    for (const std::string& sub : subfolders) walk(sub, depth + 1, seen, out, searched);
}

uint64_t fnv(std::string_view text, uint64_t seed) {
    uint64_t hash = seed;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
    // FNV's last bytes mix weakly into the high bits: one more round of a 64-bit finaliser.
    hash ^= hash >> 33, hash *= 0xff51afd7ed558ccdULL, hash ^= hash >> 33;
    return hash;
}

void putBytes(MailEntryId& id, size_t at, uint64_t value, size_t count) {
    for (size_t i = 0; i < count; ++i) id[at + i] = static_cast<uint8_t>(value >> (8 * (count - 1 - i)));
}

}  // namespace

std::vector<std::string> conventionalMailRoots(const std::string& home, const std::string& dataHome) {
    if (home.empty()) return {};
    const std::string data = dataHome.empty() ? home + "/.local/share" : dataHome;
    return {home + "/Maildir", home + "/.mail", home + "/mail", data + "/evolution/mail/local"};
}

std::vector<std::string> findMaildirs(const std::vector<std::string>& roots, std::vector<std::string>* searched) {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (std::string root : roots) {
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        if (!root.empty() && isDirectory(root)) walk(root, 0, seen, out, searched);
    }
    if (searched) {  // a root given twice (or inside another) was looked through twice
        std::sort(searched->begin(), searched->end());
        searched->erase(std::unique(searched->begin(), searched->end()), searched->end());
    }
    return out;
}

bool listMaildir(const std::string& folder, const std::function<void(const MaildirFile&)>& visit) {
    bool listedCur = false;
    for (const char* sub : {"cur", "new"}) {
        const std::string dirPath = joinPath(folder, sub);
        DirHandle dir = openFolder(dirPath);
        if (!dir) continue;
        listedCur = listedCur || sub[0] == 'c';
        while (const dirent* entry = readdir(dir.get())) {
            if (entry->d_name[0] == '.') continue;
            MaildirFile file{.path = joinPath(dirPath, entry->d_name), .name = entry->d_name, .inNew = sub[0] == 'n'};
            if (entryType(file.path, *entry) == DT_REG) visit(file);
        }
    }
    return listedCur;
}

std::string maildirStamp(const std::string& folder) {
    std::string stamp;
    for (const char* sub : {"cur", "new"}) {
        struct stat st {};
        if (::lstat(joinPath(folder, sub).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            if (sub[0] == 'c') return {};
            stamp += "-";
            continue;
        }
        const int64_t m = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        const int64_t c = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
        stamp += std::to_string(std::max(m, c)) + (sub[0] == 'c' ? "/" : "");
    }
    return stamp;
}

std::string_view maildirUniquePart(std::string_view fileName) { return fileName.substr(0, fileName.find(':')); }

std::string_view maildirFlags(std::string_view fileName) {
    const size_t info = fileName.find(":2,");
    return info == std::string_view::npos ? std::string_view() : fileName.substr(info + 3);
}

bool maildirUnread(const MaildirFile& file) {
    return file.inNew || maildirFlags(file.name).find('S') == std::string_view::npos;
}

uint64_t mailFolderHash(std::string_view folder) { return fnv(folder, kFnvOffset); }

MailEntryId mailEntryId(std::string_view folder, std::string_view uniquePart) {
    MailEntryId id{};
    std::copy(kIdMagic.begin(), kIdMagic.end(), id.begin());
    putBytes(id, 4, mailFolderHash(folder), 8);
    putBytes(id, 12, fnv(uniquePart, kFnvOffset ^ 0x5bd1e995ULL), 8);
    putBytes(id, 20, fnv(uniquePart, kFnvOffset ^ 0x27d4eb2fULL), 4);
    return id;
}

uint64_t mailEntryFolderHash(const MailEntryId& id) {
    uint64_t hash = 0;
    for (size_t i = 4; i < 12; ++i) hash = (hash << 8) | id[i];
    return hash;
}

std::string mailEntryUrl(const MailEntryId& id) {
    std::string url = "mapi://";
    for (uint8_t byte : id) appendUtf8(url, kMailIdCharBase + byte);
    return url;
}

std::string mailEntryIdHex(const MailEntryId& id) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t byte : id) hex += kDigits[byte >> 4], hex += kDigits[byte & 15];
    return hex;
}

std::optional<MailEntryId> parseMailEntryIdHex(std::string_view hex) {
    if (hex.size() != kMailEntryIdBytes * 2) return std::nullopt;
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    MailEntryId id{};
    for (size_t i = 0; i < id.size(); ++i) {
        const int high = digit(hex[2 * i]), low = digit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        id[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return id;
}

}  // namespace skimmer::os
