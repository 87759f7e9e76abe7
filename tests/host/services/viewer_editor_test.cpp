#include "host/services/viewer_editor.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

#include "host/services/shell_words.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::services {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

Args words(std::string_view text) {
    Args out;
    std::string error;
    EXPECT_TRUE(splitShellWords(text, out, error)) << error;
    return out;
}

TEST(ShellWords, SplitsLikeAShellWithoutExpanding) {
    EXPECT_EQ(words("vim -u NONE"), (Args{"vim", "-u", "NONE"}));
    EXPECT_EQ(words("  emacsclient -t -a ''  "), (Args{"emacsclient", "-t", "-a", ""}));
    EXPECT_EQ(words(R"(a\ b "c \"d\" \$e \x" 'f \g')"), (Args{"a b", R"(c "d" $e \x)", R"(f \g)"}));
    EXPECT_EQ(words("less $HOME ~ *.txt; rm -rf / | x > y $(id) `id`"),
              (Args{"less", "$HOME", "~", "*.txt;", "rm", "-rf", "/", "|", "x", ">", "y", "$(id)", "`id`"}));
    EXPECT_EQ(words("a\tb\nc"), (Args{"a", "b", "c"}));
    EXPECT_EQ(words(""), Args{});
    Args out;
    std::string error;
    EXPECT_FALSE(splitShellWords("vim 'unterminated", out, error));
    EXPECT_FALSE(splitShellWords("vim \"unterminated", out, error));
    EXPECT_NE(error.find("unterminated"), std::string::npos);
}

TEST(ViewerEditor, CandidatesFollowTheEnvironment) {
    std::map<std::string, std::string> vars{{"PAGER", "most -s"}, {"EDITOR", "nano"}, {"VISUAL", "  "}};
    EnvLookup env = [&](const char* n) -> std::optional<std::string> {
        auto it = vars.find(n);
        return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    EXPECT_EQ(pagerCandidates(env), (Candidates{{"most", "-s"}, {"sensible-pager"}, {"less"}, {"more"}}));
    EXPECT_EQ(editorCandidates(env), (Candidates{{"nano"}, {"sensible-editor"}, {"vi"}})) << "a blank VISUAL is skipped";
    vars["VISUAL"] = "code --wait 'x";
    EXPECT_EQ(editorCandidates(env).front(), (Args{"nano"})) << "a variable that does not split is skipped";
    vars.clear();
    EXPECT_EQ(editorCandidates(env), (Candidates{{"sensible-editor"}, {"vi"}}));
}

class FakeTerminal : public TerminalHandover {
public:
    void suspend() override { calls.push_back("suspend"); }
    void resume() override { calls.push_back("resume"); }
    int terminalFd() const override { return -1; }
    Args calls;
};

class ViewerEditorRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(bin_);
        // Records its arguments one per line; with "append" as its first argument it also
        // appends a line to the file named by its last argument, like an editor that saves.
        std::ofstream(bin_ / "tool") << "#!/bin/sh\n"
                                        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << record_ << "\n"
                                        "if [ \"$1\" = append ]; then for last; do :; done; echo more >> \"$last\"; fi\n";
        fs::permissions(bin_ / "tool", fs::perms::owner_all);
        std::ofstream(file_) << "text\n";
    }
    EnvLookup env(std::string pager, std::string editor) {
        return [=](const char* n) -> std::optional<std::string> {
            if (std::string(n) == "PAGER") return pager;
            if (std::string(n) == "EDITOR") return editor;
            return std::nullopt;
        };
    }
    Args recorded() {
        std::ifstream in(record_);
        Args lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }

    test::TempHome home_;
    fs::path bin_ = home_.root() / "bin";
    fs::path record_ = home_.root() / "record";
    fs::path file_ = home_.root() / "a; touch pwned $(id).txt";
    FakeTerminal terminal_;
};

TEST_F(ViewerEditorRun, ViewerGetsThePagerWithItsWordsAndTheFile) {
    auto r = viewFile(file_.string(), terminal_, env("'" + (bin_ / "tool").string() + "' --flag 'two words' $HOME", ""));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(recorded(), (Args{"--flag", "two words", "$HOME", file_.string()}));
    EXPECT_EQ(terminal_.calls, (Args{"suspend", "resume"}));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(ViewerEditorRun, EditorReportsWhetherTheFileChanged) {
    const std::string tool = (bin_ / "tool").string();
    auto unchanged = editFile(file_.string(), 0, terminal_, env("", tool));
    EXPECT_EQ(unchanged.outcome, EditOutcome::NotModified) << unchanged.error;
    EXPECT_EQ(recorded(), (Args{file_.string()}));

    auto changed = editFile(file_.string(), 12, terminal_, env("", tool + " append"));
    EXPECT_EQ(changed.outcome, EditOutcome::Modified) << changed.error;
    EXPECT_EQ(recorded(), (Args{"append", "+12", file_.string()}));
    EXPECT_EQ(terminal_.calls, (Args{"suspend", "resume", "suspend", "resume"}));
}

TEST_F(ViewerEditorRun, OptionLikeNamesAreNeverOptions) {
    auto r = viewFile("-rf", terminal_, env((bin_ / "tool").string(), ""));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(recorded(), (Args{"./-rf"}));
}

TEST_F(ViewerEditorRun, FallsBackAndReportsWhenNothingStarts) {
    auto r = runInForeground({{"skimmer-missing-1"}, {(bin_ / "tool").string(), "x"}}, "", terminal_);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.argv, (Args{(bin_ / "tool").string(), "x"}));
    EXPECT_TRUE(r.status.success());

    auto none = runInForeground({{"skimmer-missing-1"}, {"skimmer-missing-2"}}, "", terminal_);
    EXPECT_FALSE(none.started);
    EXPECT_NE(none.error.find("skimmer-missing-1"), std::string::npos);
    EXPECT_NE(none.error.find("skimmer-missing-2"), std::string::npos);
    EXPECT_EQ(terminal_.calls, (Args{"suspend", "resume", "suspend", "resume"})) << "the terminal always comes back";
}

}  // namespace
}  // namespace skimmer::host::services
