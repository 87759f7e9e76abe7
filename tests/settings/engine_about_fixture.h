// What the engine settings, panel settings and About box tests add to the shared settings
// fixture: FAR's version as the host reports it, setting a value and saving it as a start point,
// one value as a fresh start would read it, and the language texts by number.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "dialogs/registered_dialog.h"
#include "tests/settings/settings_fixture.h"

namespace skimmer::settings::test {

// One FAR item as the item tables give it: kind, place, flags, text, initial state.
struct ItemRow {
    int type;
    int x1, y1;
    DWORD flags;
    std::string text;
    int selected = 0;
    bool operator==(const ItemRow&) const = default;
};

inline void PrintTo(const ItemRow& item, std::ostream* out) {
    *out << "{" << item.type << ", " << item.x1 << ", " << item.y1 << ", 0x" << std::hex << item.flags << std::dec
         << ", \"" << item.text << "\", " << item.selected << "}";
}

// The dialog's real items (the header left out).
inline std::vector<ItemRow> itemRows(const dialogs::TRegisteredDialog& dialog) {
    std::vector<ItemRow> rows;
    for (size_t i = 1; i < dialog.Items.size(); ++i) {
        const FarDialogItem& it = dialog.Items[i];
        rows.push_back({it.Type, it.X1, it.Y1, it.Flags, it.Data, it.Selected});
    }
    return rows;
}

class EngineAboutTest : public SettingsDialogTest {
protected:
    EngineAboutTest() { env.FarVersion = host.farVersion; }
    void set(const char* name, const config::TConfigValue& value) {
        EXPECT_TRUE(config::setConfigValue(store->config, name, value)) << name;
    }
    // Writes the settings as they are now, so that the file exists to be compared with.
    void saveNow() {
        config::configSaveValues(store->config);
        faults.resetCounts();
    }
    config::TConfigValue stored(const char* name) const { return fresh().get(name); }
    std::string msg(int number) const { return host.messages().at(static_cast<size_t>(number)); }
};

}  // namespace skimmer::settings::test
