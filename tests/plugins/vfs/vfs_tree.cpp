#include "tests/plugins/vfs/vfs_tree.h"

#include <cstdio>
#include <cstdlib>

namespace skimmer::vfs {

Node* Node::child(const std::string& childName) const {
    for (const auto& c : children)
        if (c->name == childName) return c.get();
    return nullptr;
}

Node& Node::add(std::string childName, bool dir, std::string text) {
    auto node = std::make_unique<Node>();
    node->name = std::move(childName);
    node->isDir = dir;
    node->content = std::move(text);
    children.push_back(std::move(node));
    return *children.back();
}

bool Node::remove(const std::string& childName) {
    for (auto it = children.begin(); it != children.end(); ++it) {
        if ((*it)->name == childName) {
            children.erase(it);
            return true;
        }
    }
    return false;
}

std::unique_ptr<Node> makeTree() {
    auto root = std::make_unique<Node>();
    root->isDir = true;
    Node& docs = root->add("docs", true);
    docs.description = "Documents";
    docs.add("a.txt", false, "alpha\n").description = "The first letter";
    docs.add("deep", true).add("b.txt", false, "beta\n");
    root->add("failing", true).add("never.txt", false, "never listed\n");
    Node& hostile = root->add("hostile", true);
    hostile.add("\x1b]0;pwned\x07\x1b[31mred.txt", false, "escape\n").description = "\x1b[2J\x1b]0;owned\x07" "cleared";
    hostile.add("up/../../escape.txt", false, "slash\n").description = "long " + std::string(10000, 'x');
    hostile.add("bad\xff\xfe.txt", false, "bytes\n").description = "bad\xff\xfe\x9b" "31mbytes";
    root->add("readme.txt", false, "read me\n").description = "Read me first";
    return root;
}

void logCall(const std::string& line) {
    const char* path = std::getenv("SKIMMER_VFS_LOG");
    if (path == nullptr || *path == '\0') return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

}  // namespace skimmer::vfs
