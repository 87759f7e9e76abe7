// gen_tree: writes a deterministic, realistic file tree for the index and search benchmarks.
//
//   gen_tree --entries N [--seed S] [--programs P] [--mails M] DIR
//
// The same N and seed always give the same tree (names, nesting, sizes, a few symbolic links), so
// figures from different runs and machines compare. Names are word-like with common extensions,
// about 23 bytes long on average; folders nest up to 10 levels with a few dozen entries each.
// File contents are sparse (ftruncate), so a million entries cost inodes, not disk space.
// --programs and --mails take P and M of the N entries for DIR/_bin (P executables: programs when
// DIR/_bin is on the indexer's $PATH) and DIR/_Mail/box-K (M ".eml" messages, 1000 a folder); both
// get modification times spread over three years (older than the rest of the tree, which is dated
// by its making), so that neither kind is one run of consecutive documents. The rest of the tree
// is the same as without them, cut short.
// Nothing outside DIR is touched; DIR must not exist yet or be empty.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// splitmix64: tiny, fast and identical on every platform (std distributions are not).
struct Rng {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
    bool chance(uint32_t percent) { return below(100) < percent; }
};

const char* const kOnsets[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "r", "s", "t", "v",
                               "w", "z", "br", "ch", "cl", "dr", "fl", "gr", "pl", "pr", "sh", "st", "th", "tr"};
const char* const kVowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "io", "ou", "y"};
const char* const kCodas[] = {"", "", "", "n", "r", "s", "t", "l", "m", "ck", "nd", "ng", "rt", "st"};
const char* const kExtensions[] = {"txt", "pdf", "jpg", "png", "c",   "h",    "cpp", "py",   "js",  "html",
                                   "md",  "json", "xml", "docx", "xlsx", "odt", "mp3", "flac", "mp4", "mkv",
                                   "zip", "tar.gz", "log", "conf", "sh",  "svg", "csv", "go",   "rs",  "o"};
const char* const kSeparators[] = {"_", "-", " ", ""};

std::string word(Rng& rng) {
    std::string w;
    const uint32_t syllables = 1 + rng.below(3);
    for (uint32_t i = 0; i < syllables; ++i) {
        w += kOnsets[rng.below(std::size(kOnsets))];
        w += kVowels[rng.below(std::size(kVowels))];
        w += kCodas[rng.below(std::size(kCodas))];
    }
    if (rng.chance(15)) w[0] = static_cast<char>(w[0] - 'a' + 'A');
    return w;
}

std::string stem(Rng& rng) {
    const char* sep = kSeparators[rng.below(std::size(kSeparators))];
    std::string s = word(rng);
    const uint32_t words = 1 + rng.below(3);
    for (uint32_t i = 1; i < words; ++i) s += sep + word(rng);
    if (rng.chance(45)) s += sep + std::to_string(rng.below(30000));
    if (rng.chance(5)) s = "." + s;  // hidden files and folders exist in every real home
    return s;
}

std::string uniqueName(Rng& rng, std::unordered_set<std::string>& taken, bool folder) {
    for (;;) {
        std::string name = stem(rng);
        if (!folder) name += std::string(".") + kExtensions[rng.below(std::size(kExtensions))];
        if (name.size() < 255 && taken.insert(name).second) return name;
    }
}

struct Folder {
    std::string path;
    int depth;
};

void fail(const std::string& what) {
    std::fprintf(stderr, "gen_tree: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void makeFile(const std::string& path, Rng& rng) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fail("creating " + path);
    const off_t size = rng.chance(10) ? 0 : static_cast<off_t>(rng.next() % (rng.chance(5) ? 50000000 : 200000));
    if (size > 0 && ::ftruncate(fd, size) != 0) fail("sizing " + path);
    ::close(fd);
}

struct Counts {
    uint64_t files = 0, folders = 0, links = 0, nameBytes = 0;
    uint64_t total() const { return files + folders + links; }
};

// Fills one folder and queues its subfolders; breadth-first keeps the tree balanced until the
// entry budget runs out.
void fillFolder(const Folder& folder, uint64_t budget, Rng& rng, Counts& counts, std::deque<Folder>& queue) {
    std::unordered_set<std::string> taken;
    const uint32_t files = rng.chance(20) ? rng.below(120) : rng.below(25);
    const uint32_t subfolders = folder.depth >= 10 ? 0 : (folder.depth < 2 ? 4 + rng.below(6) : rng.below(5));
    for (uint32_t i = 0; i < subfolders && counts.total() < budget; ++i) {
        const std::string name = uniqueName(rng, taken, true);
        const std::string path = folder.path + "/" + name;
        if (::mkdir(path.c_str(), 0755) != 0) fail("creating " + path);
        ++counts.folders;
        counts.nameBytes += name.size();
        queue.push_back({path, folder.depth + 1});
    }
    for (uint32_t i = 0; i < files && counts.total() < budget; ++i) {
        const std::string name = uniqueName(rng, taken, false);
        const std::string path = folder.path + "/" + name;
        counts.nameBytes += name.size();
        if (rng.below(1000) < 3) {
            if (::symlink(name.c_str(), (path).c_str()) != 0) fail("linking " + path);  // dangling on purpose
            ++counts.links;
        } else {
            makeFile(path, rng);
            ++counts.files;
        }
    }
}

// An empty file with the given mode, modified at a random moment of 2022-2024.
void makeDated(const std::string& path, mode_t mode, Rng& rng) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) fail("creating " + path);
    const struct timeval times[2] = {{1'640'995'200 + static_cast<time_t>(rng.below(3 * 365 * 86'400)), 0},
                                     {1'640'995'200 + static_cast<time_t>(rng.below(3 * 365 * 86'400)), 0}};
    if (::futimes(fd, times) != 0) fail("dating " + path);
    ::close(fd);
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) fail("creating " + path);
}

