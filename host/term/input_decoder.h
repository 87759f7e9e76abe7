// Turns the bytes a terminal sends into key, mouse and paste events.
//
// Contract:
// - Pure: no clock, no I/O. Bytes arrive in any split; a sequence cut in the middle is held until
//   more bytes come or the caller says the timeout elapsed (`timeout()`), which is how a lone Esc
//   is told apart from the start of an escape sequence. The caller arms a ~25 ms timer while
//   `waiting()` is true.
// - Understands the legacy VT/xterm encodings, the Linux console's F1..F5, xterm's modifyOtherKeys
//   (CSI 27;mod;code ~), the kitty keyboard protocol's CSI code;mod u, SGR mouse (CSI < ... M/m) and
//   bracketed paste (CSI 200~ ... CSI 201~).
// - A paste never holds the keyboard hostage: when its end marker does not come, the caller's
//   paste timer (`kPasteIdle` without a byte while `pasting()`) calls `pasteTimeout()`, which
//   delivers what was read as pasted text; the keys after it are keys again.
// - Never turns garbage into keys: an unknown or over-long sequence is dropped whole, invalid UTF-8
//   is dropped, and memory is bounded (`kMaxSequence` for a sequence, `kMaxPaste` for a paste).
//
// Fallbacks for keys a legacy terminal cannot tell apart (documented in `skimmer --help`):
//   LF (Ctrl+J)  -> Ctrl+Enter;   Alt+Enter -> Shift+Enter;   0x08 (Ctrl+H, Ctrl+BS) -> Ctrl+BS.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/term/input_event.h"

namespace skimmer::host::term {

class InputDecoder {
public:
    static constexpr size_t kMaxSequence = 64;
    static constexpr size_t kMaxPaste = 1 << 20;
    // Terminals send a paste in one burst (split by the pty at most into page-sized reads), so a
    // half-second pause means the end marker was lost; a person's next key comes later than that.
    static constexpr std::chrono::milliseconds kPasteIdle{500};

    // Decodes as much as can be decided now; events are appended to `out`.
    void feed(std::string_view bytes, std::vector<InputEvent>& out);

    // The caller's timer ran out with no new bytes: whatever is held is decided now (a lone ESC is
    // the Esc key). A bracketed paste in progress keeps waiting for its end marker.
    void timeout(std::vector<InputEvent>& out);

    // True while bytes are held that a timeout would decide.
    bool waiting() const { return !pending_.empty() && !inPaste_; }

    // True while a bracketed paste is open (its end marker not seen yet).
    bool pasting() const { return inPaste_; }

    // No byte came for `kPasteIdle` while `pasting()`: the paste ends here, with everything read
    // since its start marker (a held partial end marker included) delivered as one paste event.
    void pasteTimeout(std::vector<InputEvent>& out);

private:
    enum class Parse { Done, NeedMore, Invalid };
    struct Step {
        Parse parse;
        size_t consumed;
    };

    void process(std::vector<InputEvent>& out, bool flush);
    Step parseOne(std::vector<InputEvent>& out, bool flush);
    Step parseEscape(std::vector<InputEvent>& out, bool flush);
    Step parseCsi(size_t start, std::vector<InputEvent>& out, bool alt);
    Step parseSs3(size_t start, std::vector<InputEvent>& out, bool alt);
    Step parseText(std::vector<InputEvent>& out, bool flush);
    void takePaste(std::vector<InputEvent>& out);
    void mouse(const std::vector<int>& params, bool release, std::vector<InputEvent>& out);

    std::string pending_;
    bool skippingCsi_ = false;
    bool inPaste_ = false;
    std::string paste_;
    bool pasteTruncated_ = false;
    uint32_t mouseButtons_ = 0;
};

// Long enough to bridge the gaps inside one paste, short enough that the keys after a lost end
// marker work again before a person wonders why.
static_assert(InputDecoder::kPasteIdle >= std::chrono::milliseconds(100) &&
              InputDecoder::kPasteIdle <= std::chrono::seconds(1));

// The key for a code point typed with modifiers (xterm's modifier parameter minus one: bit 0 Shift,
// bit 1 Alt, bit 2 Ctrl, bit 3 Meta = Alt). Shared by the legacy, modifyOtherKeys and kitty paths.
key::Code keyFromCodePoint(char32_t cp, int modifierBits);

}  // namespace skimmer::host::term
