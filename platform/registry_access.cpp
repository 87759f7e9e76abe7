#include "platform/registry_access.h"

#include <vector>

namespace skimmer::platform {

namespace {

// The keys `names` below `path`, each opened once and closed before its subkeys are walked.
void walkBelow(RegistryAccess& registry, const std::string& path, const std::vector<std::string>& names, size_t depth,
               const RegistryAccess::TreeVisit& visit) {
    for (const std::string& name : names) {
        const std::string childPath = path + "\\" + name;
        auto child = registry.openKey(childPath);
        if (!child) continue;  // gone between the listing and the open: a store without a batch view
        // readValues lends its views for its call only: the walk's visit gets copies of its own.
        struct Owned {
            std::string name;
            RegistryValueType type;
            std::string data;
        };
        std::vector<Owned> owned;
        child->readValues([&](const RegistryValue& v) { owned.push_back({std::string(v.name), v.type, std::string(v.data)}); });
        std::vector<RegistryValue> values;
        values.reserve(owned.size());
        for (const Owned& v : owned) values.push_back({.name = v.name, .type = v.type, .data = v.data});
        const std::vector<std::string> below = child->subkeys();
        child.reset();
        visit({.depth = depth, .name = name, .values = values});
        walkBelow(registry, childPath, below, depth + 1, visit);
    }
}

}  // namespace

bool RegistryAccess::readTree(std::string_view path, const TreeVisit& visit) {
    const auto batch = beginBatch();  // one consistent view; destroyed uncommitted, it writes nothing
    auto key = openKey(path);
    if (!key) return false;
    const std::vector<std::string> names = key->subkeys();
    key.reset();
    walkBelow(*this, std::string(path), names, 1, visit);
    return true;
}

std::string joinKeyPath(std::string_view parent, std::string_view child) {
    std::string path(parent);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (child.empty()) return path;
    if (!path.empty()) path += '\\';
    path += child;
    return path;
}

}  // namespace skimmer::platform
