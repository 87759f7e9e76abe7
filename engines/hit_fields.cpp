#include "engines/hit_fields.h"

#include "os/utf8.h"
#include "os/file_info.h"
#include "os/path_syntax.h"

namespace skimmer::engines {
namespace {

size_t afterLastOf(std::string_view path, std::string_view separators) {
    const size_t at = path.find_last_of(separators);
    return at == std::string_view::npos ? 0 : at + 1;
}

}  // namespace

std::string_view FolderPart(std::string_view path) { return path.substr(0, afterLastOf(path, os::folderEnds())); }
std::string_view NamePart(std::string_view path) { return path.substr(afterLastOf(path, os::folderEnds())); }

std::string_view LinkTargetFolderPart(std::string_view path) { return path.substr(0, afterLastOf(path, "/\\")); }
std::string_view LinkTargetNamePart(std::string_view path) { return path.substr(afterLastOf(path, "/\\")); }

std::string UrlExtension(std::string_view url) {
    const size_t nameStart = afterLastOf(url, "/\\:");
    const size_t dot = url.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) return {};
    return std::string(url.substr(dot));
}

bool IsShortcutExtension(std::string_view ext) {
    return os::equalsAsciiCaseless(ext, ".lnk");
}

std::string MailEntryIdFromUrl(std::string_view url) {
    // The index writes each byte of an entry id as the character U+AC00 + byte.
    constexpr char32_t kEntryIdBase = 0xAC00;
    constexpr int kEntryIdChars = 24;
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (!url.starts_with("mapi://")) return {};
    std::string_view rest = url.substr(url.rfind('/') + 1);
    std::string id;
    size_t pos = 0;
    for (int n = 0; n < kEntryIdChars && pos < rest.size(); ++n) {
        char32_t c = 0;
        size_t len = os::decodeUtf8(rest, pos, c);
        if (len == 0) {  // a byte that is not UTF-8 stands for itself
            c = static_cast<unsigned char>(rest[pos]);
            len = 1;
        }
        const auto byte = static_cast<unsigned>((c - kEntryIdBase) & 0xFF);
        id += kHex[byte >> 4];
        id += kHex[byte & 0xF];
        pos += len;
    }
    return id;
}

int32_t HitFileSize(const std::string& path) {
    const auto size = os::fileSizeFollowingLinks(path);
    return size ? static_cast<int32_t>(static_cast<uint32_t>(*size & 0xFFFFFFFFu)) : -1;
}

}  // namespace skimmer::engines
