// A terminal emulator in memory (libvterm) for tests: bytes in, screen text and FAR colours out.
// The renderer's tests feed it rendered frames; the end-to-end harness feeds it a program's output.
// It also answers the terminal queries the host sends, like a real terminal would.
#pragma once

#include <vterm.h>

#include <string>
#include <string_view>

namespace skimmer::test {

class VtermScreen {
public:
    VtermScreen(int cols, int rows);
    ~VtermScreen();
    VtermScreen(const VtermScreen&) = delete;
    VtermScreen& operator=(const VtermScreen&) = delete;

    void feed(std::string_view bytes);
    void resize(int cols, int rows);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    std::string textAt(int row) const;   // UTF-8; a wide character once; blank cells as spaces
    std::string screenText() const;      // all rows joined with '\n'
    int attrAt(int x, int y) const;      // FAR attribute, -1 when a colour is the terminal default
    bool contains(std::string_view text) const;
    std::string takeReplies();            // what the terminal answered to queries since the last call

    bool altScreen() const { return altScreen_; }
    bool cursorVisible() const { return cursorVisible_; }
    int mouseMode() const { return mouseMode_; }
    int cursorX() const;
    int cursorY() const;

private:
    static int onTermProp(VTermProp prop, VTermValue* value, void* user);
    static void onOutput(const char* bytes, size_t len, void* user);

    VTerm* vt_;
    VTermScreen* screen_;
    int cols_, rows_;
    bool altScreen_ = false;
    bool cursorVisible_ = true;
    int mouseMode_ = 0;
    std::string replies_;
};

}  // namespace skimmer::test
