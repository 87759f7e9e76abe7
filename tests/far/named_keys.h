// Every named key of far/keys.h without modifiers, collected from the header's own list so that a
// key added there is checked by every key test too.
#pragma once

#include <vector>

#include "far/keys.h"

namespace skimmer::farapi::test {

inline std::vector<int> namedKeys() {
    std::vector<int> keys;
#define SKIMMER_COLLECT(name, value) keys.push_back(KEY_##name);
    SKIMMER_FAR_NAMED_KEYS(SKIMMER_COLLECT)
#undef SKIMMER_COLLECT
    for (int key : {KEY_NONE, KEY_IDLE, KEY_CTRLALTSHIFTPRESS, KEY_CTRLALTSHIFTRELEASE}) keys.push_back(key);
    return keys;
}

}  // namespace skimmer::farapi::test
