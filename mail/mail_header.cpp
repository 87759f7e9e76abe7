#include "mail/mail_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "os/clock.h"
#include "os/unique_fd.h"
#include "os/utf8.h"

namespace skimmer::mail {

namespace {

constexpr size_t kHeadStep = 8192;
static_assert(kMaxHeadBytes % kHeadStep == 0);

// One header line (without its line break) starting at `pos`; `pos` moves past the break.
std::string_view nextLine(std::string_view text, size_t& pos) {
    const size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool isFieldNameChar(char c) { return c > ' ' && c < 127 && c != ':'; }

// The length of "Name" in "Name:" at the start of `line`, 0 when the line is not a field.
size_t fieldNameLength(std::string_view line) {
    size_t n = 0;
    while (n < line.size() && isFieldNameChar(line[n])) ++n;
    // Obsolete syntax allows blanks before the colon.
    size_t colon = n;
    while (colon < line.size() && (line[colon] == ' ' || line[colon] == '\t')) ++colon;
    return n > 0 && colon < line.size() && line[colon] == ':' ? n : 0;
}

std::string* fieldSlot(MailHeaders& headers, std::string_view name) {
    if (os::equalsAsciiCaseless(name, "subject")) return &headers.subject;
    if (os::equalsAsciiCaseless(name, "from")) return &headers.from;
    if (os::equalsAsciiCaseless(name, "to")) return &headers.to;
    if (os::equalsAsciiCaseless(name, "date")) return &headers.date;
    if (os::equalsAsciiCaseless(name, "message-id")) return &headers.messageId;
    return nullptr;
}

void appendCapped(std::string& field, std::string_view text) {
    if (field.size() >= kMaxFieldBytes) return;
    field.append(text.substr(0, kMaxFieldBytes - field.size()));
}

}  // namespace

MailHeaders parseMailHeaders(std::string_view head) {
    MailHeaders headers;
    size_t pos = 0;
    // An mbox-style envelope line before the header ("From sender date") is not a field.
    if (head.starts_with("From ")) nextLine(head, pos);
    std::string* current = nullptr;  // the field the continuation lines belong to, if kept
    bool first = true;
    while (pos < head.size()) {
        const std::string_view line = nextLine(head, pos);
        if (line.empty()) break;  // end of the header
        if (line[0] == ' ' || line[0] == '\t') {
            if (first) break;     // text that starts indented is no header
            if (current) appendCapped(*current, line);
            continue;
        }
        const size_t nameLength = fieldNameLength(line);
        if (nameLength == 0) break;  // the body began without an empty line (or never was a header)
        first = false;
        std::string* slot = fieldSlot(headers, line.substr(0, nameLength));
        current = slot && slot->empty() ? slot : nullptr;  // the first occurrence wins
        if (current) {
            std::string_view value = line.substr(line.find(':') + 1);
            appendCapped(*current, value.empty() ? std::string_view(" ") : value);
        }
    }
    return headers;
}

std::string bareMessageId(std::string_view raw) {
    const size_t open = raw.find('<');
    const size_t close = open == std::string_view::npos ? std::string_view::npos : raw.find('>', open);
    if (close != std::string_view::npos) raw = raw.substr(open + 1, close - open - 1);
    std::string id;
    for (char c : raw)
        if (static_cast<unsigned char>(c) > ' ' && c != 127) id += c;
    return id;
}

namespace {

class DateScanner {
public:
    explicit DateScanner(std::string_view text) : text_(text) {}
    void skipBlanksAndComments() {
        while (pos_ < text_.size()) {
            if (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == ',') ++pos_;
            else if (text_[pos_] == '(') {
                const size_t close = text_.find(')', pos_);
                pos_ = close == std::string_view::npos ? text_.size() : close + 1;
            } else break;
        }
    }
    std::optional<int64_t> number(size_t minDigits, size_t maxDigits) {
        skipBlanksAndComments();
        size_t n = 0;
        int64_t value = 0;
        while (pos_ + n < text_.size() && n < maxDigits && text_[pos_ + n] >= '0' && text_[pos_ + n] <= '9')
            value = value * 10 + (text_[pos_ + n++] - '0');
        if (n < minDigits) return std::nullopt;
        pos_ += n;
        return value;
    }
    std::string_view word() {
        skipBlanksAndComments();
        const size_t start = pos_;
        while (pos_ < text_.size() && ((text_[pos_] | 0x20) >= 'a' && (text_[pos_] | 0x20) <= 'z')) ++pos_;
        return text_.substr(start, pos_ - start);
    }
    bool take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
        return false;
    }
    char peekAfterBlanks() {
        skipBlanksAndComments();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

std::optional<unsigned> monthNumber(std::string_view name) {
    static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                           "jul", "aug", "sep", "oct", "nov", "dec"};
    for (unsigned i = 0; i < kMonths.size(); ++i)
        if (name.size() >= 3 && os::equalsAsciiCaseless(name.substr(0, 3), kMonths[i])) return i + 1;
    return std::nullopt;
}

// Minutes east of UTC for an obsolete zone name; military letters and unknown names count as 0,
// as RFC 5322 says they must.
int zoneNameMinutes(std::string_view name) {
    static constexpr struct {
        const char* name;
        int hours;
    } kZones[] = {{"EST", -5}, {"EDT", -4}, {"CST", -6}, {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
    for (const auto& zone : kZones)
        if (os::equalsAsciiCaseless(name, zone.name)) return zone.hours * 60;
    return 0;
}

std::optional<int> zoneMinutes(DateScanner& scan) {
    const char sign = scan.peekAfterBlanks();
    if (sign == '+' || sign == '-') {
        scan.take(sign);
        const std::optional<int64_t> hhmm = scan.number(4, 4);
        if (!hhmm || *hhmm % 100 >= 60) return std::nullopt;
        const int minutes = static_cast<int>(*hhmm / 100 * 60 + *hhmm % 100);
        return sign == '-' ? -minutes : minutes;
    }
    return zoneNameMinutes(scan.word());  // no zone at all also reads as UTC
}

}  // namespace

std::optional<int64_t> parseMailDate(std::string_view text) {
    DateScanner scan(text);
    if (scan.peekAfterBlanks() > '9') scan.word();  // the weekday
    const auto day = scan.number(1, 2);
    const auto month = monthNumber(scan.word());
    auto year = scan.number(2, 4);
    if (!day || !month || !year || *day < 1 || *day > 31) return std::nullopt;
    if (*year < 50) *year += 2000;         // obsolete two-digit years
    else if (*year < 1000) *year += 1900;  // and three-digit ones
    const auto hour = scan.number(1, 2);
    if (!hour || !scan.take(':')) return std::nullopt;
    const auto minute = scan.number(2, 2);
    std::optional<int64_t> second = 0;
    if (scan.take(':')) second = scan.number(2, 2);
    if (!minute || !second || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;
    const std::optional<int> zone = zoneMinutes(scan);
    if (!zone) return std::nullopt;
    const int64_t days = os::daysFromCivil(*year, *month, static_cast<unsigned>(*day));
    return days * 86400 + *hour * 3600 + *minute * 60 + *second - int64_t{*zone} * 60;
}

MessageHead readMessageHead(const std::string& path) {
    MessageHead head;
    os::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct statx sx {};
    if (!fd.valid() || ::statx(fd.get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        head.error = path + ": " + std::strerror(errno);
        return head;
    }
    if (!S_ISREG(sx.stx_mode)) {
        head.error = path + ": not a regular file";
        return head;
    }
    head.size = static_cast<int64_t>(sx.stx_size);
    head.mtime = sx.stx_mtime.tv_sec;
    head.ctime = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
    // In steps, stopping once the header has ended: most messages' headers fit the first step,
    // and their bodies (attachments and all) are never read.
    head.bytes.resize(kMaxHeadBytes);
    size_t got = 0;
    while (got < kMaxHeadBytes) {
        const ssize_t n = ::read(fd.get(), head.bytes.data() + got, std::min(kHeadStep, kMaxHeadBytes - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            head.error = path + ": " + std::strerror(errno);
            break;
        }
        if (n == 0) break;
        const size_t from = got < 3 ? 0 : got - 3;  // the blank line may straddle two steps
        got += static_cast<size_t>(n);
        const std::string_view read(head.bytes.data(), got);
        if (read.find("\n\n", from) != std::string_view::npos || read.find("\n\r\n", from) != std::string_view::npos) break;
    }
    head.bytes.resize(got);
    return head;
}

}  // namespace skimmer::mail
