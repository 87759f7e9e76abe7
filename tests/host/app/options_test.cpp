#include "host/app/options.h"

#include "skimmer_version.h"

#include <gtest/gtest.h>

namespace skimmer::host::app {
namespace {

TEST(Options, ParsesEveryOption) {
    const ParseResult r = parseOptions({"--manager", "--plugin", "/a.so", "--plugin=/b.so", "find", "me"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.manager);
    EXPECT_EQ(r.options.plugins, (std::vector<std::string>{"/a.so", "/b.so"}));
    EXPECT_EQ(r.options.text, "find me");
    EXPECT_FALSE(parseOptions({}).options.text.has_value());
    EXPECT_TRUE(parseOptions({"--panel"}).options.panel);
    EXPECT_TRUE(parseOptions({"-h"}).options.help);
    EXPECT_TRUE(parseOptions({"--version"}).options.version);
    EXPECT_EQ(parseOptions({"--", "--manager"}).options.text, "--manager");  // text after -- is text
}

TEST(Options, RejectsWhatItCannotDo) {
    EXPECT_NE(parseOptions({"--bogus"}).error, "");
    EXPECT_NE(parseOptions({"--plugin"}).error, "");
    EXPECT_NE(parseOptions({"--manager", "--panel"}).error, "");
}

TEST(Options, HelpDocumentsOptionsAndFallbackKeys) {
    const std::string help = helpText();
    for (const char* word : {"--manager", "--panel", "--plugin", "--help", "--version", "Alt+Enter", "Ctrl+J", "F11",
                             "Alt+Shift+F9", "Ctrl+O", "ESCDELAY"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

TEST(Options, VersionComesFromTheBuild) {
    EXPECT_EQ(versionText().substr(0, versionText().find('\n')), std::string("skimmer ") + kVersion);
    EXPECT_EQ(parseOptions({"--version=2"}).error, "--version takes no value");
}

}  // namespace
}  // namespace skimmer::host::app
