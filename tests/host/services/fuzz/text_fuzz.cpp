// Macro texts, key names, mask lists and XLat on arbitrary bytes: no crash, no undefined
// behaviour, and the round trips the services promise hold.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/services/key_names.h"
#include "host/services/macro_queue.h"
#include "host/services/name_mask.h"
#include "host/services/xlat.h"

using namespace skimmer::host::services;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    MacroParse parsed = parseMacroText(text);
    if (!parsed.ok && !parsed.actions.empty()) std::abort();  // an invalid text queues nothing

    if (auto key = nameToKey(text)) {
        auto name = keyToName(*key);
        if (name && nameToKey(*name) != key) std::abort();
    }

    size_t cut = text.find('\n');
    std::string_view mask = text.substr(0, cut);
    std::string_view name = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
    bool listMatch = matchMaskList(mask, name);
    if (mask.find_first_of(",;|\"") == std::string_view::npos && !mask.empty() &&
        mask.find_first_not_of(" \t") == 0 && mask.find_last_not_of(" \t") == mask.size() - 1 &&
        listMatch != matchMask(mask, name))
        std::abort();  // a list of one plain mask is that mask
    (void)generateName(name, mask, size % 7);

    std::string once = xlatRange(text, 0, static_cast<int>(size));
    if (xlatRange(once, 0, static_cast<int>(size)) != text) std::abort();  // the table is a bijection
    if (xlatRange(text, 0, static_cast<int>(size), false).size() > text.size()) std::abort();
    return 0;
}
