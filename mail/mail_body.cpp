#include "mail/mail_body.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "mail/encoded_words.h"
#include "mail/transfer_encoding.h"
#include "os/utf8.h"

namespace skimmer::mail {

namespace {

// The line starting at `pos` (without its LF or CR LF) and where the next one starts.
std::string_view lineAt(std::string_view text, size_t pos, size_t& next) {
    size_t end = text.find('\n', pos);
    next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool isFieldLine(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    return std::none_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon),
                        [](char c) { return c == ' ' || c == '\t' || static_cast<unsigned char>(c) < 0x21; });
}

struct Entity {
    std::string_view head;  // empty: no header
    std::string_view body;
};

// The header ends at the first empty line; without one the whole text is header and the body is empty.
Entity splitEntity(std::string_view text) {
    size_t next = 0;
    if (!isFieldLine(lineAt(text, 0, next))) return {{}, text};
    for (size_t pos = next; pos < text.size(); pos = next) {
        if (lineAt(text, pos, next).empty()) return {text.substr(0, pos), text.substr(next)};
    }
    return {text, {}};
}

// The unfolded value of the first field `name` in `head`.
std::string field(std::string_view head, std::string_view name) {
    std::string value;
    bool inside = false;
    size_t next = 0;
    for (size_t pos = 0; pos < head.size(); pos = next) {
        const std::string_view line = lineAt(head, pos, next);
        const bool continuation = !line.empty() && (line.front() == ' ' || line.front() == '\t');
        if (inside && continuation) {
            value += ' ';
            value += os::trim(line, os::kWhiteSpace);
            continue;
        }
        if (inside) break;
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && os::equalsAsciiCaseless(os::trim(line.substr(0, colon), os::kWhiteSpace), name)) {
            inside = true;
            value = os::trim(line.substr(colon + 1), os::kWhiteSpace);
        }
    }
    return value;
}

// The media type ("text/plain") of a Content-Type value, in lower case.
std::string mediaType(std::string_view value) {
    return os::asciiLower(os::trim(value.substr(0, value.find(';')), os::kWhiteSpace));
}

