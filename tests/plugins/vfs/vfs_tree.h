// The test plug-in's virtual file system: a small tree of folders and files held in memory, with a
// few names chosen to be hostile to a host (an escape sequence, a '/', bytes that are not UTF-8).
// Test-only code; it knows nothing of the host.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace skimmer::vfs {

struct Node {
    std::string name;
    bool isDir = false;
    std::string content;  // files only
    std::string description;
    std::vector<std::unique_ptr<Node>> children;

    Node* child(const std::string& childName) const;
    Node& add(std::string childName, bool dir, std::string text = {});
    bool remove(const std::string& childName);
};

// The tree every panel starts from:
//   docs/ (a.txt, deep/ (b.txt)), failing/ (its listing fails), hostile/ (three hostile names),
//   readme.txt. Every node has a description; those under hostile/ are hostile too (escape
//   sequences, bytes that are not UTF-8, 10,000 characters).
std::unique_ptr<Node> makeTree();

// Appends one line to the call log: the file named by SKIMMER_VFS_LOG, when set. Each call into
// the plug-in is one line, so a test can check the order and the pairing of calls.
void logCall(const std::string& line);

}  // namespace skimmer::vfs
