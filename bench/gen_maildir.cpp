// gen_maildir: writes a deterministic Maildir tree for the mail benchmarks.
//
//   gen_maildir --messages N --folders M [--seed S] DIR
//
// DIR becomes a Maildir (cur/, new/, tmp/) with M - 1 Maildir++ subfolders (".Folder-1" ...), and
// the N messages are dealt over the M folders. The same N, M and seed always give the same tree.
// Messages vary the way real mail does: subjects of 2 to 8 words, some as RFC 2047 encoded words
// (UTF-8 base64, ISO-8859-1 quoted-printable, KOI8-R), some folded over two lines; senders with
// display names (960 of them), some encoded; a Date on all but 1 in 20; a Message-ID on all, 1 in 100 repeating an
// earlier one; bodies of 200 to 2,000 bytes of words. One in five sits in new/ (unread), the rest
// in cur/ with flags. Nothing outside DIR is touched; DIR must not exist yet.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng {
    uint64_t state;
    uint64_t next() {  // splitmix64
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    uint64_t below(uint64_t n) { return next() % n; }
    bool chance(uint64_t percent) { return below(100) < percent; }
};

constexpr std::array<const char*, 48> kWords = {
    "invoice", "meeting", "quarterly", "report", "budget", "review", "project", "update", "lunch", "holiday",
    "schedule", "contract", "release", "notes", "agenda", "draft", "proposal", "feedback", "deadline", "summary",
    "question", "travel", "booking", "receipt", "order", "delivery", "account", "password", "reminder", "party",
    "photos", "weekend", "conference", "slides", "minutes", "payment", "offer", "newsletter", "security", "backup",
    "server", "migration", "ticket", "support", "planning", "roadmap", "hiring", "welcome"};
// Senders: 24 first names by 40 family names, so a family name is in about 1 message of 40 (a
// word in more than 1 of 16 names is too common for the name sidecar's lists) and the mailbox has
// 960 correspondents, as a real one has hundreds.
constexpr std::array<const char*, 24> kFirstNames = {"Anna", "Jörg", "Marie", "Li", "Olga", "Sam", "Inés", "Tom",
                                                    "Yuki", "Omar", "Eva", "Lars", "Nina", "Paul", "Rita", "Ivan",
                                                    "Sofia", "Ben", "Chloé", "Dan", "Elif", "Farid", "Greta", "Hugo"};
constexpr std::array<const char*, 40> kFamilyNames = {
    "Berg", "Zeller", "Dupont", "Wei", "Petrova", "Taylor", "García", "Becker", "Sato", "Haddad",
    "Novak", "Holm", "Rossi", "Meyer", "Costa", "Orlov", "Larsen", "Kowalski", "Nagy", "Silva",
    "Jansen", "Moreau", "Fischer", "Lund", "Popescu", "Horvat", "Young", "Kim", "Nowak", "Ortiz",
    "Bauer", "Weiss", "Lopez", "Marin", "Ito", "Khan", "Quinn", "Varga", "Wolf", "Engel"};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "gen_maildir: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) fail("creating " + path);
}

void writeFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) fail("writing " + path);
    ::close(fd);
}

std::string base64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return out;
}

std::string subjectWords(Rng& rng) {
    std::string text = rng.chance(25) ? "Re: " : "";
    const uint64_t count = 2 + rng.below(7);
    for (uint64_t i = 0; i < count; ++i) text += std::string(i ? " " : "") + kWords[rng.below(kWords.size())];
    return text;
}

// The Subject field: plain, folded, or as encoded words in one of three charsets.
std::string subjectField(Rng& rng) {
    const std::string text = subjectWords(rng);
    const uint64_t form = rng.below(100);
    if (form < 10) return "Subject: =?UTF-8?B?" + base64(text + " \xE2\x9C\x93") + "?=";
    if (form < 15) return "Subject: =?ISO-8859-1?Q?caf=E9_" + text.substr(0, text.find(' ')) + "?= " + text;
    if (form < 18) return "Subject: =?KOI8-R?B?8NLJ18XU?= " + text;  // a Cyrillic greeting, then the words
    if (form < 28) {
        const size_t cut = text.find(' ');
        return "Subject: " + text.substr(0, cut) + "\r\n\t" + text.substr(cut + 1);
    }
    return "Subject: " + text;
}

