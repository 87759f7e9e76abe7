#include "host/ui/help_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "far/lng_format.h"
#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::ui {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = os::asciiLower(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// The settings `.Options` lines change; they hold from their line to the end of the file.
struct Options {
    int tabSize = kDefaultHelpTabSize;
    char colorChar = 0;
    char startPosChar = 0;
};

void applyOption(std::string_view option, Options& options) {
    const auto eq = option.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = os::trim(option.substr(0, eq));
    const std::string_view value = os::trim(option.substr(eq + 1));
    if (os::equalsAsciiCaseless(key, "TabSize")) {
        int n = 0;
        for (char c : value) {
            if (c < '0' || c > '9' || n > kMaxHelpTabSize) return;  // not a number, or out of range: ignored
            n = n * 10 + (c - '0');
        }
        if (n >= 1 && n <= kMaxHelpTabSize) options.tabSize = n;
    } else if (os::equalsAsciiCaseless(key, "CtrlColorChar")) {
        options.colorChar = value.size() == 1 ? value[0] : 0;
    } else if (os::equalsAsciiCaseless(key, "CtrlStartPosChar")) {
        options.startPosChar = value.size() == 1 ? value[0] : 0;
    }
}

std::string expandTabs(std::string_view line, int tabSize) {
    if (line.find('\t') == std::string_view::npos) return std::string(line);
    std::string out;
    int column = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            const int pad = tabSize - column % tabSize;
            out.append(static_cast<size_t>(pad), ' ');
            column += pad;
        } else {
            out += line[i];
            // Continuation bytes of UTF-8 add no column; close enough for tab stops in help text.
            if (!os::isUtf8Continuation(static_cast<unsigned char>(line[i]))) ++column;
        }
    }
    return out;
}

// `@@` stands for `@`, `##` for `#`, `~~` for `~` inside link texts and targets.
std::string unescapeDoubled(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if ((s[i] == '@' || s[i] == '#' || s[i] == '~') && i + 1 < s.size() && s[i + 1] == s[i]) ++i;
    }
    return out;
}

// One body or header line's inline markup: `#bold#`, `~text~@target@`, escapes, colours, the
// start-position mark.
class LineParser {
public:
    explicit LineParser(const Options& options) : options_(options) {}

    HelpLine parse(std::string_view s) {
        for (size_t i = 0; i < s.size();) i = step(s, i);
        flush();
        return std::move(line_);
    }

private:
    size_t step(std::string_view s, size_t i) {
        const char c = s[i];
        const bool doubled = i + 1 < s.size() && s[i + 1] == c;
        if (options_.colorChar != 0 && c == options_.colorChar) return colour(s, i);
        if (options_.startPosChar != 0 && c == options_.startPosChar && !doubled) {
            line_.startPos = term::displayWidth(line_.plainText() + current_.text);
            return i + 1;
        }
        if ((c == '#' || c == '@' || c == '~') && doubled) return append(s.substr(i, 1)), i + 2;
        if (c == '#') {
            flush();
            bold_ = !bold_;
            current_.bold = bold_;
            return i + 1;
        }
        if (c == '~') return link(s, i);
        return append(s.substr(i, 1)), i + 1;
    }

    size_t colour(std::string_view s, size_t i) {
        if (i + 1 < s.size() && s[i + 1] == options_.colorChar) return append(s.substr(i, 1)), i + 2;
        if (i + 1 < s.size() && s[i + 1] == '-') return setColour(-1), i + 2;
        if (i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0)
            return setColour(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2])), i + 3;
        return append(s.substr(i, 1)), i + 1;
    }

    // `~text~@target@`; anything short of that is the literal `~` and the text goes on.
    size_t link(std::string_view s, size_t i) {
        const size_t close = s.find('~', i + 1);
        if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != '@' || close == i + 1)
            return append("~"), i + 1;
        size_t end = close + 2;
        while (end < s.size()) {
            if (s[end] == '@' && end + 1 < s.size() && s[end + 1] == '@') end += 2;
            else if (s[end] == '@') break;
            else ++end;
        }
        const std::string target = unescapeDoubled(s.substr(close + 2, end - close - 2));
        if (end >= s.size() || os::trim(target).empty()) return append("~"), i + 1;
        flush();
        line_.spans.push_back(HelpSpan{.text = unescapeDoubled(s.substr(i + 1, close - i - 1)),
                                       .bold = false,
                                       .link = std::string(os::trim(target)),
                                       .color = colour_});
        return end + 1;
    }

    void setColour(int value) {
        flush();
        colour_ = value;
        current_.color = value;
    }
    void append(std::string_view text) { current_.text += text; }
    void flush() {
        if (!current_.text.empty()) line_.spans.push_back(current_);
        current_ = HelpSpan{.text = {}, .bold = bold_, .link = {}, .color = colour_};
    }

    const Options& options_;
    HelpLine line_;
    HelpSpan current_;
    bool bold_ = false;
    int colour_ = -1;
};

HelpLine parseLine(std::string_view raw, const Options& options, bool verbatim) {
    std::string text = expandTabs(raw, options.tabSize);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const bool centred = !text.empty() && text[0] == '^';
    HelpLine line = LineParser(options).parse(centred ? std::string_view(text).substr(1) : std::string_view(text));
    line.centred = centred;
    line.verbatim = verbatim;
    return line;
}

// A line that starts a topic: `@Name`, but not `@-`, `@+` or an escaped `@@`.
bool isTopicLine(std::string_view line) {
    return line.size() >= 1 && line[0] == '@' && line != "@-" && line != "@+" && !line.starts_with("@@");
}

