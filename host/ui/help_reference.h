// FAR's help references, as HelpTopic strings and link targets write them: "Topic", ":Topic"
// (FAR's own help), "<folder/>Topic" (the help in that folder), "<folder/module>Topic" (the help
// beside that module) and URLs (file:, ftp:, http:, https:, mailto:, news:, telnet:).
//
// Contract: pure. Backslashes in a location become slashes (the files are on this host's file
// system). An empty topic means "Contents", the topic FAR opens for a plug-in by default.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::host::ui {

inline constexpr std::string_view kContentsTopic = "Contents";
inline constexpr std::string_view kHelpOnHelpTopic = "Help";

struct HelpReference {
    enum class Kind { Topic, FarHelp, Folder, Url };
    Kind kind = Kind::Topic;
    std::string folder;  // Kind::Folder: the folder whose .hlf files hold the topic
    std::string topic;   // the topic, or the URL for Kind::Url
};

HelpReference parseHelpReference(std::string_view text);

}  // namespace skimmer::host::ui