// DIR/_bin with `count` executables named like commands ("grep", "pl-stor3").
void makePrograms(const std::string& root, uint64_t count, Rng& rng, Counts& counts) {
    if (count == 0) return;
    makeFolder(root + "/_bin");
    ++counts.folders;
    std::unordered_set<std::string> taken;
    while (taken.size() < count) {
        std::string name = word(rng);
        name[0] = static_cast<char>(name[0] | 0x20);
        if (rng.chance(40)) name += "-" + word(rng);
        if (rng.chance(30)) name += std::to_string(rng.below(100));
        if (!taken.insert(name).second) continue;
        makeDated(root + "/_bin/" + name, 0755, rng);
        ++counts.files;
        counts.nameBytes += name.size();
    }
}

// DIR/_Mail/box-K with `count` messages, 1000 a folder.
void makeMails(const std::string& root, uint64_t count, Rng& rng, Counts& counts) {
    if (count == 0) return;
    makeFolder(root + "/_Mail");
    ++counts.folders;
    for (uint64_t made = 0; made < count;) {
        const std::string box = root + "/_Mail/box-" + std::to_string(made / 1000);
        makeFolder(box);
        ++counts.folders;
        std::unordered_set<std::string> taken;
        for (; made < count && taken.size() < 1000; ++made) {
            std::string name;
            do name = (rng.chance(30) ? "Re_ " : "") + stem(rng) + ".eml"; while (!taken.insert(name).second);
            makeDated(box + "/" + name, 0644, rng);
            ++counts.files;
            counts.nameBytes += name.size();
        }
    }
}

int usage() {
    std::fprintf(stderr, "usage: gen_tree --entries N [--seed S] [--programs P] [--mails M] DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t entries = 0, seed = 1, programs = 0, mails = 0;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--entries" && i + 1 < argc) entries = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--programs" && i + 1 < argc) programs = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--mails" && i + 1 < argc) mails = std::strtoull(argv[++i], nullptr, 10);
        else if (!arg.empty() && arg[0] != '-' && root.empty()) root = arg;
        else return usage();
    }
    const uint64_t extras = programs + mails + (programs ? 1 : 0) + (mails ? 1 + (mails + 999) / 1000 : 0);
    if (entries == 0 || root.empty() || extras >= entries) return usage();
    if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) fail("creating " + root);
    Counts counts;
    Rng extraRng{seed ^ 0x5EED5EED5EED5EEDull};  // its own stream: the tree itself stays the same
    makePrograms(root, programs, extraRng, counts);
    makeMails(root, mails, extraRng, counts);
    Rng rng{seed};
    std::deque<Folder> queue{{root, 0}};
    uint64_t widened = 0;
    while (counts.total() < entries) {
        if (queue.empty()) {  // every branch ended early: start a fresh one beside them
            const std::string path = root + "/more " + std::to_string(++widened);
            if (::mkdir(path.c_str(), 0755) != 0) fail("creating " + path);
            ++counts.folders;
            queue.push_back({path, 1});
        }
        const Folder folder = queue.front();
        queue.pop_front();
        fillFolder(folder, entries, rng, counts, queue);
    }
    std::printf("%llu entries: %llu files, %llu folders, %llu links; %.1f bytes per name\n",
                static_cast<unsigned long long>(counts.total()), static_cast<unsigned long long>(counts.files),
                static_cast<unsigned long long>(counts.folders), static_cast<unsigned long long>(counts.links),
                static_cast<double>(counts.nameBytes) / static_cast<double>(counts.total()));
    return 0;
}
