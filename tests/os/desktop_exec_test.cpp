#include "os/desktop_exec.h"

#include <gtest/gtest.h>


namespace skimmer::os {
namespace {

using Args = std::vector<std::string>;

Args split(std::string_view exec) {
    Args args;
    std::string error;
    EXPECT_TRUE(splitExec(exec, args, error)) << error;
    return args;
}

ExecCommand expand(std::string exec, Args targets, std::string icon = "") {
    DesktopLaunch e;
    e.exec = std::move(exec);
    e.icon = std::move(icon);
    e.name = "Text Editor";
    e.location = "/usr/share/applications/ed it.desktop";
    return expandExec(e, targets);
}

TEST(DesktopExec, SplitsAtSpacesAndUndoesQuotes) {
    EXPECT_EQ(split("gedit  --new-window"), (Args{"gedit", "--new-window"}));
    EXPECT_EQ(split(R"("/opt/My App/run" "a \"b\" \`c\` \$d \\e" "")"),
              (Args{"/opt/My App/run", R"(a "b" `c` $d \e)", ""}));
    EXPECT_EQ(split(R"(x"y z"w)"), (Args{"xy zw"}));
    EXPECT_EQ(split(R"("\n")"), (Args{R"(\n)"})) << "an unknown escape keeps its backslash";
    EXPECT_EQ(split("sh -c 'a;b'"), (Args{"sh", "-c", "'a;b'"})) << "unquoted reserved characters stay literal";
    EXPECT_EQ(split(""), Args{});
}

TEST(DesktopExec, RejectsMalformedLines) {
    struct Case {
        const char* exec;
        const char* reason;
    };
    for (auto c : {Case{"app \"open", "unterminated"}, Case{"app %x", "unknown field code %x"},
                   Case{"app --files=%F", "%F must be an argument of its own"}, Case{"app --icon=%i", "%i"},
                   Case{"app 100%", "lone %"}, Case{"%f", "names no program"}, Case{"   ", "names no program"}}) {
        auto cmd = expand(c.exec, {});
        EXPECT_FALSE(cmd.ok) << c.exec;
        EXPECT_TRUE(cmd.argv.empty());
        EXPECT_NE(cmd.error.find(c.reason), std::string::npos) << c.exec << ": " << cmd.error;
    }
}

TEST(DesktopExec, FieldCodes) {
    Args two{"/home/u/a b.txt", "file:///home/u/c%20d.txt"};
    EXPECT_EQ(expand("ed %f", two).argv, (Args{"ed", "/home/u/a b.txt"}));
    EXPECT_EQ(expand("ed %F", two).argv, (Args{"ed", "/home/u/a b.txt", "/home/u/c d.txt"}));
    EXPECT_EQ(expand("ed %U", two).argv, (Args{"ed", "/home/u/a b.txt", "file:///home/u/c%20d.txt"}));
    EXPECT_EQ(expand("ed --file=%f %%x", two).argv, (Args{"ed", "--file=/home/u/a b.txt", "%x"}));
    EXPECT_EQ(expand("ed %i %c %k", {}, "accessories").argv,
              (Args{"ed", "--icon", "accessories", "Text Editor", "/usr/share/applications/ed it.desktop"}));
    EXPECT_EQ(expand("ed %i %d %D %n %N %v %m", {}).argv, (Args{"ed"})) << "no icon, deprecated codes vanish";
}

TEST(DesktopExec, CodesWithNothingToPassAreRemoved) {
    EXPECT_EQ(expand("ed %f %U --x", {}).argv, (Args{"ed", "--x"}));
    EXPECT_EQ(expand("browser %f", {"https://example.org/"}).argv, (Args{"browser"}))
        << "%f never receives a remote URL";
    EXPECT_EQ(expand("browser %u", {"https://example.org/"}).argv, (Args{"browser", "https://example.org/"}));
    EXPECT_EQ(expand("app", {"/tmp/x"}).argv, (Args{"app"})) << "a program that takes no files gets none";
}

TEST(DesktopExec, HostileNamesStayOneArgument) {
    for (std::string name : {"/tmp/a; touch pwned", "/tmp/$(id)", "/tmp/`id`", "/tmp/q\"uo'te", "/tmp/new\nline",
                             "/tmp/-rf", "/tmp/%f %U", "/tmp/\x1b[2J"}) {
        auto cmd = expand("ed %f", {name});
        ASSERT_TRUE(cmd.ok) << cmd.error;
        EXPECT_EQ(cmd.argv, (Args{"ed", name}));
        EXPECT_EQ(expand("ed %F", {name}).argv, (Args{"ed", name}));
    }
}

TEST(DesktopExec, PathAndTerminalPassThrough) {
    DesktopLaunch e{.exec = "htop", .path = "/srv", .terminal = true};
    auto cmd = expandExec(e, {});
    EXPECT_TRUE(cmd.ok);
    EXPECT_EQ(cmd.workingDirectory, "/srv");
    EXPECT_TRUE(cmd.terminal);
}

TEST(DesktopExec, Urls) {
    EXPECT_TRUE(looksLikeUrl("https://example.org"));
    EXPECT_TRUE(looksLikeUrl("mailto:a@b"));
    EXPECT_TRUE(looksLikeUrl("application://firefox.desktop"));
    EXPECT_FALSE(looksLikeUrl("C:\\x"));
    EXPECT_FALSE(looksLikeUrl("/tmp/a:b"));
    EXPECT_FALSE(looksLikeUrl("1ab:c"));
    EXPECT_FALSE(looksLikeUrl("plain"));

    EXPECT_EQ(fileUrlToPath("file:///a%20b/%C3%A9%zz"), "/a b/\xc3\xa9%zz");
    EXPECT_EQ(fileUrlToPath("FILE://localhost/x"), "/x");
    EXPECT_EQ(fileUrlToPath("file:/x"), "/x");
    EXPECT_EQ(fileUrlToPath("file:/home/u/a b#1%41.txt"), "/home/u/a b#1%41.txt") << "the raw form is not decoded";
    EXPECT_EQ(fileUrlToPath("file://otherhost/x"), "");
    EXPECT_EQ(fileUrlToPath("file:///a%00b"), "") << "a NUL cannot be part of a path";
    EXPECT_EQ(fileUrlToPath("http://x/y"), "");
    EXPECT_EQ(fileUrlToPath("file:"), "");
}

TEST(DesktopExec, ShellQuoting) {
    EXPECT_EQ(shellQuote({"ls", "-l", "/a/b.txt"}), "ls -l /a/b.txt");
    EXPECT_EQ(shellQuote({"ed", "a; touch pwned", "it's", "$(id)", ""}), R"(ed 'a; touch pwned' 'it'\''s' '$(id)' '')");
    EXPECT_EQ(shellQuote({"=ls", "a=b", "~", "{a,b}"}), R"('=ls' a=b '~' '{a,b}')") << "zsh expands =ls to a path";
}

}  // namespace
}  // namespace skimmer::os
