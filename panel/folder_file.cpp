#include "panel/folder_file.h"

#include <array>
#include <charconv>

#include "os/file_info.h"
#include "os/utf8.h"

namespace skimmer::panel {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool readBoolean(std::string_view line) { return os::asciiLower(line) == "true"; }

// The next line of `text` from `pos`, which moves past the line's end.
std::string_view nextLine(std::string_view text, size_t& pos) {
    const size_t start = pos;
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
        pos = text.size();
        return text.substr(start);
    }
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    return text.substr(start, end - start);
}

bool isBlankOrEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isStop(char c) { return c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Line 10: blanks and line ends skipped; nothing left reads 0; otherwise a number up to the next
// blank or control character.
bool readType(std::string_view text, size_t pos, int32_t& type) {
    while (pos < text.size() && isBlankOrEnd(text[pos])) ++pos;
    type = 0;
    if (pos == text.size()) return true;
    size_t end = pos;
    while (end < text.size() && !isStop(text[end])) ++end;
    if (end - pos > kMaxTypeDigits) return false;
    const char* first = text.data() + pos;
    const char* last = text.data() + end;
    if (*first == '+') ++first;
    int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || first == last) return false;
    type = value;
    return true;
}

}  // namespace

std::string FolderFileText(const TFiles& node) {
    std::string text;
    for (std::string_view line : {kFolderFileHeader, kFolderFileMagic, std::string_view(node.Name),
                                  std::string_view(node.query), std::string_view(node.Desc), std::string_view(node.AQS),
                                  std::string_view(node.Advanced ? "TRUE" : "FALSE"), std::string_view(node.Max),
                                  std::string_view(node.GroupsAsFolders ? "TRUE" : "FALSE")}) {
        text.append(line);
        text.append(kLineEnd);
    }
    text.append(std::to_string(node.Type));
    text.append(kLineEnd);
    return text;
}

TFolderFileRead ReadFolderFileText(std::string_view bytes) {
    TFolderFileRead read;
    read.Node = std::make_unique<TFiles>();
    TFiles& node = *read.Node;
    size_t pos = 0;
    std::array<std::string_view, kFolderFileLines - 1> lines{};
    for (auto& line : lines) {
        if (pos >= bytes.size()) break;
        line = nextLine(bytes, pos);
    }
    read.MagicOk = lines[1] == kFolderFileMagic;
    node.Name = FitNodeName(lines[2]);
    node.query = lines[3];
    node.Desc = lines[4];
    node.AQS = lines[5];
    node.Advanced = readBoolean(lines[6]);
    node.Max = lines[7];
    node.GroupsAsFolders = readBoolean(lines[8]);
    // Line 10 only when the nine before it were there.
    if (pos < bytes.size() && !readType(bytes, pos, node.Type)) read.ReadError = true;
    return read;
}

TFolderFileRead ReadFolderFile(const std::string& path) {
    std::string bytes;
    uint64_t size = 0;
    const int err = os::readFilePrefix(path, kMaxFolderFileBytes, bytes, size);
    TFolderFileRead read = ReadFolderFileText(bytes);
    if (err || size > kMaxFolderFileBytes) read.ReadError = true;
    return read;
}

int WriteFolderFile(os::FileSystem& fs, const TFiles& node, const std::string& path, bool replace, std::string& error) {
    const os::EntryTimes times{.created = node.Item.Created, .accessed = node.Item.Accessed, .modified = node.Item.Modified};
    return os::writeWholeFile(fs, path, FolderFileText(node), &times, replace, error);
}

}  // namespace skimmer::panel
