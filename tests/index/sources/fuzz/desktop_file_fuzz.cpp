// Fuzz target: the .desktop key-file reader, the rules that turn an entry into an item, and the
// terminal-safe display of arbitrary bytes. Any input must parse without crashing, and the
// display text must never contain a control byte.
#include "index/sources/applications.h"
#include "index/storage/display_text.h"
#include "os/desktop_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const skimmer::os::DesktopFile entry = skimmer::os::parseDesktopFile(text);
    for (const char* key : {"Name", "Type", "Exec", "TryExec", "URL"}) {
        (void)entry.string("Desktop Entry", key);
        (void)entry.localeString("Desktop Entry", key, "sr_YU.UTF-8@latin");
    }
    (void)entry.boolean("Desktop Entry", "Hidden");
    (void)entry.stringList("Desktop Entry", "OnlyShowIn");
    skimmer::index::store::DesktopContext context{"GNOME:X", "de_DE", {"/nonexistent"}, [](const std::string&) { return false; }};
    (void)skimmer::index::store::desktopEntryItem(entry, "fuzz.desktop", "/f/fuzz.desktop", {}, context);
    const std::string shown = skimmer::index::store::terminalSafe(text);
    for (unsigned char c : shown)
        if (c < 0x20 || c == 0x7F) std::abort();
    (void)skimmer::index::store::keepEnd(shown, size % 50);
    return 0;
}