class FileParser {
public:
    HelpParse run(std::string_view bytes) {
        if (bytes.find('\0') != std::string_view::npos) return {std::nullopt, "binary data, not a help file"};
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        while (!bytes.empty()) {
            const size_t nl = bytes.find('\n');
            std::string_view line = bytes.substr(0, nl);
            if (line.ends_with('\r')) line.remove_suffix(1);
            if (!take(line)) return {std::nullopt, error_};
            bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        }
        if (!languageSeen_) return {std::nullopt, "no .Language line: not a help file"};
        return {std::move(file_), {}};
    }

private:
    bool take(std::string_view line) {
        if (os::startsWithAsciiCaseless(line, ".Options")) {
            std::string_view rest = os::trim(line.substr(8));
            while (!rest.empty()) {
                const size_t space = rest.find(' ');
                applyOption(rest.substr(0, space), options_);
                rest = space == std::string_view::npos ? std::string_view{} : os::trim(rest.substr(space));
            }
            return true;
        }
        if (!inTopics_) return preamble(line);
        if (isTopicLine(line)) return startTopic(line), true;
        if (line == "@-" || line == "@+") {
            formatting_ = line == "@+";
            return true;
        }
        if (!topic_) return true;  // lines of a nameless topic go nowhere
        if (line.starts_with('$') && topic_->body.empty()) {
            topic_->header.push_back(parseLine(line.substr(1), options_, true));
            return true;
        }
        topic_->body.push_back(parseLine(line, options_, !formatting_));
        return true;
    }

    bool preamble(std::string_view line) {
        if (os::startsWithAsciiCaseless(line, ".Language=")) {
            const std::string_view value = os::trim(line.substr(10));
            const size_t comma = value.find(',');
            file_.language = std::string(os::trim(value.substr(0, comma)));
            file_.description = comma == std::string_view::npos ? std::string() : std::string(os::trim(value.substr(comma + 1)));
            languageSeen_ = !file_.language.empty();
            return true;
        }
        if (os::startsWithAsciiCaseless(line, ".PluginContents=")) {
            file_.pluginContents = std::string(os::trim(line.substr(16)));
            return true;
        }
        if (!isTopicLine(line)) return true;  // text before the first topic is not shown by FAR either
        if (!languageSeen_) {
            error_ = "no .Language line before the first topic: not a help file";
            return false;
        }
        inTopics_ = true;
        startTopic(line);
        return true;
    }

    void startTopic(std::string_view line) {
        formatting_ = true;
        std::string_view name = os::trim(line.substr(1));
        const size_t eq = name.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view alias = os::trim(name.substr(0, eq)), target = os::trim(name.substr(eq + 1));
            if (!alias.empty() && !target.empty()) file_.aliases.emplace_back(alias, target);
            topic_ = nullptr;
            return;
        }
        if (name.empty()) {
            topic_ = nullptr;
            return;
        }
        file_.topics.push_back(HelpTopic{.name = std::string(name), .header = {}, .body = {}});
        topic_ = &file_.topics.back();
    }

    HelpFile file_;
    // The topic lines go to: the last of file_.topics, taken again after every push_back, so the
    // vector's growth never leaves it dangling; null inside a nameless topic or an alias.
    HelpTopic* topic_ = nullptr;
    Options options_;
    bool inTopics_ = false;
    bool languageSeen_ = false;
    bool formatting_ = true;
    std::string error_;
};

std::string readBytes(const std::filesystem::path& path, std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = "cannot find " + path.string();
        return {};
    }
    // A FIFO or device in place of the file would block the reader: refuse anything but a file.
    if (!std::filesystem::is_regular_file(status)) {
        error = path.string() + " is not a regular file";
        return {};
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxHelpFileBytes) {
        error = ec ? "cannot read " + path.string() : path.string() + " is too large for a help file";
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || !in.is_open()) error = "cannot read " + path.string();
    return bytes;
}

}  // namespace

std::string HelpLine::plainText() const {
    std::string out;
    for (const auto& span : spans) out += span.text;
    return out;
}

const HelpTopic* HelpFile::find(std::string_view name) const {
    for (const auto& topic : topics)
        if (os::equalsAsciiCaseless(topic.name, name)) return &topic;
    for (const auto& [alias, target] : aliases)
        if (os::equalsAsciiCaseless(alias, name))
            for (const auto& topic : topics)
                if (os::equalsAsciiCaseless(topic.name, target)) return &topic;
    return nullptr;
}

HelpParse parseHelpFile(std::string_view bytes) {
    return FileParser().run(bytes);
}

HelpParse loadHelpFile(const std::filesystem::path& path) {
    std::string error;
    const std::string bytes = readBytes(path, error);
    if (!error.empty()) return {std::nullopt, error};
    HelpParse parsed = parseHelpFile(bytes);
    if (!parsed.file) parsed.error = path.string() + ": " + parsed.error;
    return parsed;
}

HelpParse loadHelpFromFolder(const std::filesystem::path& folder, std::string_view language) {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".hlf") paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<HelpFile> files;
    std::vector<std::string> languages;
    std::string firstError;
    for (const auto& path : paths) {
        HelpParse parsed = loadHelpFile(path);
        if (!parsed.file) {
            if (firstError.empty()) firstError = parsed.error;
            continue;
        }
        languages.push_back(parsed.file->language);
        files.push_back(std::move(*parsed.file));
    }
    const auto chosen = farapi::chooseLngFile(languages, language);
    if (chosen) return {std::move(files[*chosen]), {}};
    std::string error = "no help file in " + folder.string();
    if (!firstError.empty()) error += " (" + firstError + ")";
    return {std::nullopt, error};
}

}  // namespace skimmer::host::ui
