// Fuzzes the query language: any bytes parse without crashing or hanging, the tree is evaluated
// on a fixed item, and the query text made from them round-trips through the connection's parser.
#include "index/query/matcher.h"
#include "index/query/query_parser.h"
#include "index/query/query_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace skimmer::index::query;

class FixedItem final : public ItemFacts {
public:
    std::string_view foldedName() override { return "report 2024.txt"; }
    int kindCode() override { return 2; }
    bool inFileSystem() override { return true; }
    std::string_view foldedExt() override { return "txt"; }
    std::optional<int64_t> size() override { return 4096; }
    std::optional<int64_t> mtime() override { return 1'700'000'000; }
    std::string_view foldedFolder() override { return "/home/user/docs"; }
    std::string_view foldedPath() override { return "/home/user/docs/report 2024.txt"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ParsedQuery parsed = parseQuery(text, 1'705'000'000);
    FixedItem item;
    (void)matches(parsed.root, item);
    (void)requiredNameWords(parsed.root);
    const auto back = parseQueryText(makeQueryText("System.ItemName", text));
    if (!back || back->userQuery != text) std::abort();
    return 0;
}
