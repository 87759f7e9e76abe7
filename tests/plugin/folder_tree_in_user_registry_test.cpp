// The search-folder tree saved into and loaded from the user's registry as the module opens it —
// the hive file on Linux, HKEY_CURRENT_USER under Wine or Windows — below a plug-ins root key as
// FAR hands it over: after each kind of change the next start loads what was saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "panel/folder_store.h"
#include "tests/panel/tree_util.h"
#include "tests/support/scratch_user_registry.h"

namespace skimmer::panel {
namespace {

using tree::add;
using tree::node;

TFolderTree sampleTree() {
    TFolderTree tree;
    TFiles* docs = add(tree.PanelRoot, node("Docs", kTypeDirectory, 100));
    TFiles* inner = add(docs->Children, node("Inner", kTypeDirectory, 200));
    add(inner->Children, node("deep search", kTypeSearchFolder, 300));
    add(tree.PanelRoot, node("docs", kTypeSearchFolder, 400));  // differs from "Docs" only in case
    add(tree.PanelRoot, node("a\\b", kTypeSearchFolder, 500));  // cannot be a key name as it stands
    add(tree.PanelRoot, node("Reports", kTypeSpecialSearchFolder, 600));
    return tree;
}

TFiles* find(std::unique_ptr<TFiles>& head, const std::string& name) {
    for (TFiles* n = head.get(); n; n = n->Next.get())
        if (n->Name == name) return n;
    return nullptr;
}

// Takes the node named `name` out of the list at `head`.
std::unique_ptr<TFiles> detach(std::unique_ptr<TFiles>& head, const std::string& name) {
    for (std::unique_ptr<TFiles>* link = &head; *link; link = &(*link)->Next) {
        if ((*link)->Name != name) continue;
        std::unique_ptr<TFiles> taken = std::move(*link);
        *link = std::move(taken->Next);
        return taken;
    }
    return nullptr;
}

// The tree as text whatever the order of siblings: the registry lists them in its own order.
std::string canonical(const TFiles* head) {
    std::vector<std::string> siblings;
    for (const TFiles* n = head; n; n = n->Next.get()) {
        std::string line;
        tree::dump(n, line, 0);
        line = line.substr(0, line.find('\n') + 1);  // the node's own line, without its siblings
        siblings.push_back(line + "(" + canonical(n->Children.get()) + ")");
    }
    std::sort(siblings.begin(), siblings.end());
    std::string out;
    for (const std::string& sibling : siblings) out += sibling;
    return out;
}

struct TreeEdit {
    const char* name;
    std::function<void(TFolderTree&)> edit;
};

class TreeInUserRegistry : public ::testing::TestWithParam<TreeEdit> {};

TEST_P(TreeInUserRegistry, TheNextStartLoadsWhatWasSaved) {
    test::ScratchUserRegistry user;
    const std::string pluginsRoot = user.path("Far\\Plugins");
    {
        TFolderTree first = sampleTree();
        ASSERT_TRUE(SaveFolderTree(first, &user.registry(), pluginsRoot).ok);
    }
    TFolderTree loaded;
    LoadFolderTree(loaded, &user.registry(), pluginsRoot);
    GetParam().edit(loaded);
    const platform::RegistryCommit saved = SaveFolderTree(loaded, &user.registry(), pluginsRoot);
    ASSERT_TRUE(saved.ok) << saved.error;

    auto next = user.reopen();
    TFolderTree again;
    LoadFolderTree(again, next.get(), pluginsRoot);
    EXPECT_EQ(canonical(again.PanelRoot.get()), canonical(loaded.PanelRoot.get()));
    EXPECT_TRUE(user.reports.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, TreeInUserRegistry,
    ::testing::Values(TreeEdit{"Unchanged", [](TFolderTree&) {}},
                      TreeEdit{"Renamed", [](TFolderTree& t) { find(t.PanelRoot, "Reports")->Name = "Weekly"; }},
                      TreeEdit{"MovedIntoAFolder",
                               [](TFolderTree& t) {
                                   auto moved = detach(t.PanelRoot, "docs");
                                   add(find(t.PanelRoot, "Docs")->Children, std::move(moved));
                               }},
                      TreeEdit{"FolderDeletedWithItsChildren", [](TFolderTree& t) { detach(t.PanelRoot, "Docs"); }},
                      TreeEdit{"Edited", [](TFolderTree& t) { find(t.PanelRoot, "a\\b")->query = "changed"; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::panel
