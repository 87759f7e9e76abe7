// Registered dialogs without a screen: a table walked into FAR items and bindings, tables the
// walker refuses, settings it cannot bind, read-back and the lookups by name.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>

#include "dialogs/registered_dialog.h"

namespace skimmer::dialogs {
namespace {

using config::TConfigValue;

// A small settings table: a text, a yes/no value and a number.
struct Settings {
    Settings() {
        config::configAddValue(table, "SText", config::cvkString, true, TConfigValue::str("hello"));
        config::configAddValue(table, "SFlag", config::cvkBoolean, true, TConfigValue::boolean(true));
        config::configAddValue(table, "SMode", config::cvkInteger, true, TConfigValue::integer(2));
        table.reportError_ = [this](const std::string& e) { errors.push_back(e); };
    }
    TConfigValue get(const char* name) {
        TConfigValue value;
        EXPECT_TRUE(config::getConfigValue(table, name, value));
        return value;
    }
    config::TRegistryConfig table;
    std::vector<std::string> errors;
};

struct ItemShape {
    int type, x1, y1, x2, y2;
    DWORD flags;
    int selected;
    std::string data;
};

struct BindingShape {
    int itemIndex, param, kind;
    std::string name;
    bool bound;
};

struct WalkCase {
    std::string what;
    std::function<void(TDialogDescription&)> add;
    std::vector<ItemShape> items;  // after the header
    std::vector<BindingShape> bindings;
};

class WalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, EachCodeMakesItsItemsAndBinding) {
    Settings s;
    TDialogDescription table(50, 12);
    GetParam().add(table);
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, table, error)) << error;
    EXPECT_TRUE(s.errors.empty());

    ASSERT_EQ(dialog.ItemCount, static_cast<int>(GetParam().items.size()) + 1);
    const FarDialogItem& header = dialog.Items[0];
    EXPECT_EQ((std::vector<int>{header.Type, header.X1, header.Y1, header.X2, header.Y2}),
              (std::vector<int>{-1, -1, -1, 50, 12}));
    for (size_t i = 0; i < GetParam().items.size(); ++i) {
        const ItemShape& want = GetParam().items[i];
        const FarDialogItem& got = dialog.Items[i + 1];
        SCOPED_TRACE("item " + std::to_string(i + 1));
        EXPECT_EQ((std::vector<int>{got.Type, got.X1, got.Y1, got.X2, got.Y2, got.Selected, got.Focus}),
                  (std::vector<int>{want.type, want.x1, want.y1, want.x2, want.y2, want.selected, 0}));
        EXPECT_EQ(got.Flags, want.flags);
        EXPECT_EQ(std::string(got.Data), want.data);
    }
    ASSERT_EQ(dialog.NameCount, static_cast<int>(GetParam().bindings.size()));
    for (size_t i = 0; i < GetParam().bindings.size(); ++i) {
        const BindingShape& want = GetParam().bindings[i];
        const TDialogBinding& got = dialog.Names[i];
        EXPECT_EQ((std::vector<int>{got.ItemIndex, got.Param, got.Kind}),
                  (std::vector<int>{want.itemIndex, want.param, want.kind}));
        EXPECT_EQ(got.Name, want.name);
        EXPECT_EQ(!std::holds_alternative<std::monostate>(got.Value), want.bound);
    }
}

constexpr DWORD kSep = DIF_BOXCOLOR | DIF_SEPARATOR;

