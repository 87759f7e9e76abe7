#include "engines/locate_database.h"

#include <cstring>

#include "os/file_info.h"

namespace skimmer::engines {
namespace {

constexpr std::string_view kPlocateMagic{"\0plocate", 8};
constexpr std::string_view kMlocateMagic{"\0mlocate", 8};
constexpr std::string_view kLocateDbMagic{"LOCATEDB", 8};
constexpr size_t kPlocateDocidsAt = 20;     // u32 LE, after magic, version, hash table size, extra slots
constexpr size_t kMlocateHeaderBytes = 16;  // magic, u32 BE configuration size, version, visibility, padding
constexpr size_t kMlocateDirHeaderBytes = 16;  // u64 BE seconds, u32 BE nanoseconds, u32 padding
constexpr size_t kLocateDbHeaderLengthAt = 11;
constexpr int64_t kPlocateNamesPerBlock = 32;
constexpr size_t kHeadBytes = 64;            // enough for every header field we read but mlocate's walk
constexpr size_t kMaxDatabaseBytes = size_t{1} << 31;
static_assert(kPlocateDocidsAt + 4 <= kHeadBytes);

bool readU32Le(std::string_view s, size_t at, uint32_t& v) {
    if (at > s.size() || s.size() - at < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at);
    v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

bool readU32Be(std::string_view s, size_t at, uint32_t& v) {
    if (at > s.size() || s.size() - at < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data() + at);
    v = (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    return true;
}

// Skips a NUL-ended text at `at`; false when the file ends first.
bool skipText(std::string_view s, size_t& at) {
    const size_t end = s.find('\0', at);
    if (end == std::string_view::npos) return false;
    at = end + 1;
    return true;
}

// Entries of an mlocate file: every file and folder record of every directory, as far as the
// records can be read.
int64_t countMlocateEntries(std::string_view s) {
    uint32_t configBytes = 0;
    if (!readU32Be(s, 8, configBytes)) return 0;
    size_t at = kMlocateHeaderBytes;
    if (!skipText(s, at) || s.size() - at < configBytes) return 0;  // the root path, then the configuration
    at += configBytes;
    int64_t entries = 0;
    while (s.size() - at >= kMlocateDirHeaderBytes) {
        at += kMlocateDirHeaderBytes;
        if (!skipText(s, at)) break;  // the directory's path
        for (;;) {
            if (at >= s.size()) return entries;
            const auto type = static_cast<unsigned char>(s[at++]);
            if (type == 2) break;           // end of this directory
            if (type > 2 || !skipText(s, at)) return entries;  // damaged: what was read so far
            ++entries;
        }
    }
    return entries;
}

}  // namespace

LocateDbFacts ReadLocateDbFacts(std::string_view content, int64_t fileBytes) {
    LocateDbFacts facts;
    facts.bytes = fileBytes;
    if (content.starts_with(kPlocateMagic)) {
        facts.format = LocateDbFormat::Plocate;
        uint32_t docids = 0;
        if (readU32Le(content, kPlocateDocidsAt, docids)) facts.entries = int64_t{docids} * kPlocateNamesPerBlock;
    } else if (content.starts_with(kMlocateMagic)) {
        facts.format = LocateDbFormat::Mlocate;
        facts.entries = countMlocateEntries(content);
    } else if (content.starts_with(kLocateDbMagic)) {
        facts.format = LocateDbFormat::LocateDb;
        uint32_t headerLength = 0, a = 0, b = 0;
        if (readU32Le(content, kLocateDbHeaderLengthAt, headerLength) &&
            readU32Le(content, size_t{headerLength} + 7, a) && readU32Le(content, size_t{headerLength} + 11, b))
            facts.entries = int64_t{a} + int64_t{b};
    }
    return facts;
}

bool ReadLocateDbFile(const std::filesystem::path& file, LocateDbFacts& facts, std::string& error) {
    std::string content;
    uint64_t size = 0;
    int err = os::readFilePrefix(file.string(), kHeadBytes, content, size);
    // Its header holds no count: the records are walked, so the whole file is read.
    if (err == 0 && content.starts_with(kMlocateMagic)) {
        if (size > kMaxDatabaseBytes) {
            error = "cannot read " + file.string() + ": larger than 2 GB";
            return false;
        }
        err = os::readFilePrefix(file.string(), static_cast<size_t>(size), content, size);
    }
    if (err != 0) {
        error = "cannot read the locate database " + file.string() + ": " + std::strerror(err);
        return false;
    }
    facts = ReadLocateDbFacts(content, static_cast<int64_t>(size));
    return true;
}

std::vector<std::filesystem::path> SystemLocateDatabases() {
    std::vector<std::filesystem::path> found;
    auto consider = [&](const std::string& path) {
        if (!path.empty() && os::pathExists(path)) found.emplace_back(path);
    };
    if (const auto env = os::environmentValue("LOCATE_PATH")) {
        std::string_view list(*env);
        while (!list.empty()) {
            const size_t colon = list.find(':');
            consider(std::string(list.substr(0, colon)));
            list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        }
    }
    consider("/var/lib/plocate/plocate.db");
    consider("/var/lib/mlocate/mlocate.db");
    return found;
}

}  // namespace skimmer::engines
