// Copying out of the panel and into it (rows V1 and V3): files written whole and only inside the
// destination, replaced only after the question, a full disk reported; imports of good, foreign,
// damaged and clashing files and of folder trees.
#include "far/vk.h"
#include "os/file_system.h"
#include "panel/folder_file.h"
#include "panel/panel_messages.h"
#include "tests/panel/panel_fixture.h"
#include "tests/support/fault_file_system.h"

namespace skimmer::panel {
namespace {

namespace fs = std::filesystem;
using test::PanelFixture;
using Names = std::vector<std::string>;

class PanelFiles : public PanelFixture {
protected:
    PanelFiles() {
        out = home.root() / "out";
        fs::create_directories(out);
    }
    // GetFiles of the named items into `out`, silently.
    int copyOut(const Names& names) {
        std::vector<PluginPanelItem> items;
        for (const auto& name : names) items.push_back(item(name));
        char dest[FAR_MAX_PATH];
        std::snprintf(dest, sizeof dest, "%s", out.string().c_str());
        return GetFiles(panel, handle, items.data(), static_cast<int>(items.size()), 0, dest, OPM_SILENT);
    }
    Names outNames(const fs::path& folder) {
        Names names;
        // As the plug-in reads them (on Windows: in the ANSI code page).
        EXPECT_EQ(os::realFileSystem().listDirectory(folder.string(), names), 0) << folder;
        std::sort(names.begin(), names.end());
        return names;
    }
    // PutFiles of disk paths, as FAR hands them from a file panel.
    int copyIn(const Names& paths) {
        std::vector<PluginPanelItem> items(paths.size());
        for (size_t i = 0; i < paths.size(); ++i) {
            std::snprintf(items[i].FindData.cFileName, sizeof items[i].FindData.cFileName, "%s", paths[i].c_str());
            if (fs::is_directory(paths[i])) items[i].FindData.dwFileAttributes = kAttributeDirectory;
        }
        return PutFiles(panel, handle, items.data(), static_cast<int>(items.size()), 0, 0);
    }
    std::string writeFile(const std::string& name, const std::string& bytes) {
        const fs::path path = home.root() / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    fs::path out;
};

TEST_F(PanelFiles, ExportWritesTheTreeAndImportBringsItBack) {
    newDirectory("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    newSearchFolder("report");
    newDirectory("Inner");
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    newSearchFolder("alpha");
    // Through the destination dialog, which may change the folder.
    PluginPanelItem docs = item("Docs");
    char dest[FAR_MAX_PATH] = "/somewhere/else";
    type({{test::kDestPath, out.string()}}, test::kDestOk);
    EXPECT_EQ(GetFiles(panel, handle, &docs, 1, 0, dest, 0), 1);
    EXPECT_EQ(std::string(dest), out.string());
    EXPECT_EQ(outNames(out), Names{"Docs"});
    EXPECT_EQ(outNames(out / "Docs"), (Names{"Inner", "report.skvfinder"}));
    const TFolderFileRead read = ReadFolderFile((out / "Docs" / "report.skvfinder").string());
    EXPECT_TRUE(read.MagicOk);
    EXPECT_EQ(read.Node->query, "report");

    // Deleted and imported again: the same subtree.
    host.answerMessage(0);
    EXPECT_TRUE(DeleteFiles(panel, handle, &docs, 1, 0));
    EXPECT_EQ(copyIn({(out / "Docs").string()}), 1);
    EXPECT_EQ(list(), (Names{"alpha", "Docs"}));
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    EXPECT_EQ(list(), (Names{"..", "Inner", "report"}));
    EXPECT_EQ(stored(), "alpha;Docs{};");
}

TEST_F(PanelFiles, AnExistingTargetIsReplacedOnlyAfterTheQuestion) {
    newSearchFolder("alpha");
    newSearchFolder("beta");
    std::ofstream(out / "alpha.skvfinder") << "mine";
    std::ofstream(out / "beta.skvfinder") << "mine too";
    host.answerMessage(2);  // skip alpha
    host.answerMessage(0);  // replace beta
    EXPECT_EQ(copyOut({"alpha", "beta"}), -1);
    EXPECT_EQ(host.callsTo("Message")[0].texts[3], (out / "alpha.skvfinder").string());
    {
        // Closed again before the next copy: Windows cannot replace a file another program holds.
        std::ifstream alpha(out / "alpha.skvfinder");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(alpha), {}), "mine");
    }
    EXPECT_TRUE(ReadFolderFile((out / "beta.skvfinder").string()).MagicOk);
    host.answerMessage(4);  // cancel: nothing more is written
    EXPECT_EQ(copyOut({"alpha", "beta"}), -1);
    host.answerMessage(1);  // replace all: no second question
    EXPECT_EQ(copyOut({"alpha", "beta"}), 1);
    EXPECT_TRUE(ReadFolderFile((out / "alpha.skvfinder").string()).MagicOk);
}

TEST_F(PanelFiles, CancelInsideANestedDirectoryEndsTheWholeCopy) {
    newDirectory("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    newDirectory("Inner");
    newSearchFolder("report");
    ASSERT_TRUE(SetDirectory(panel, handle, "Inner", 0));
    newSearchFolder("deep");
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    fs::create_directories(out / "Docs" / "Inner");
    std::ofstream(out / "Docs" / "Inner" / "deep.skvfinder") << "mine";
    host.answerMessage(0);  // Docs exists: proceed
    host.answerMessage(0);  // Docs/Inner exists: proceed
    host.answerMessage(4);  // Docs/Inner/deep.skvfinder exists: cancel
    EXPECT_EQ(copyOut({"Docs"}), -1);
    EXPECT_EQ(host.callsTo("Message").size(), 3u);
    EXPECT_EQ(outNames(out / "Docs"), Names{"Inner"});
}

// An "all" answer holds for the whole copy out, at every depth and after coming back up; the tree
// is alpha, Docs/Inner/deep, Docs/report, and every target exists already.
struct AllAnswerOut {
    const char* label;
    std::vector<int> answers;     // to the overwrite questions, in order
    std::vector<bool> replaced;   // alpha, Docs/Inner/deep, Docs/report
    int result;
};

class OverwriteForAll : public PanelFiles, public ::testing::WithParamInterface<AllAnswerOut> {};

TEST_P(OverwriteForAll, HoldsThroughNestedDirectories) {
    const AllAnswerOut& c = GetParam();
    newSearchFolder("alpha");
    newDirectory("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    newDirectory("Inner");
    newSearchFolder("report");
    ASSERT_TRUE(SetDirectory(panel, handle, "Inner", 0));
    newSearchFolder("deep");
    ASSERT_TRUE(SetDirectory(panel, handle, "\\", 0));
    const std::vector<fs::path> files = {out / "alpha.skvfinder", out / "Docs" / "Inner" / "deep.skvfinder",
                                         out / "Docs" / "report.skvfinder"};
    fs::create_directories(out / "Docs" / "Inner");
    for (const auto& f : files) std::ofstream(f) << "mine";
    for (int answer : c.answers) host.answerMessage(answer);
    EXPECT_EQ(copyOut({"alpha", "Docs"}), c.result);
    EXPECT_EQ(host.callsTo("Message").size(), c.answers.size());
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(ReadFolderFile(files[i].string()).MagicOk, c.replaced[i]) << files[i];
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OverwriteForAll,
    ::testing::Values(AllAnswerOut{"AllAtTheTop", {1}, {true, true, true}, 1},
                      AllAnswerOut{"SkipAllAtTheTop", {3}, {false, false, false}, -1},
                      // proceed: alpha, Docs, Docs/Inner; then "all" at deep holds for Docs/report
                      AllAnswerOut{"AllTwoLevelsDown", {0, 0, 0, 1}, {true, true, true}, 1},
                      AllAnswerOut{"SkipAllTwoLevelsDown", {0, 0, 0, 3}, {true, false, false}, -1}),
    [](const auto& info) { return info.param.label; });

// The same for a folder tree copied in: a clash answered "all" (or Cancel) at one depth holds at
// every other. src holds two files naming the folder X and sub/ two naming Y; other.skvfinder
// comes after src. The disk lists a folder in no fixed order, so either clash may come first.
struct AllAnswerIn {
    const char* label;
    int answer;           // to the first clash question; there is no second
    const char* src;      // src's level afterwards, sorted, joined by ","; null: depends on the order
    const char* sub;      // sub's level afterwards; null: depends on the order
    const char* top;      // the top level afterwards
    int result;
};

class ClashForAll : public PanelFiles, public ::testing::WithParamInterface<AllAnswerIn> {};

std::string joined(Names names) {
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : ",") + n;
    return out;
}

TEST_P(ClashForAll, HoldsThroughNestedDirectories) {
    const AllAnswerIn& c = GetParam();
    for (const char* f : {"src/a.skvfinder", "src/b.skvfinder"}) writeFile(f, "h\r\nSKVSFR1.0\r\nX\r\nq\r\n");
    for (const char* f : {"src/sub/c.skvfinder", "src/sub/d.skvfinder"}) writeFile(f, "h\r\nSKVSFR1.0\r\nY\r\nq\r\n");
    const std::string other = writeFile("other.skvfinder", "h\r\nSKVSFR1.0\r\nOther\r\nq\r\n");
    host.answerMessage(c.answer);
    EXPECT_EQ(copyIn({(home.root() / "src").string(), other}), c.result);
    EXPECT_EQ(host.callsTo("Message").size(), 1u);
    EXPECT_EQ(joined(list()), c.top);
    if (!c.src) return;
    ASSERT_TRUE(SetDirectory(panel, handle, "src", 0));
    EXPECT_EQ(joined(list()), c.src);
    ASSERT_TRUE(SetDirectory(panel, handle, "sub", 0));
    EXPECT_EQ(joined(list()), c.sub);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ClashForAll,
    ::testing::Values(AllAnswerIn{"KeepAll", 1, "..,X,X (2),sub", "..,Y,Y (2)", "Other,src", 1},
                      AllAnswerIn{"SkipAll", 3, "..,X,sub", "..,Y", "Other,src", -1},
                      AllAnswerIn{"Cancel", 4, nullptr, nullptr, "src", -1}),
    [](const auto& info) { return info.param.label; });

// Names that would lead out of the destination, or could not be one entry of it.
struct Hostile {
    const char* label;
    std::string name;
    const char* written;  // the entry made in the destination, "" when refused
};

class HostileNames : public PanelFiles, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileNames, NothingIsWrittenOutsideTheDestination) {
    // A folder imported with this name (the file's name line is not checked by a dialog).
    const std::string file = writeFile("in.skvfinder", "h\r\nSKVSFR1.0\r\n" + GetParam().name +
                                                           "\r\nq\r\nd\r\na\r\nx\r\n0\r\nx\r\n2\r\n");
    EXPECT_EQ(copyIn({file}), 1);
    const std::string name = list().at(0);
    const Names before = outNames(home.root());
    if (!*GetParam().written) host.answerMessage(0);  // the error box that says why
    const int result = copyOut({name});
    if (*GetParam().written) {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(outNames(out), Names{GetParam().written});
    } else {
        EXPECT_EQ(result, -1);
        EXPECT_TRUE(outNames(out).empty());
    }
    EXPECT_EQ(outNames(home.root()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    ::testing::Values(Hostile{"Slashes", "../../etc/x", ".._.._etc_x.skvfinder"},
                      Hostile{"Escapes", "\x1b[2J\x07" "a", "_[2J_a.skvfinder"},
                      Hostile{"InvalidUtf8", "\xff\xfe", "\xff\xfe.skvfinder"},
                      Hostile{"TenThousand", std::string(10000, 'n'), ""}),
    [](const auto& info) { return info.param.label; });

TEST_F(PanelFiles, ADiskThatFillsIsReportedAndLeavesNoPartialFile) {
    skimmer::test::FaultFileSystem faults(os::realFileSystem());
    panel.env.fs = &faults;
    newSearchFolder("alpha");
    newSearchFolder("beta");
    faults.failCall(1, ENOSPC, false, skimmer::test::FsOp::Write);
    host.answerMessage(0);  // the error box
    EXPECT_EQ(copyOut({"alpha", "beta"}), -1);
    const auto boxes = host.callsTo("Message");
    ASSERT_EQ(boxes.size(), 1u);  // reported once: a full disk ends the copy
    EXPECT_NE(boxes[0].texts[2].find("alpha.skvfinder"), std::string::npos);
    EXPECT_TRUE(outNames(out).empty());  // no partial file, no temporary file
    faults.clearFaults();
    EXPECT_EQ(copyOut({"alpha", "beta"}), 1);
}

struct ImportCase {
    const char* label;
    std::string fileName;
    std::string bytes;
    std::vector<int> answers;  // to the questions, in order
    const char* listed;        // the level afterwards, names joined by ","
    int result;
};

class Imports : public PanelFiles, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(Imports, AskWhatTheFormatAsksAndChangeNothingElse) {
    newSearchFolder("Good");
    const std::string path = writeFile(GetParam().fileName, GetParam().bytes);
    for (int answer : GetParam().answers) host.answerMessage(answer);
    EXPECT_EQ(copyIn({path}), GetParam().result);
    std::string listed;
    for (const auto& name : list()) listed += (listed.empty() ? "" : ",") + name;
    EXPECT_EQ(listed, GetParam().listed);
    EXPECT_EQ(host.callsTo("Message").size(), GetParam().answers.size());
}

const std::string kGood = "h\r\nSKVSFR1.0\r\nNew\r\nq\r\nd\r\na\r\nTRUE\r\n5\r\nFALSE\r\n4\r\n";
const std::string kClash = "h\r\nSKVSFR1.0\r\nGood\r\nq\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Imports,
    ::testing::Values(ImportCase{"GoodFile", "a.skvfinder", kGood, {}, "Good,New", 1},
                      ImportCase{"UpperCaseExtensionYes", "a.SKVFINDER", kGood, {0}, "Good,New", 1},
                      ImportCase{"ForeignExtensionNo", "a.txt", kGood, {1}, "Good", 1},
                      ImportCase{"WrongMagicNo", "b.skvfinder", "h\r\nSKVSFR9\r\nX\r\n", {1}, "Good", 1},
                      ImportCase{"TruncatedYesKeepsWhatWasRead", "c.skvfinder", "h\r\nSKVSFR1.0\r\nHalf\r\nq\r\nd\r\na\r\nx\r\n0\r\nx\r\n12ab", {0}, "Good,Half", 1},
                      ImportCase{"BinaryNo", "d.skvfinder", std::string("\0\x01\x02\xff", 4), {1}, "Good", 1},
                      ImportCase{"EmptyNameYesTakesTheFileName", "e.skvfinder", "h\r\nSKVSFR1.0\r\n\r\n", {0}, "Good,e.skvfinder", 1},
                      ImportCase{"ClashAddBeside", "f.skvfinder", kClash, {0}, "Good,Good (2)", 1},
                      ImportCase{"ClashSkip", "f.skvfinder", kClash, {2}, "Good", -1},
                      ImportCase{"ClashCancel", "f.skvfinder", kClash, {4}, "Good", -1}),
    [](const auto& info) { return info.param.label; });

TEST_F(PanelFiles, AFolderOfThousandsOfFilesImportsEachOnce) {
    for (int i = 0; i < 2000; ++i)
        writeFile("many/f" + std::to_string(i) + ".skvfinder",
                  "h\r\nSKVSFR1.0\r\nfolder " + std::to_string(i % 1000) + "\r\nq\r\n");
    host.answerMessage(1);  // the first clash: keep all
    EXPECT_EQ(copyIn({(home.root() / "many").string()}), 1);
    ASSERT_TRUE(SetDirectory(panel, handle, "many", 0));
    Names names = list();
    EXPECT_EQ(names.size(), 2001u);  // with ".."
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());  // no two of one name
    TFolderTree tree;
    LoadFolderTree(tree, &registry, test::kRoot);
    int stored = 0;
    for (TFiles* n = tree.PanelRoot->Children.get(); n; n = n->Next.get()) ++stored;
    EXPECT_EQ(stored, 2000);
}

TEST_F(PanelFiles, CopyingADirectoryIntoItselfEnds) {
    newDirectory("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    newSearchFolder("inner");
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    PluginPanelItem docs = item("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    EXPECT_EQ(PutFiles(panel, handle, &docs, 1, 0, 0), 1);
    EXPECT_EQ(list(), (Names{"..", "inner", "Docs"}));
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    EXPECT_EQ(list(), (Names{"..", "inner"}));
}

}  // namespace
}  // namespace skimmer::panel
