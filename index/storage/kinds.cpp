#include "index/storage/kinds.h"

#include "os/utf8.h"

#include <algorithm>
#include <array>
#include <utility>

namespace skimmer::index::store {

namespace {

constexpr std::array<std::string_view, kKindCount> kNames = {
    "unknown",  "folder",  "document",       "picture", "music",         "video",
    "program",  "link",    "favorite",       "email",   "calendar",      "communication",
    "contact",  "feed",    "game",           "instantmessage", "journal", "movie",
    "note",     "playlist", "recordedtv",    "searchfolder", "task",     "webhistory",
};

struct ExtKind {
    std::string_view ext;
    Kind kind;
};

// The extension table. Kept sorted by extension (checked once, below) so lookups are a binary
// search. Text and office formats are documents; source code and archives stay Unknown, as the
// canonical kind set has no word for them.
constexpr ExtKind kExtensions[] = {
    {"3gp", Kind::Video},       {"aac", Kind::Music},        {"abw", Kind::Document},
    {"aif", Kind::Music},       {"aiff", Kind::Music},       {"ape", Kind::Music},
    {"appimage", Kind::Program}, {"arw", Kind::Picture},     {"asf", Kind::Video},
    {"atom", Kind::Feed},       {"avi", Kind::Video},        {"avif", Kind::Picture},
    {"bat", Kind::Program},     {"bmp", Kind::Picture},      {"cmd", Kind::Program},
    {"com", Kind::Program},     {"contact", Kind::Contact},  {"cr2", Kind::Picture},
    {"csv", Kind::Document},    {"djvu", Kind::Document},    {"doc", Kind::Document},
    {"docm", Kind::Document},   {"docx", Kind::Document},    {"dot", Kind::Document},
    {"dotx", Kind::Document},   {"dvr-ms", Kind::RecordedTv}, {"eml", Kind::Email},
    {"emlx", Kind::Email},      {"epub", Kind::Document},    {"exe", Kind::Program},
    {"fb2", Kind::Document},    {"flac", Kind::Music},       {"flv", Kind::Video},
    {"gif", Kind::Picture},     {"heic", Kind::Picture},     {"heif", Kind::Picture},
    {"htm", Kind::Document},    {"html", Kind::Document},    {"ico", Kind::Picture},
    {"ics", Kind::Calendar},    {"jfif", Kind::Picture},     {"jnt", Kind::Journal},
    {"jpeg", Kind::Picture},    {"jpg", Kind::Picture},      {"jxl", Kind::Picture},
    {"key", Kind::Document},    {"lnk", Kind::Link},         {"log", Kind::Document},
    {"m3u", Kind::Playlist},    {"m3u8", Kind::Playlist},    {"m4a", Kind::Music},
    {"m4v", Kind::Video},       {"md", Kind::Document},      {"mid", Kind::Music},
    {"midi", Kind::Music},      {"mka", Kind::Music},        {"mkv", Kind::Video},
    {"mov", Kind::Video},       {"mp3", Kind::Music},        {"mp4", Kind::Video},
    {"mpeg", Kind::Video},      {"mpg", Kind::Video},        {"msg", Kind::Email},
    {"msi", Kind::Program},     {"nef", Kind::Picture},      {"numbers", Kind::Document},
    {"odg", Kind::Document},    {"odp", Kind::Document},     {"ods", Kind::Document},
    {"odt", Kind::Document},    {"oga", Kind::Music},        {"ogg", Kind::Music},
    {"ogv", Kind::Video},       {"one", Kind::Note},         {"opus", Kind::Music},
    {"orf", Kind::Picture},     {"pages", Kind::Document},   {"pdf", Kind::Document},
    {"pls", Kind::Playlist},    {"png", Kind::Picture},      {"pps", Kind::Document},
    {"ppsx", Kind::Document},   {"ppt", Kind::Document},     {"pptx", Kind::Document},
    {"ps", Kind::Document},     {"psd", Kind::Picture},      {"qt", Kind::Video},
    {"raf", Kind::Picture},     {"rss", Kind::Feed},         {"rst", Kind::Document},
    {"rtf", Kind::Document},    {"search-ms", Kind::SearchFolder}, {"svg", Kind::Picture},
    {"tex", Kind::Document},    {"tif", Kind::Picture},      {"tiff", Kind::Picture},
    {"tsv", Kind::Document},    {"txt", Kind::Document},     {"url", Kind::Favorite},
    {"vcf", Kind::Contact},     {"vcs", Kind::Calendar},     {"vob", Kind::Video},
    {"wav", Kind::Music},       {"webloc", Kind::Favorite},  {"webm", Kind::Video},
    {"webp", Kind::Picture},    {"wma", Kind::Music},        {"wmv", Kind::Video},
    {"wpl", Kind::Playlist},    {"wtv", Kind::RecordedTv},   {"xcf", Kind::Picture},
    {"xls", Kind::Document},    {"xlsm", Kind::Document},    {"xlsx", Kind::Document},
    {"xps", Kind::Document},    {"xspf", Kind::Playlist},
};

constexpr bool tableSorted() {
    for (size_t i = 1; i < std::size(kExtensions); ++i)
        if (!(kExtensions[i - 1].ext < kExtensions[i].ext)) return false;
    return true;
}
static_assert(tableSorted(), "kExtensions must stay sorted and free of duplicates");

}  // namespace

std::string_view kindName(int code) {
    if (code < 0 || code >= kKindCount) return kNames[0];
    return kNames[static_cast<size_t>(code)];
}

std::string_view kindName(Kind kind) { return kindName(static_cast<int>(kind)); }

std::string kindDisplayName(int code) {
    std::string text(kindName(code));
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string kindDisplayName(Kind kind) { return kindDisplayName(static_cast<int>(kind)); }

std::optional<Kind> kindFromCanonicalName(std::string_view name) {
    const std::string lowered = os::asciiLower(name);
    for (int code = 0; code < kKindCount; ++code)
        if (kNames[static_cast<size_t>(code)] == lowered) return static_cast<Kind>(code);
    return std::nullopt;
}

std::string extensionOf(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return os::asciiLower(fileName.substr(dot + 1));
}

Kind kindFromExtension(std::string_view lowerExt) {
    const auto* end = std::end(kExtensions);
    const auto* it = std::lower_bound(std::begin(kExtensions), end, lowerExt,
                                      [](const ExtKind& e, std::string_view x) { return e.ext < x; });
    return (it != end && it->ext == lowerExt) ? it->kind : Kind::Unknown;
}

}  // namespace skimmer::index::store
