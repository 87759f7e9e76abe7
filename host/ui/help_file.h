// FAR's .hlf help files: reading one into topics of styled lines, and choosing a plug-in's file by
// language among the .hlf files of its folder.
//
// Contract:
// - `parseHelpFile` never throws on content and never reads past its input: any byte sequence
//   gives either a HelpFile or an error text. Input with a NUL byte is refused as binary; a file
//   whose first meaningful line is not `.Language=...` is refused as not a help file. Everything
//   else is read leniently, as FAR does: a link that is not closed is shown as its literal text,
//   a topic line with no name is ignored together with its lines.
// - Topic names compare ASCII case-insensitively. `@Name=Other` makes Name an alias of Other.
// - Escapes `##`, `~~`, `@@` (and the colour character doubled) stand for the character itself.
// - Tabs are expanded here (TabSize, 1..16, default 8), so a line's text is what is drawn; the
//   text is the file's bytes otherwise (UTF-8 on this host; the cell buffer replaces whatever is
//   unsafe to show).
// - The loaders read only regular files of at most kMaxHelpFileBytes; they return an error text
//   instead of a file when nothing usable is found.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::ui {

inline constexpr std::size_t kMaxHelpFileBytes = 8u << 20;
inline constexpr int kDefaultHelpTabSize = 8;
inline constexpr int kMaxHelpTabSize = 16;
static_assert(kDefaultHelpTabSize >= 1 && kDefaultHelpTabSize <= kMaxHelpTabSize);

// A run of text in one style. `link` is the target as written between the second pair of `@`
// (a topic, `:Topic`, `<folder/>Topic`, `<folder/module.so>Topic` or a URL); empty for plain text.
struct HelpSpan {
    std::string text;
    bool bold = false;
    std::string link;
    int color = -1;  // an attribute set with the colour character, -1 for the default
    bool operator==(const HelpSpan&) const = default;
};

struct HelpLine {
    std::vector<HelpSpan> spans;
    bool centred = false;   // the line began with `^`
    bool verbatim = false;  // written while automatic formatting was off (`@-`)
    int startPos = -1;      // column of the CtrlStartPosChar mark: where wrapped lines continue
    std::string plainText() const;
};

struct HelpTopic {
    std::string name;
    std::vector<HelpLine> header;  // the `$` lines: they stay on screen while the body scrolls
    std::vector<HelpLine> body;
};

struct HelpFile {
    std::string language;     // .Language's name part ("English")
    std::string description;  // .Language's description part
    std::string pluginContents;
    std::vector<HelpTopic> topics;
    std::vector<std::pair<std::string, std::string>> aliases;  // alias, target

    // The topic of that name (or alias), or null.
    const HelpTopic* find(std::string_view name) const;
};

struct HelpParse {
    std::optional<HelpFile> file;
    std::string error;
};

HelpParse parseHelpFile(std::string_view bytes);

// Reads and parses one file.
HelpParse loadHelpFile(const std::filesystem::path& path);

// FAR's choice among the folder's *.hlf files: the one whose .Language is `language`, else the
// English one, else the first by file name. Files that cannot be read or parsed are passed over;
// the error names the folder when no file is usable.
HelpParse loadHelpFromFolder(const std::filesystem::path& folder, std::string_view language);

}  // namespace skimmer::host::ui