INSTANTIATE_TEST_SUITE_P(Codes, WalkTest, ::testing::Values(
    WalkCase{"box", [](auto& t) { t.box(3, 1, 46, 10, 0, "Settings"); },
             {{DI_DOUBLEBOX, 3, 1, 46, 10, 0, 0, "Settings"}}, {}},
    WalkCase{"separator keeps its own flags", [](auto& t) { t.separator(5, DIF_DISABLE); },
             {{DI_TEXT, 0, 5, 0, 5, DIF_DISABLE | kSep, 0, ""}}, {{1, 0, DI_TEXT, "", false}}},
    WalkCase{"radio group on 2 selects the third", [](auto& t) {
                 t.radioGroup("SMode", {{5, 3, 0, "&One"}, {5, 4, DIF_DISABLE, "&Two"}, {20, 3, 0, "T&hree"}});
             },
             {{DI_RADIOBUTTON, 5, 3, 5, 3, DIF_GROUP, 0, "&One"},
              {DI_RADIOBUTTON, 5, 4, 5, 4, DIF_DISABLE, 0, "&Two"},
              {DI_RADIOBUTTON, 20, 3, 20, 3, 0, 1, "T&hree"}},
             {{1, 4, DI_RADIOBUTTON, "SMode", true}}},
    WalkCase{"button", [](auto& t) { t.button(10, 9, 0, "&OK", "BOK", nullptr); },
             {{DI_BUTTON, 10, 9, 10, 9, 0, 0, "&OK"}}, {{1, 0, DI_BUTTON, "BOK", false}}},
    WalkCase{"edit shows the setting", [](auto& t) { t.edit(5, 7, 4, 0, "SText"); },
             {{DI_EDIT, 5, 7, 8, 7, 0, 0, "hello"}}, {{1, 1, DI_EDIT, "SText", true}}},
    WalkCase{"label: the hot-key mark takes no column", [](auto& t) { t.label(26, 7, 0, "LWidth", "&Width:"); },
             {{DI_TEXT, 26, 7, 31, 7, 0, 0, "&Width:"}}, {{1, 0, DI_TEXT, "LWidth", false}}},
    WalkCase{"label counts characters, not bytes", [](auto& t) { t.label(2, 2, 0, "LSize", "Größe:"); },
             {{DI_TEXT, 2, 2, 7, 2, 0, 0, "Größe:"}}, {{1, 0, DI_TEXT, "LSize", false}}},
    WalkCase{"disabled check box on a true setting", [](auto& t) { t.checkBox(5, 4, DIF_DISABLE, "&Flag", "SFlag"); },
             {{DI_CHECKBOX, 5, 4, 5, 4, DIF_DISABLE, 1, "&Flag"}}, {{1, 1, DI_CHECKBOX, "SFlag", true}}},
    WalkCase{"items follow each other in table order",
             [](auto& t) {
                 t.box(3, 1, 46, 10, 0, "T").label(5, 2, 0, "LText", "&Text:").edit(12, 2, 10, 0, "SText");
                 t.radioGroup("SMode", {{5, 4, 0, "&A"}, {5, 5, 0, "&B"}}).checkBox(5, 6, 0, "&F", "SFlag");
             },
             {{DI_DOUBLEBOX, 3, 1, 46, 10, 0, 0, "T"}, {DI_TEXT, 5, 2, 9, 2, 0, 0, "&Text:"},
              {DI_EDIT, 12, 2, 21, 2, 0, 0, "hello"}, {DI_RADIOBUTTON, 5, 4, 5, 4, DIF_GROUP, 0, "&A"},
              {DI_RADIOBUTTON, 5, 5, 5, 5, 0, 0, "&B"}, {DI_CHECKBOX, 5, 6, 5, 6, 0, 1, "&F"}},
             {{2, 0, DI_TEXT, "LText", false}, {3, 1, DI_EDIT, "SText", true},
              {4, 4, DI_RADIOBUTTON, "SMode", true}, {6, 1, DI_CHECKBOX, "SFlag", true}}}),
    [](const auto& info) {
        std::string name;
        for (char c : info.param.what) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(RegisteredDialog, ButtonsLearnTheIndexDialogExReturnsForThem) {
    Settings s;
    int32_t ok = -7, cancel = -7;
    TDialogDescription table(40, 10);
    table.box(3, 1, 36, 8, 0, "T").radioGroup("SMode", {{5, 2, 0, "&A"}, {5, 3, 0, "&B"}});
    table.button(5, 6, 0, "&OK", "BOK", &ok).button(15, 6, 0, "&Cancel", "BCancel", &cancel);
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, table, error)) << error;
    EXPECT_EQ(ok, 3) << "box 0, options 1 and 2";
    EXPECT_EQ(cancel, 4);
    EXPECT_EQ(ItemIndexByName(dialog, "BCancel"), cancel);
    EXPECT_EQ(ItemIndexByName(dialog, "SMode"), 1) << "a group is found by its first option";
    // FAR indexes 0..4 against the group of two at 1..2.
    std::vector<int> options;
    for (int i = -1; i <= 4; ++i) options.push_back(RadioOptionByName(dialog, "SMode", i));
    EXPECT_EQ(options, (std::vector<int>{-1, -1, 0, 1, -1, -1}));
    EXPECT_EQ(RadioOptionByName(dialog, "BOK", ok), -1) << "a button is no group";
}