// A parameter of a Content-Type value (quoted or not); empty when absent.
std::string parameter(std::string_view value, std::string_view name) {
    size_t pos = value.find(';');
    while (pos != std::string_view::npos) {
        std::string_view rest = os::trim(value.substr(pos + 1), os::kWhiteSpace);
        const size_t equals = rest.find('=');
        const size_t semicolon = rest.find(';');
        if (equals != std::string_view::npos && equals < semicolon && os::equalsAsciiCaseless(os::trim(rest.substr(0, equals), os::kWhiteSpace), name)) {
            std::string_view v = os::trim(rest.substr(equals + 1), os::kWhiteSpace);
            if (!v.empty() && v.front() == '"') {
                const size_t close = v.find('"', 1);
                return std::string(v.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            }
            return std::string(os::trim(v.substr(0, v.find(';')), os::kWhiteSpace));
        }
        if (semicolon == std::string_view::npos) break;
        pos = value.size() - rest.size() + semicolon;
    }
    return {};
}

// A text entity's body decoded; none when it is not text or its charset is unknown.
std::optional<std::string> decodedText(std::string_view head, std::string_view body) {
    const std::string type = field(head, "Content-Type");
    const std::string media = type.empty() ? "text/plain" : mediaType(type);
    if (!media.starts_with("text/")) return std::nullopt;
    const std::string encoding = os::asciiLower(os::trim(field(head, "Content-Transfer-Encoding"), os::kWhiteSpace));
    std::string bytes = encoding == "quoted-printable" ? decodeQuotedPrintable(body)
                        : encoding == "base64"         ? decodeBase64(body)
                                                       : std::string(body);
    std::string charset = parameter(type, "charset");
    if (charset.empty()) charset = "UTF-8";
    return convertToUtf8(charset, bytes, bytes.size());
}

// The parts of a multipart body: the texts between "--boundary" lines, up to "--boundary--".
std::vector<std::string_view> parts(std::string_view body, std::string_view boundary) {
    std::vector<std::string_view> found;
    const std::string delimiter = "--" + std::string(boundary);
    std::optional<size_t> start;
    size_t next = 0;
    for (size_t pos = 0; pos < body.size(); pos = next) {
        const std::string_view line = lineAt(body, pos, next);
        if (!line.starts_with(delimiter)) continue;
        const std::string_view rest = os::trim(line.substr(delimiter.size()), os::kWhiteSpace);
        const bool closing = rest.starts_with("--");
        if (!rest.empty() && !closing) continue;  // a longer boundary that starts with ours
        if (start) {
            // The line break before a delimiter belongs to the delimiter.
            size_t end = pos;
            if (end > *start && body[end - 1] == '\n') --end;
            if (end > *start && body[end - 1] == '\r') --end;
            found.push_back(body.substr(*start, end - *start));
        }
        if (closing) return found;
        start = next;
    }
    if (start && *start < body.size()) found.push_back(body.substr(*start));  // an unclosed last part
    return found;
}

std::optional<std::string> firstPlainText(std::string_view head, std::string_view body, int depthLeft) {
    const std::string type = field(head, "Content-Type");
    const std::string boundary = parameter(type, "boundary");
    if (boundary.empty()) return std::nullopt;
    for (std::string_view part : parts(body, boundary)) {
        const Entity entity = splitEntity(part);
        const std::string partType = field(entity.head, "Content-Type");
        const std::string media = partType.empty() ? "text/plain" : mediaType(partType);
        if (media == "text/plain") {
            if (auto text = decodedText(entity.head, entity.body)) return text;
        } else if (media.starts_with("multipart/") && depthLeft > 0) {
            if (auto text = firstPlainText(entity.head, entity.body, depthLeft - 1)) return text;
        }
    }
    return std::nullopt;
}

std::string describe(int err, const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

}  // namespace

std::string mailBodyText(std::string_view message) {
    const Entity entity = splitEntity(message);
    const std::string type = field(entity.head, "Content-Type");
    std::optional<std::string> text = mediaType(type).starts_with("multipart/")
                                          ? firstPlainText(entity.head, entity.body, 1)
                                          : decodedText(entity.head, entity.body);
    return text ? std::move(*text) : std::string(entity.body);
}

MailBodyRead readMailBody(os::FileSystem& fs, const std::string& path) {
    MailBodyRead result;
    int fd = -1;
    if (int err = fs.open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0, fd)) {
        result.error = describe(err, "cannot open", path);
        return result;
    }
    os::FileHandle file(fs, fd);
    os::FileStat st;
    if (int err = fs.fstat(fd, st)) {
        result.error = describe(err, "cannot read", path);
        return result;
    }
    if (!st.isRegular) {
        result.error = describe(EINVAL, "not a regular file:", path);
        return result;
    }
    std::string bytes(static_cast<size_t>(std::min<uint64_t>(st.size, kMaxMailBodyRead)), '\0');
    size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() == kMaxMailBodyRead) break;
            bytes.resize(std::min(kMaxMailBodyRead, std::max<size_t>(bytes.size() * 2, 4096)));  // it grew meanwhile
        }
        size_t got = 0;
        if (int err = fs.read(fd, bytes.data() + have, bytes.size() - have, got)) {
            result.error = describe(err, "cannot read", path);
            return result;
        }
        if (got == 0) break;
        have += got;
    }
    bytes.resize(have);
    if (have == kMaxMailBodyRead) {
        char probe = 0;
        size_t got = 0;
        result.truncated = fs.read(fd, &probe, 1, got) == 0 && got == 1;
    }
    result.text = mailBodyText(bytes);
    return result;
}

}  // namespace skimmer::mail
