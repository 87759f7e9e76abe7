// The search-folder tree kept by two processes on one hive file, each with its own Hive and its own
// tree loaded before either changed anything: a save applies only its process's changes (adds,
// deletes, renames, moves, edits) to the tree as the file holds it, never deleting what the other
// added nor undoing the other's edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

#include "os/registry.h"
#include "panel/folder_store.h"
#include "platform/hive_registry.h"
#include "tests/panel/tree_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::panel {
namespace {

using tree::add;
using tree::node;
constexpr std::string_view kRoot = "Software\\Far\\Plugins";

// One process: its own Hive over the shared file and the tree it loaded.
struct Process {
    Process() : hive(os::Hive::defaultPath()), registry(hive) { LoadFolderTree(tree, &registry, kRoot); }
    bool save() { return SaveFolderTree(tree, &registry, kRoot).ok; }
    os::Hive hive;
    platform::HiveRegistry registry;
    TFolderTree tree;
};

// The link that owns the node at `path` ("Docs/Inner"), or null.
std::unique_ptr<TFiles>* linkTo(TFolderTree& tree, std::string_view path) {
    std::unique_ptr<TFiles>* link = &tree.PanelRoot;
    for (size_t start = 0;;) {
        const size_t slash = path.find('/', start);
        const std::string_view name = path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
        while (*link && (*link)->Name != name) link = &(*link)->Next;
        if (!*link || slash == std::string_view::npos) return *link ? link : nullptr;
        link = &(*link)->Children;
        start = slash + 1;
    }
}
TFiles& at(TFolderTree& tree, std::string_view path) { return **linkTo(tree, path); }
std::unique_ptr<TFiles> detach(TFolderTree& tree, std::string_view path) {
    std::unique_ptr<TFiles>* link = linkTo(tree, path);
    std::unique_ptr<TFiles> node = std::move(*link);
    *link = std::move(node->Next);
    return node;
}

// Every node as "path|desc|max", sorted.
void list(const TFiles* n, const std::string& prefix, std::vector<std::string>& out) {
    for (; n; n = n->Next.get()) {
        out.push_back(prefix + n->Name + "|" + n->Desc + "|" + n->Max);
        list(n->Children.get(), prefix + n->Name + "/", out);
    }
}
std::vector<std::string> stored() {
    Process reader;
    std::vector<std::string> out;
    list(reader.tree.PanelRoot.get(), "", out);
    std::sort(out.begin(), out.end());
    return out;
}

using Change = std::function<void(TFolderTree&)>;
struct SharedCase {
    std::string what;
    Change first;   // saved first
    Change second;  // made on the tree read before the first change, saved after it
    std::vector<std::string> after;
};
void PrintTo(const SharedCase& c, std::ostream* out) { *out << c.what; }

class SharedTree : public ::testing::TestWithParam<SharedCase> {
protected:
    SharedTree() {
        Process start;
        TFiles* docs = add(start.tree.PanelRoot, node("Docs", kTypeDirectory));
        TFiles* inner = add(docs->Children, node("Inner", kTypeSessionDirectory));
        add(inner->Children, node("deep", kTypeSearchFolder));
        add(start.tree.PanelRoot, node("Keep", kTypeSearchFolder));
        add(start.tree.PanelRoot, node("Gone", kTypeSearchFolder));
        EXPECT_TRUE(start.save());
    }
    skimmer::test::TempHome home;
};

TEST_P(SharedTree, EachSaveAppliesOnlyItsOwnChanges) {
    Process one, two;  // both read the tree before either changes it
    GetParam().first(one.tree);
    ASSERT_TRUE(one.save());
    GetParam().second(two.tree);
    ASSERT_TRUE(two.save());
    std::vector<std::string> want = GetParam().after;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(stored(), want);
    // Saving again with nothing changed leaves the file as it is.
    ASSERT_TRUE(one.save());
    EXPECT_EQ(stored(), want);
}

const Change kNothing = [](TFolderTree&) {};
// The stored tree as the fixture made it, without the nodes named in `without`, with `extra`.
std::vector<std::string> base(std::vector<std::string> extra, std::vector<std::string> without = {}) {
    std::vector<std::string> all = {"Docs|d:Docs|12", "Docs/Inner|d:Inner|12", "Docs/Inner/deep|d:deep|12",
                                    "Gone|d:Gone|12", "Keep|d:Keep|12"};
    for (const auto& path : without) std::erase_if(all, [&](const std::string& l) { return l.starts_with(path + "|"); });
    all.insert(all.end(), extra.begin(), extra.end());
    std::sort(all.begin(), all.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(Changes, SharedTree, ::testing::Values(
    SharedCase{"both_add", [](TFolderTree& t) { add(t.PanelRoot, node("A", kTypeSearchFolder)); },
               [](TFolderTree& t) { add(t.PanelRoot, node("B", kTypeSearchFolder)); },
               base({"A|d:A|12", "B|d:B|12"})},
    SharedCase{"a_delete_keeps_what_the_other_added",
               [](TFolderTree& t) { add(at(t, "Docs").Children, node("New", kTypeSearchFolder)); },
               [](TFolderTree& t) { detach(t, "Gone"); }, base({"Docs/New|d:New|12"}, {"Gone"})},
    SharedCase{"a_rename_takes_along_what_the_other_added_inside",
               [](TFolderTree& t) { add(at(t, "Docs").Children, node("New", kTypeSearchFolder)); },
               [](TFolderTree& t) { at(t, "Docs").Name = "Papers"; },
               {"Gone|d:Gone|12", "Keep|d:Keep|12", "Papers/Inner/deep|d:deep|12", "Papers/Inner|d:Inner|12",
                "Papers/New|d:New|12", "Papers|d:Docs|12"}},
    SharedCase{"edits_of_different_values_of_one_node", [](TFolderTree& t) { at(t, "Keep").Desc = "one"; },
               [](TFolderTree& t) { at(t, "Keep").Max = "99"; }, base({"Keep|one|99"}, {"Keep"})},
    SharedCase{"a_node_the_other_deleted_stays_deleted", [](TFolderTree& t) { detach(t, "Gone"); },
               [](TFolderTree& t) { add(t.PanelRoot, node("B", kTypeSearchFolder)); },
               base({"B|d:B|12"}, {"Gone"})},
    SharedCase{"a_move_keeps_the_others_edit_of_the_moved_node", [](TFolderTree& t) { at(t, "Keep").Desc = "one"; },
               [](TFolderTree& t) { add(at(t, "Docs/Inner").Children, detach(t, "Keep")); },
               base({"Docs/Inner/Keep|one|12"}, {"Keep"})},
    SharedCase{"one_name_added_twice_keeps_both",
               [](TFolderTree& t) { add(t.PanelRoot, node("Twin", kTypeSearchFolder)); },
               [](TFolderTree& t) { add(t.PanelRoot, node("Twin", kTypeDirectory)); },
               base({"Twin (2)|d:Twin|12", "Twin|d:Twin|12"})},
    SharedCase{"nothing_changed_here_writes_nothing_back", [](TFolderTree& t) { at(t, "Keep").Name = "Kept"; },
               kNothing, base({"Kept|d:Keep|12"}, {"Keep"})}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace skimmer::panel
