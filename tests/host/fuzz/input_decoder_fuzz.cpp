// Feeds arbitrary bytes to the input decoder in arbitrary splits, with timeouts in between, and
// checks what must always hold: bounded memory, no crash, keys inside FAR's key space.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/term/input_decoder.h"

using namespace skimmer::host::term;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputDecoder decoder;
    std::vector<InputEvent> out;
    size_t pos = 0;
    // The first byte of each chunk says how long the chunk is and whether the Esc timer (0x40) or
    // the paste timer (0x80) runs out after it.
    while (pos < size) {
        const size_t control = data[pos++];
        const size_t len = std::min<size_t>(control & 0x3F, size - pos);
        decoder.feed(std::string_view(reinterpret_cast<const char*>(data + pos), len), out);
        pos += len;
        if (control & 0x40) decoder.timeout(out);
        if (control & 0x80) decoder.pasteTimeout(out);
    }
    decoder.timeout(out);
    decoder.pasteTimeout(out);
    if (decoder.waiting() || decoder.pasting()) std::abort();  // after both timers nothing may be held
    for (const auto& e : out) {
        if (const auto* k = std::get_if<KeyEvent>(&e)) {
            const key::Code base = key::baseOf(k->code);
            if (base == 0 && k->code != (key::kCtrl | key::SPACE) && k->code != 0) std::abort();
            if (base > static_cast<key::Code>(KEY_END_FKEY)) std::abort();
        } else if (const auto* p = std::get_if<PasteEvent>(&e)) {
            if (p->text.size() > InputDecoder::kMaxPaste) std::abort();
        } else if (const auto* m = std::get_if<MouseEvent>(&e)) {
            if (m->x < 0 || m->y < 0) std::abort();
        }
    }
    return 0;
}
