#include "panel/folder_node.h"

#include "os/utf8.h"

#include <atomic>

namespace skimmer::panel {

uint64_t NewNodeId() {
    // Panels of several threads may make nodes; 0 is never given out (it means "the top level").
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

TFiles::~TFiles() {
    // Unlink the sibling chain first so that each node dies with an empty Next: the chain is freed
    // in a loop here instead of one destructor frame per sibling.
    std::unique_ptr<TFiles> next = std::move(Next);
    while (next) next = std::move(next->Next);
}

bool IsDirectoryKind(int32_t type) {
    return type == kTypeDirectory || type == kTypeSessionDirectory || type == kTypeForeignDirectory;
}

bool IsSearchFolderKind(int32_t type) { return type == kTypeSearchFolder || type == kTypeSpecialSearchFolder; }

std::unique_ptr<TFiles> CopyNode(const TFiles& node) {
    auto copy = std::make_unique<TFiles>();
    CopyEditableFields(*copy, node);
    if (node.Result) copy->Result = std::make_unique<results::TSearchResult>(*node.Result);
    return copy;
}

void CopyEditableFields(TFiles& to, const TFiles& from) {
    to.Item = from.Item;
    to.Name = from.Name;
    to.query = from.query;
    to.Desc = from.Desc;
    to.AQS = from.AQS;
    to.Max = from.Max;
    to.Advanced = from.Advanced;
    to.GroupsAsFolders = from.GroupsAsFolders;
    to.Type = from.Type;
}

namespace {

// Depth-first through `head`'s lists: the node whose Children list holds `node`.
TFiles* ParentWithin(TFiles* owner, TFiles* head, const TFiles* node) {
    for (TFiles* entry = head; entry; entry = entry->Next.get()) {
        if (entry == node) return owner;
        if (TFiles* found = ParentWithin(entry, entry->Children.get(), node)) return found;
    }
    return nullptr;
}

}  // namespace

TFiles* FindParent(const TFolderTree& tree, const TFiles* node) {
    if (!node) return nullptr;
    for (TFiles* top = tree.PanelRoot.get(); top; top = top->Next.get()) {
        if (TFiles* found = ParentWithin(top, top->Children.get(), node)) return found;
    }
    return nullptr;
}

std::string FolderPath(const TFolderTree& tree, const TFiles* node) {
    std::string path;
    for (TFiles* p = FindParent(tree, node); p; p = FindParent(tree, p)) path = p->Name + "\\" + path;
    if (!path.empty()) path.pop_back();
    return path;
}

TFiles* FindNode(const TFiles* head, std::string_view name) {
    for (const TFiles* n = head; n; n = n->Next.get())
        if (n->Name == name) return const_cast<TFiles*>(n);
    return nullptr;
}

bool FindByName(const TFiles* head, std::string_view name) { return FindNode(head, name) != nullptr; }

bool NameTakenByOther(const TFiles* head, const TFiles* node, std::string_view name) {
    for (const TFiles* n = head; n; n = n->Next.get())
        if (n != node && n->Name == name) return true;
    return false;
}

TFiles* LastNode(TFiles* head) {
    while (head && head->Next) head = head->Next.get();
    return head;
}

TFiles* LinkAtEnd(TFolderTree& tree, TPanelInstance& at, std::unique_ptr<TFiles> node) {
    node->Next.reset();
    TFiles* added = node.get();
    if (TFiles* last = LastNode(at.Current)) {
        last->Next = std::move(node);
    } else if (at.Parent) {
        at.Parent->Children = std::move(node);
        at.Current = added;
    } else {
        // The shown level is the empty top level: the node starts the tree. (A non-empty tree shown
        // at the top level always has a Current.)
        node->Next = std::move(tree.PanelRoot);
        tree.PanelRoot = std::move(node);
        at.Current = added;
    }
    return added;
}

TFiles* AppendNode(TFolderTree& tree, TPanelInstance& at, const TFiles& node) {
    return LinkAtEnd(tree, at, CopyNode(node));
}

void UpdateNode(TFiles& node, const TFiles& edited, uint64_t now) {
    CopyEditableFields(node, edited);
    node.Item.Accessed = now;
    node.Item.Modified = now;
}

void RemoveNode(TFolderTree& tree, TFiles*& head, TFiles* node) {
    if (!node || !head) return;
    std::unique_ptr<TFiles>* link = nullptr;
    if (head == node) {
        if (tree.PanelRoot.get() == node) link = &tree.PanelRoot;
        else if (TFiles* owner = FindParent(tree, node)) link = &owner->Children;
    } else {
        for (TFiles* n = head; n && n->Next; n = n->Next.get())
            if (n->Next.get() == node) {
                link = &n->Next;
                break;
            }
    }
    if (!link) return;
    std::unique_ptr<TFiles> removed = std::move(*link);
    *link = std::move(removed->Next);
    if (head == node) head = link->get();
}

void ClearChildren(TFiles& owner) { owner.Children.reset(); }

std::string FitNodeName(std::string_view text) {
    std::string name(text.substr(0, os::utf8CutPoint(text, kMaxNodeName)));
    for (char& c : name)
        if (c == '\0') c = '_';
    return name;
}

std::string UniqueSiblingName(const TFiles* head, const TFiles* self, const std::string& name) {
    if (!NameTakenByOther(head, self, name)) return name;
    for (int n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        std::string candidate = FitNodeName(name.substr(0, os::utf8CutPoint(name, kMaxNodeName - suffix.size()))) + suffix;
        if (!NameTakenByOther(head, self, candidate)) return candidate;
    }
}

}  // namespace skimmer::panel