std::string senderField(Rng& rng) {
    const std::string first = kFirstNames[rng.below(kFirstNames.size())];
    const std::string family = kFamilyNames[rng.below(kFamilyNames.size())];
    const std::string name = first + " " + family;
    std::string address = family;
    for (char& c : address)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    address += "@example.org";
    if (name.find('\xC3') != std::string::npos || rng.chance(10))
        return "From: =?UTF-8?B?" + base64(name) + "?= <" + address + ">";
    return "From: " + name + " <" + address + ">";
}

std::string dateField(Rng& rng, uint64_t index) {
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "Date: %u %s %u %02u:%02u:%02u +0100", static_cast<unsigned>(1 + rng.below(28)),
                  kMonths[rng.below(12)], static_cast<unsigned>(2020 + index % 6), static_cast<unsigned>(rng.below(24)),
                  static_cast<unsigned>(rng.below(60)), static_cast<unsigned>(rng.below(60)));
    return text;
}

std::string message(Rng& rng, uint64_t index, uint64_t seed) {
    std::string text = senderField(rng) + "\r\nTo: Me <me@example.org>\r\n" + subjectField(rng) + "\r\n";
    if (!rng.chance(5)) text += dateField(rng, index) + "\r\n";
    const uint64_t idNumber = index > 0 && rng.chance(1) ? rng.below(index) : index;  // now and then a repeat
    text += "Message-ID: <" + std::to_string(idNumber) + "." + std::to_string(seed) + "@gen.example>\r\n";
    text += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n";
    const uint64_t bodyBytes = 200 + rng.below(1800);
    while (text.size() < bodyBytes) text += std::string(kWords[rng.below(kWords.size())]) + (rng.chance(10) ? ".\r\n" : " ");
    return text + "\r\n";
}

std::string fileName(Rng& rng, uint64_t index, bool inNew) {
    std::string name = std::to_string(1600000000 + index * 37) + ".M" + std::to_string(index) + "P" +
                       std::to_string(1000 + index % 5000) + ".gen";
    if (inNew) return name;
    static constexpr std::array<const char*, 4> kFlags = {"S", "RS", "FS", ""};
    return name + ":2," + kFlags[rng.below(kFlags.size())];
}

int usage() {
    std::fprintf(stderr, "usage: gen_maildir --messages N --folders M [--seed S] DIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t messages = 0, folders = 0, seed = 1;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--messages" && i + 1 < argc) messages = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--folders" && i + 1 < argc) folders = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (root.empty() && !arg.starts_with("--")) root = arg;
        else return usage();
    }
    if (root.empty() || folders == 0) return usage();
    std::vector<std::string> boxes;
    for (uint64_t k = 0; k < folders; ++k) {
        const std::string box = k == 0 ? root : root + "/.Folder-" + std::to_string(k);
        makeFolder(box);
        for (const char* sub : {"/cur", "/new", "/tmp"}) makeFolder(box + sub);
        boxes.push_back(box);
    }
    Rng rng{seed};
    uint64_t bytes = 0;
    for (uint64_t i = 0; i < messages; ++i) {
        const bool inNew = rng.chance(20);
        const std::string text = message(rng, i, seed);
        bytes += text.size();
        writeFile(boxes[i % folders] + (inNew ? "/new/" : "/cur/") + fileName(rng, i, inNew), text);
    }
    std::printf("%llu messages (%llu bytes) in %llu folders\n", static_cast<unsigned long long>(messages),
                static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(folders));
    return 0;
}