struct BadCase {
    std::string what;
    std::vector<TDescriptionValue> items;  // after a valid header, or the whole table when `whole`
    std::string error;                     // a part of the message
    bool whole = false;
};

class BadTableTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadTableTest, IsRefusedWholeWithTheValueNamed) {
    Settings s;
    TDialogDescription table = GetParam().whole ? TDialogDescription::fromValues(GetParam().items) : TDialogDescription(40, 10);
    if (!GetParam().whole)
        for (const auto& value : GetParam().items) table.raw(value);
    // What a dialog held before is gone after a refused table.
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, TDialogDescription(40, 10).checkBox(1, 1, 0, "&F", "SFlag"), error));

    EXPECT_FALSE(RegisterDialog(dialog, s.table, table, error));
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
    EXPECT_EQ(dialog.ItemCount, 0);
    EXPECT_TRUE(dialog.Items.empty());
    EXPECT_EQ(dialog.NameCount, 0);
    EXPECT_TRUE(dialog.Names.empty());
    EXPECT_EQ(RunRegisteredDialog(platform::HostTables{}, dialog, true, -1, 0, "", nullptr), -1)
        << "an empty dialog is never shown";
}

std::vector<TDescriptionValue> v(std::initializer_list<TDescriptionValue> values) { return values; }

INSTANTIATE_TEST_SUITE_P(Tables, BadTableTest, ::testing::Values(
    BadCase{"code 2", v({int64_t{2}, int64_t{1}}), "value 6 (type code): 2 is not an item type"},
    BadCase{"code 8", v({int64_t{8}}), "is 8, outside 0..7"},
    BadCase{"negative code", v({int64_t{-1}}), "type code"},
    BadCase{"five options", v({int64_t{3}, int64_t{5}, std::string("SMode")}), "option count): is 5, outside 1..4"},
    BadCase{"no options", v({int64_t{3}, int64_t{0}, std::string("SMode")}), "outside 1..4"},
    BadCase{"text for a number", v({int64_t{5}, std::string("5"), int64_t{1}, int64_t{4}, int64_t{0},
                                     std::string("SText")}), "(X): is not a number"},
    BadCase{"number for a name", v({int64_t{7}, int64_t{1}, int64_t{1}, int64_t{0}, std::string("&F"), int64_t{3}}),
            "(setting name): is not a text"},
    BadCase{"ends inside an item", v({int64_t{6}, int64_t{1}, int64_t{1}, int64_t{0}, std::string("LName")}),
            "ends inside an item, where its text should be"},
    BadCase{"flags past 32 bits", v({int64_t{1}, int64_t{3}, int64_t{0x100000000}}), "(flags): is 4294967296"},
    BadCase{"negative coordinate", v({int64_t{1}, int64_t{-2}, int64_t{0}}), "(Y): is -2"},
    BadCase{"edit of width 0", v({int64_t{5}, int64_t{1}, int64_t{1}, int64_t{0}, int64_t{0}, std::string("SText")}),
            "(width): is 0"},
    BadCase{"edit past the last column", v({int64_t{5}, int64_t{32000}, int64_t{1}, int64_t{1000}, int64_t{0},
                                            std::string("SText")}), "takes the field past column 32767"},
    BadCase{"result that is not a variable",
            v({int64_t{4}, int64_t{1}, int64_t{1}, int64_t{0}, std::string("&OK"), std::string("BOK"), int64_t{0}}),
            "(result variable): is not a variable"},
    BadCase{"empty table", {}, "ends inside an item, where its header type should be", true},
    BadCase{"header not centred", v({int64_t{-1}, int64_t{0}, int64_t{-1}, int64_t{40}, int64_t{10}, int64_t{0}}),
            "(header X1): is 0, outside -1..-1", true},
    BadCase{"header of width 0", v({int64_t{-1}, int64_t{-1}, int64_t{-1}, int64_t{0}, int64_t{10}, int64_t{0}}),
            "(width): is 0", true},
    BadCase{"header flags", v({int64_t{-1}, int64_t{-1}, int64_t{-1}, int64_t{40}, int64_t{10}, int64_t{8}}),
            "(header flags)", true}));

