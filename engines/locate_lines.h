// The line splitter of the locate engine: pieces of a program's output go in, complete lines come
// out, the text after the last line end waits for the next piece.
//
// Contract: lines end at LF; a CR just before the LF belongs to the line end. Blank lines and lines
// holding a NUL are dropped (counted in `dropped`). A line that grows beyond `maxLine` bytes is
// dropped whole, its bytes discarded as they come, so memory stays bounded whatever the input.
// finish() hands out the unterminated rest as a last line. Bytes are never altered otherwise.
// IsLocateHitLine tells which of those lines name something a hit can stand for.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace skimmer::engines {

// True when `line` can be a hit: an absolute path with a name after its last folder end
// (os/path_syntax.h: it starts with '/' on Linux, with "C:\" or "\\server" on Windows). A
// relative line would be run as a command found on the PATH by Enter, and a root or a line of
// blanks would be a hit with an empty name; the program prints neither for a file it found.
bool IsLocateHitLine(std::string_view line);

class LocateLineSplitter {
public:
    explicit LocateLineSplitter(size_t maxLine) : maxLine_(maxLine) {}

    // Calls `line` for every complete line of `carried text + piece`, in order.
    void feed(std::string_view piece, const std::function<void(std::string_view)>& line);
    // The text after the last line end, as a line of its own (if it is one).
    void finish(const std::function<void(std::string_view)>& line);

    size_t pendingBytes() const { return pending_.size(); }
    size_t dropped() const { return dropped_; }

private:
    void emit(std::string_view text, const std::function<void(std::string_view)>& line);

    size_t maxLine_;
    std::string pending_;
    bool overflowing_ = false;  // the current line is past maxLine_: skip to its end
    size_t dropped_ = 0;
};

}  // namespace skimmer::engines
