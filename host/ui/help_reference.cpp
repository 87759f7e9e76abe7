#include "host/ui/help_reference.h"

#include <algorithm>
#include <array>

#include "os/utf8.h"

namespace skimmer::host::ui {

namespace {

bool isUrl(std::string_view text) {
    static constexpr std::array<std::string_view, 7> kSchemes = {"file:", "ftp:", "http:", "https:",
                                                                 "mailto:", "news:", "telnet:"};
    return std::any_of(kSchemes.begin(), kSchemes.end(), [&](std::string_view scheme) {
        return text.size() > scheme.size() && os::startsWithAsciiCaseless(text, scheme);
    });
}

std::string topicOrContents(std::string_view topic) {
    return topic.empty() ? std::string(kContentsTopic) : std::string(topic);
}

}  // namespace

HelpReference parseHelpReference(std::string_view text) {
    if (text.starts_with(':')) return {HelpReference::Kind::FarHelp, {}, topicOrContents(text.substr(1))};
    if (isUrl(text)) return {HelpReference::Kind::Url, {}, std::string(text)};
    const size_t close = text.find('>');
    if (!text.starts_with('<') || close == std::string_view::npos)
        return {HelpReference::Kind::Topic, {}, topicOrContents(text)};
    std::string location(text.substr(1, close - 1));
    std::replace(location.begin(), location.end(), '\\', '/');
    // "<folder/>" names the folder; "<folder/module.so>" the module whose folder holds the help.
    if (!location.empty() && location.back() != '/') {
        const size_t slash = location.rfind('/');
        location = slash == std::string::npos ? std::string(".") : location.substr(0, slash + 1);
    }
    return {HelpReference::Kind::Folder, location.empty() ? std::string(".") : location,
            topicOrContents(text.substr(close + 1))};
}

}  // namespace skimmer::host::ui