struct UnboundCase {
    std::string what;
    std::function<void(TDialogDescription&)> add;
    std::string report;  // a part of the one message
};

class UnboundTest : public ::testing::TestWithParam<UnboundCase> {};

TEST_P(UnboundTest, IsReportedOnceShownAndNeverWrittenBack) {
    Settings s;
    TDialogDescription table(40, 10);
    GetParam().add(table);
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, table, error)) << error;
    ASSERT_EQ(s.errors.size(), 1u);
    EXPECT_NE(s.errors[0].find(GetParam().report), std::string::npos) << s.errors[0];
    ASSERT_EQ(dialog.ItemCount, 2) << "the item is still shown";
    EXPECT_TRUE(std::holds_alternative<std::monostate>(dialog.Names.at(0).Value));

    const auto before = s.table.Elements;
    std::strcpy(dialog.Items[1].Data, "typed");
    dialog.Items[1].Selected = 0;
    ReadBackValues(dialog);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(s.table.Elements[i].StrValue, before[i].StrValue);
        EXPECT_EQ(s.table.Elements[i].IntValue, before[i].IntValue);
        EXPECT_EQ(s.table.Elements[i].BoolValue, before[i].BoolValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, UnboundTest, ::testing::Values(
    UnboundCase{"unknown", [](auto& t) { t.edit(1, 1, 10, 0, "SNothing"); }, "SNothing"},
    UnboundCase{"case matters", [](auto& t) { t.checkBox(1, 1, 0, "&F", "sflag"); }, "sflag"},
    UnboundCase{"edit on a number", [](auto& t) { t.edit(1, 1, 10, 0, "SMode"); }, "\"SMode\" does not hold a text"},
    UnboundCase{"check box on a text", [](auto& t) { t.checkBox(1, 1, 0, "&F", "SText"); },
                "\"SText\" does not hold a yes/no value"},
    UnboundCase{"radio group on a flag", [](auto& t) { t.radioGroup("SFlag", {{1, 1, 0, "&A"}}); },
                "\"SFlag\" does not hold a number"}));

TEST(RegisteredDialog, LabelsAndButtonsNameItemsNotSettings) {
    Settings s;
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table,
                               TDialogDescription(40, 10).label(1, 1, 0, "LWidth", "&Width:").button(1, 2, 0, "&OK",
                                                                                                     "BOK", nullptr),
                               error));
    EXPECT_TRUE(s.errors.empty()) << "no setting is looked up for a label or a button";
}

struct CutCase {
    std::string text;
    size_t kept;  // bytes left in Data
};

class DataCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(DataCutTest, LongTextsAreCutOnACharacterBoundary) {
    Settings s;
    ASSERT_TRUE(config::setConfigValue(s.table, "SText", TConfigValue::str(GetParam().text)));
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table,
                               TDialogDescription(40, 10).label(1, 1, 0, "L", GetParam().text).edit(1, 2, 9, 0, "SText"),
                               error));
    for (int i : {1, 2}) {
        EXPECT_EQ(std::strlen(dialog.Items[i].Data), GetParam().kept);
        EXPECT_EQ(std::string(dialog.Items[i].Data), GetParam().text.substr(0, GetParam().kept));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, DataCutTest, ::testing::Values(
    CutCase{std::string(511, 'a'), 511},
    CutCase{std::string(512, 'a'), 511},
    CutCase{std::string(510, 'a') + "\u00e9", 510},        // a two-byte character would end at 512
    CutCase{std::string(508, 'a') + "\u20ac\u20ac", 511}));  // the first three-byte one fits exactly

struct ReadBackCase {
    std::string what;
    std::function<void(TRegisteredDialog&)> user;  // what the user left in the items
    std::string text;
    bool flag;
    int mode;
};

class ReadBackTest : public ::testing::TestWithParam<ReadBackCase> {};

// Items: 1 edit "SText", 2..3 radio "SMode" (two options), 4 check box "SFlag", 5..6 a second
// group bound to nothing.
TEST_P(ReadBackTest, CopiesWhatTheItemsHoldIntoTheSettings) {
    Settings s;
    TDialogDescription table(40, 10);
    table.edit(1, 1, 20, 0, "SText").radioGroup("SMode", {{1, 2, 0, "&A"}, {1, 3, 0, "&B"}});
    table.checkBox(1, 4, 0, "&F", "SFlag").radioGroup("", {{1, 5, 0, "&C"}, {1, 6, 0, "&D"}});
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, table, error)) << error;
    GetParam().user(dialog);
    ReadBackValues(dialog);
    EXPECT_EQ(s.get("SText"), TConfigValue::str(GetParam().text));
    EXPECT_EQ(s.get("SFlag"), TConfigValue::boolean(GetParam().flag));
    EXPECT_EQ(s.get("SMode"), TConfigValue::integer(GetParam().mode));
}

INSTANTIATE_TEST_SUITE_P(Items, ReadBackTest, ::testing::Values(
    ReadBackCase{"untouched: the second option stays unselected for 2", [](auto&) {}, "hello", true, -1},
    ReadBackCase{"edited verbatim",
                 [](auto& d) {
                     std::strcpy(d.Items[1].Data, "  two  words\t");
                     d.Items[2].Selected = 1;
                     d.Items[4].Selected = 0;
                 },
                 "  two  words\t", false, 0},
    ReadBackCase{"second option",
                 [](auto& d) {
                     d.Items[3].Selected = 1;
                     d.Items[1].Data[0] = '\0';
                 },
                 "", true, 1},
    ReadBackCase{"a selected item after a short group is not one of its options",
                 [](auto& d) { d.Items[5].Selected = 1; }, "hello", true, -1}));

TEST(RegisteredDialog, LookupsFindTheFirstItemOfAnExactName) {
    Settings s;
    TDialogDescription table(40, 10);
    table.label(1, 1, 0, "LWidth", "&Width:").edit(9, 1, 5, 0, "SText").label(1, 2, 0, "LWidth", "Second");
    table.checkBox(1, 3, 0, "&F", "SFlag");
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, s.table, table, error)) << error;
    dialog.Items[4].Focus = 1;

    EXPECT_EQ(GetItemText(dialog, "LWidth"), "&Width:");
    EXPECT_EQ(GetItemText(dialog, "SText"), "hello");
    EXPECT_EQ(GetItemText(dialog, "lwidth"), "");
    EXPECT_EQ(ItemIndexByName(dialog, "SFlag"), 3);
    EXPECT_EQ(ItemIndexByName(dialog, "None"), -1);

    SetFocusByName(dialog, "Nothing");
    EXPECT_EQ(dialog.Items[4].Focus, 1) << "an unknown name changes nothing";
    SetFocusByName(dialog, "SText");
    for (int i = 0; i < dialog.ItemCount; ++i) EXPECT_EQ(dialog.Items[i].Focus, i == 2 ? 1 : 0) << i;
}

}  // namespace
}  // namespace skimmer::dialogs
