// Builds shell-link (".lnk") files for tests from their parts, after the public format
// description: the header, an optional item-id list, a LinkInfo with a local base path (ANSI or
// Unicode) or a network share, counted strings, and an environment-variables block.
#pragma once

#include <cstdint>
#include <string>

namespace skimmer::test {

struct ShellLinkParts {
    std::string localBase;       // LinkInfo's local base path (ANSI bytes)
    std::u16string localBaseW;   // ...and its Unicode twin (makes a 0x24-byte LinkInfo header)
    std::string suffix;          // common path suffix
    std::string netShare;        // a network share instead of a local path
    std::string environment;     // an environment-variables block's ANSI target
    std::string idList;          // item-id list bytes (skipped by readers)
    std::string relativePath;    // a counted string before the extra data (ANSI)
};

inline std::string le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
inline std::string le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

inline std::string utf16z(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += le16(c);
    return out + le16(0);
}

inline std::string shellLinkBytes(const ShellLinkParts& p) {
    uint32_t flags = 0;
    if (!p.idList.empty()) flags |= 0x1;
    const bool linkInfo = !p.localBase.empty() || !p.localBaseW.empty() || !p.netShare.empty();
    if (linkInfo) flags |= 0x2;
    if (!p.relativePath.empty()) flags |= 0x8;
    if (!p.environment.empty()) flags |= 0x200;
    std::string out = le32(0x4C);
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    out.append(reinterpret_cast<const char*>(clsid), 16);
    out += le32(flags);
    out.append(76 - out.size(), '\0');
    if (!p.idList.empty()) out += le16(static_cast<uint32_t>(p.idList.size())) + p.idList;
    if (linkInfo) {
        const bool unicode = !p.localBaseW.empty();
        const uint32_t headerSize = unicode ? 0x24 : 0x1C;
        std::string body;  // everything after the header, offsets relative to the LinkInfo start
        uint32_t localOff = 0, netOff = 0, suffixOff = 0, localOffW = 0, suffixOffW = 0, infoFlags = 0;
        const std::string volume = le32(0x11) + le32(3) + le32(0x1234) + le32(0x10) + std::string(1, '\0');
        if (!p.netShare.empty()) {
            infoFlags |= 2;
            netOff = headerSize;
            body += le32(0x14 + static_cast<uint32_t>(p.netShare.size()) + 1) + le32(0) + le32(0x14) + le32(0) + le32(0) +
                    p.netShare + std::string(1, '\0');
        } else {
            infoFlags |= 1;
            body += volume;
            localOff = headerSize + static_cast<uint32_t>(body.size());
            body += p.localBase + std::string(1, '\0');
        }
        suffixOff = headerSize + static_cast<uint32_t>(body.size());
        body += p.suffix + std::string(1, '\0');
        if (unicode) {
            localOffW = headerSize + static_cast<uint32_t>(body.size());
            body += utf16z(p.localBaseW);
            suffixOffW = headerSize + static_cast<uint32_t>(body.size());
            std::u16string suffixW(p.suffix.begin(), p.suffix.end());
            body += utf16z(suffixW);
        }
        const uint32_t volumeOff = p.netShare.empty() ? headerSize : 0;
        std::string header = le32(headerSize + static_cast<uint32_t>(body.size())) + le32(headerSize) + le32(infoFlags) +
                             le32(volumeOff) + le32(localOff) + le32(netOff) + le32(suffixOff);
        if (unicode) header += le32(localOffW) + le32(suffixOffW);
        out += header + body;
    }
    if (!p.relativePath.empty()) out += le16(static_cast<uint32_t>(p.relativePath.size())) + p.relativePath;
    if (!p.environment.empty()) {
        std::string ansi = p.environment;
        ansi.resize(260, '\0');
        out += le32(0x314) + le32(0xA0000001) + ansi + std::string(520, '\0');
    }
    out += le32(0);  // the terminal block
    return out;
}

}  // namespace skimmer::test
