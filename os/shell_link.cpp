// Layout facts from the public description of the shell-link binary format: a 76-byte header
// (size 0x4C, class id 00021401-0000-0000-C000-000000000046, flags at offset 20), an optional
// item-id list (u16 size), an optional LinkInfo structure, counted strings, then extra-data blocks.
#include "os/shell_link.h"

#include <algorithm>
#include <cstdint>

namespace skimmer::os {
namespace {

constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr size_t kFlagsAt = 20;
constexpr uint32_t kHasIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kForceNoLinkInfo = 0x100;
constexpr uint32_t kHasExpString = 0x200;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kCommonNetworkRelativeLink = 0x2;
constexpr size_t kLinkInfoUnicodeHeader = 0x24;    // header size from which the Unicode offsets exist
constexpr size_t kNetLinkUnicodeAbove = 0x14;      // NetNameOffset above which the Unicode offsets exist
constexpr uint32_t kEnvironmentBlock = 0xA0000001;
constexpr size_t kEnvironmentBlockSize = 0x314;    // size, signature, 260 ANSI bytes, 520 UTF-16 bytes
constexpr size_t kEnvironmentAnsiBytes = 260;
static_assert(kEnvironmentBlockSize == 8 + kEnvironmentAnsiBytes + 2 * kEnvironmentAnsiBytes);

// Bounds-checked little-endian reads over the whole file.
struct Bytes {
    std::string_view s;
    bool u16(size_t at, uint32_t& v) const {
        if (at > s.size() || s.size() - at < 2) return false;
        v = static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
        return true;
    }
    bool u32(size_t at, uint32_t& v) const {
        uint32_t lo = 0, hi = 0;
        if (!u16(at, lo) || !u16(at + 2, hi)) return false;
        v = lo | (hi << 16);
        return true;
    }
    // A NUL-ended byte text at `at`, not past `end`; empty when its NUL is missing (a cut file).
    std::string ansiz(size_t at, size_t end) const {
        end = std::min(end, s.size());
        if (at >= end) return {};
        const std::string_view area = s.substr(at, end - at);
        const size_t nul = area.find('\0');
        return nul == std::string_view::npos ? std::string() : std::string(area.substr(0, nul));
    }
    // A NUL-ended UTF-16LE text at `at`, not past `end`, as UTF-8; empty when its NUL is missing.
    std::string utf16z(size_t at, size_t end) const;
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Bytes::utf16z(size_t at, size_t end) const {
    end = std::min(end, s.size());
    std::string out;
    uint32_t unit = 0;
    for (;;) {
        if (at + 2 > end || !u16(at, unit)) return {};
        if (unit == 0) break;
        at += 2;
        char32_t c = unit;
        uint32_t low = 0;
        if (unit >= 0xD800 && unit < 0xDC00 && at + 2 <= end && u16(at, low) && low >= 0xDC00 && low < 0xE000) {
            c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            c = 0xFFFD;  // a lone surrogate: no character of its own
        }
        appendUtf8(out, c);
    }
    return out;
}

// The target from a LinkInfo structure at `at`; empty when it names none.
std::string linkInfoTarget(const Bytes& b, size_t at, bool& unicode) {
    uint32_t size = 0, headerSize = 0, flags = 0;
    if (!b.u32(at, size) || !b.u32(at + 4, headerSize) || !b.u32(at + 8, flags)) return {};
    if (size > b.s.size() - at) return {};  // cut off: nothing in it can be trusted
    const size_t end = at + size;
    uint32_t localOff = 0, netOff = 0, suffixOff = 0, localOffW = 0, suffixOffW = 0;
    b.u32(at + 16, localOff);
    b.u32(at + 20, netOff);
    b.u32(at + 24, suffixOff);
    const bool hasUnicode = headerSize >= kLinkInfoUnicodeHeader && b.u32(at + 28, localOffW) && b.u32(at + 32, suffixOffW);
    std::string suffix = hasUnicode && suffixOffW ? b.utf16z(at + suffixOffW, end) : b.ansiz(at + suffixOff, end);
    if (flags & kVolumeIdAndLocalBasePath) {
        unicode = hasUnicode && localOffW;
        std::string base = unicode ? b.utf16z(at + localOffW, end) : b.ansiz(at + localOff, end);
        if (!base.empty()) return base + suffix;
    }
    if (flags & kCommonNetworkRelativeLink) {
        const size_t net = at + netOff;
        uint32_t netNameOff = 0, netNameOffW = 0;
        if (!b.u32(net + 8, netNameOff)) return {};
        std::string share = netNameOff > kNetLinkUnicodeAbove && b.u32(net + 20, netNameOffW)
                                ? b.utf16z(net + netNameOffW, end)
                                : b.ansiz(net + netNameOff, end);
        if (!share.empty()) return suffix.empty() ? share : share + "\\" + suffix;
    }
    return {};
}

// Skips the counted strings that the flags announce; false when the file ends inside them.
bool skipStrings(const Bytes& b, uint32_t flags, size_t& at) {
    const size_t unitBytes = (flags & kIsUnicode) ? 2 : 1;
    for (uint32_t flag : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if (!(flags & flag)) continue;
        uint32_t count = 0;
        if (!b.u16(at, count)) return false;
        at += 2 + count * unitBytes;
        if (at > b.s.size()) return false;
    }
    return true;
}

// The raw target of the environment-variables block, if the extra data holds one.
std::string environmentTarget(const Bytes& b, size_t at, bool& unicode) {
    uint32_t size = 0, signature = 0;
    while (b.u32(at, size) && size >= 8 && b.u32(at + 4, signature)) {
        if (signature == kEnvironmentBlock && size >= kEnvironmentBlockSize && b.s.size() - at >= kEnvironmentBlockSize) {
            const size_t ansiAt = at + 8, wideAt = ansiAt + kEnvironmentAnsiBytes;
            std::string wide = b.utf16z(wideAt, wideAt + 2 * kEnvironmentAnsiBytes);
            unicode = !wide.empty();
            return unicode ? wide : b.ansiz(ansiAt, wideAt);
        }
        if (b.s.size() - at < size) break;
        at += size;
    }
    return {};
}

}  // namespace

std::optional<ShellLinkTarget> parseShellLink(std::string_view bytes, std::string& why) {
    const Bytes b{bytes};
    uint32_t headerSize = 0, flags = 0;
    if (!b.u32(0, headerSize) || headerSize != kShellLinkHeaderSize || bytes.size() < kShellLinkHeaderSize ||
        !std::equal(std::begin(kLinkClsid), std::end(kLinkClsid), reinterpret_cast<const unsigned char*>(bytes.data() + 4))) {
        why = "not a shell link (wrong header)";
        return std::nullopt;
    }
    b.u32(kFlagsAt, flags);
    size_t at = kShellLinkHeaderSize;
    if (flags & kHasIdList) {
        uint32_t idListSize = 0;
        if (!b.u16(at, idListSize)) {
            why = "the item-id list is cut off";
            return std::nullopt;
        }
        at += 2 + idListSize;
    }
    ShellLinkTarget target;
    if ((flags & kHasLinkInfo) && !(flags & kForceNoLinkInfo) && at < bytes.size()) {
        target.path = linkInfoTarget(b, at, target.fromUnicode);
    }
    if (flags & kHasLinkInfo) {
        uint32_t linkInfoSize = 0;
        if (b.u32(at, linkInfoSize)) at += linkInfoSize;
    }
    if (target.path.empty() && (flags & kHasExpString) && at <= bytes.size() && skipStrings(b, flags, at))
        target.path = environmentTarget(b, at, target.fromUnicode);
    if (target.path.empty()) {
        why = "the shortcut names no target path";
        return std::nullopt;
    }
    return target;
}

}  // namespace skimmer::os
