#include <gtest/gtest.h>

#include "far/adv_control.h"
#include "far/keys.h"
#include "host/services/adv_control.h"
#include "host/services/key_names.h"
#include "host/services/macro_queue.h"

namespace skimmer::host::services {
namespace {

using A = MacroAction;

TEST(KeyNames, ValidNames) {
    struct Case {
        const char* name;
        int key;
    };
    for (auto c : {Case{"Enter", KEY_ENTER}, Case{"ENTER", KEY_ENTER}, Case{"enter", KEY_ENTER},
                   Case{"CtrlF10", KEY_CTRLF10}, Case{"ShiftEnter", KEY_SHIFTENTER}, Case{"Alt1", KEY_ALT1},
                   Case{"F4", KEY_F4}, Case{"Esc", KEY_ESC}, Case{"Home", KEY_HOME}, Case{"Space", KEY_SPACE},
                   Case{"CtrlShiftTab", KEY_CTRLSHIFTTAB}, Case{"ShiftCtrlTab", KEY_CTRLSHIFTTAB},
                   Case{"AltShiftF9", KEY_ALTSHIFTF9}, Case{"CtrlPgUp", KEY_CTRLPGUP}, Case{"Ctrla", KEY_CTRLA},
                   Case{"CtrlA", KEY_CTRLA}, Case{"RCtrl5", KEY_RCTRL5}, Case{"Clear", KEY_CLEAR},
                   Case{"Num5", KEY_NUMPAD5}, Case{"MsWheelUp", KEY_MSWHEEL_UP}, Case{"a", 'a'}, Case{"A", 'A'},
                   Case{"ж", U'ж'}, Case{"AltЖ", KEY_ALT | U'Ж'}, Case{"Altж", KEY_ALT | U'Ж'},
                   Case{"BackSlash", '\\'}, Case{"Ctrl[", KEY_CTRL | '['}, Case{"\"", '"'}, Case{"%", '%'}}) {
        EXPECT_EQ(nameToKey(c.name), c.key) << c.name;
    }
}

TEST(KeyNames, InvalidNames) {
    for (const char* bad : {"", "Ctrl", "CtrlShift", "Entr", "F25", "CtrlCtrlA", "ab", "Ctrl F1", " Enter", "\x1b",
                            "\xff", "Num10", "Shift+F1"}) {
        EXPECT_FALSE(nameToKey(bad)) << bad;
    }
}

TEST(KeyNames, KeysBackToFarNames) {
    EXPECT_EQ(keyToName(KEY_CTRLF10), "CtrlF10");
    EXPECT_EQ(keyToName(KEY_SHIFTENTER), "ShiftEnter");
    EXPECT_EQ(keyToName(KEY_CTRLALT | KEY_SHIFT | KEY_DEL), "CtrlAltShiftDel");
    EXPECT_EQ(keyToName(KEY_ALT | ' '), "AltSpace");
    EXPECT_EQ(keyToName(KEY_NUMPAD5), "Clear");
    EXPECT_EQ(keyToName(U'ё'), "ё");
    EXPECT_EQ(keyToName(KEY_CTRL | '['), "Ctrl[");
    EXPECT_FALSE(keyToName(0x40000000 | 'a')) << "an unknown modifier bit";
    EXPECT_FALSE(keyToName(0xD800));
    EXPECT_FALSE(keyToName(skimmer::farapi::specialKey(0x999)));
    for (const char* n : {"Enter", "CtrlF10", "AltShiftF9", "RCtrl5", "PgDn", "x", "Esc", "F24"})
        EXPECT_EQ(keyToName(*nameToKey(n)), n);
}

MacroParse parse(std::string_view text) {
    auto p = parseMacroText(text);
    EXPECT_TRUE(p.ok) << text << ": " << p.error;
    return p;
}

TEST(MacroText, KeysCharactersAndTexts) {
    EXPECT_EQ(parse("t m p : Space ENTER  l s").actions,
              (std::vector<A>{{A::Key, 't'}, {A::Key, 'm'}, {A::Key, 'p'}, {A::Key, ':'}, {A::Key, KEY_SPACE},
                              {A::Key, KEY_ENTER}, {A::Key, 'l'}, {A::Key, 's'}}));
    EXPECT_EQ(parse("\" \\ % $ ж").actions,
              (std::vector<A>{{A::Key, '"'}, {A::Key, '\\'}, {A::Key, '%'}, {A::Key, '$'}, {A::Key, U'ж'}}));
    EXPECT_EQ(parse("\"a b\\\"\\n\\x41\" $Text \"x y\" CtrlEnter").actions,
              (std::vector<A>{{A::Text, 0, "a b\"\nA"}, {A::Text, 0, "x y"}, {A::Key, KEY_CTRLENTER}}));
    EXPECT_EQ(parse("\xff").actions, (std::vector<A>{{A::Text, 0, "\xff"}})) << "a raw byte of a name";
    EXPECT_TRUE(parse("   ").actions.empty());
}

TEST(MacroText, PanelSetPos) {
    EXPECT_EQ(parse("panel.setpos(0,\"report.doc\")").actions,
              (std::vector<A>{{A::SetPanelPos, 0, "report.doc", 0}}));
    EXPECT_EQ(parse("%r=Panel.SetPos( 1 , \"my file (2).txt\");").actions,
              (std::vector<A>{{A::SetPanelPos, 0, "my file (2).txt", 1}}));
    EXPECT_EQ(parse("panel.setpos(0,\"a\\\\b \\\"q\\\").txt\\x01\") Enter").actions,
              (std::vector<A>{{A::SetPanelPos, 0, "a\\b \"q\").txt\x01", 0}, {A::Key, KEY_ENTER}}))
        << "the name is a string literal: escaped backslashes and quotes, and an escaped `\")` inside it";
    EXPECT_EQ(parse("panel.setpos(0,\"\")").actions, (std::vector<A>{{A::SetPanelPos, 0, "", 0}}));
}

TEST(MacroText, InvalidTextsQueueNothing) {
    struct Case {
        const char* text;
        const char* reason;
    };
    for (auto c : {Case{"Enter Bogus", "unknown key name \"Bogus\""}, Case{"\"open", "closing quote"},
                   Case{"\"a\\q\"", "unknown escape \\q"}, Case{"\"a\"b", "followed by a blank"},
                   Case{"\"\\x0\"", "bad \\x"}, Case{"$Text x", "$Text needs"},
                   Case{"panel.setpos(2,\"x\")", "panel 0 or 1"}, Case{"panel.setpos(0,x)", "quoted name"},
                   Case{"panel.setpos(0,\"x\"", "closing"}, Case{"panel.setpos(0,\"x\" Enter)", "closing"},
                   Case{"panel.setpos(0,\"a\\q\")", "unknown escape \\q"},
                   Case{"panel.setpos(0,\"x\")Enter", "followed by a blank"}, Case{"%x=msgbox(1)", "only panel.setpos"},
                   Case{"%x", "without a value"}, Case{"$If", "unknown key name"}}) {
        auto p = parseMacroText(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_TRUE(p.actions.empty());
        EXPECT_NE(p.error.find(c.reason), std::string::npos) << c.text << ": " << p.error;
    }
}

TEST(MacroQueue, PostsInOrderAndStaysBounded) {
    MacroQueue q;
    EXPECT_TRUE(q.post(parse("a b").actions, true));
    const uint32_t keys[] = {static_cast<uint32_t>(KEY_ENTER)};
    EXPECT_TRUE(q.postKeys(keys, 1, false));
    EXPECT_EQ(q.size(), 3u);
    EXPECT_EQ(q.next(), (A{A::Key, 'a', "", 0, true}));
    EXPECT_EQ(q.next(), (A{A::Key, 'b', "", 0, true}));
    EXPECT_EQ(q.next(), (A{A::Key, KEY_ENTER, "", 0, false}));
    EXPECT_FALSE(q.next());

    EXPECT_FALSE(q.postKeys(nullptr, 2, false));
    EXPECT_FALSE(q.postKeys(keys, -1, false));
    EXPECT_TRUE(q.postKeys(nullptr, 0, false));
    std::vector<uint32_t> many(kMaxQueuedActions, 'x');
    EXPECT_TRUE(q.postKeys(many.data(), static_cast<int>(many.size()), false));
    EXPECT_FALSE(q.postKeys(keys, 1, false)) << "full: refused whole";
    EXPECT_FALSE(q.post({{A::Key, 'y'}}, false));
    EXPECT_EQ(q.size(), kMaxQueuedActions);
    q.clear();
    EXPECT_TRUE(q.empty());
}

TEST(AdvControl, VersionHandleAndCommit) {
    MacroQueue q;
    std::string error;
    DWORD version = 0;
    EXPECT_EQ(serviceAdvControl(ACTL_GETFARVERSION, &version, q, error), INT_PTR(kHostFarVersion));
    EXPECT_EQ(version, MAKEFARVERSION(1, 70, kHostFarBuild));
    EXPECT_EQ(version, 0x08270146u);
    EXPECT_EQ(serviceAdvControl(ACTL_GETFARVERSION, nullptr, q, error), INT_PTR(kHostFarVersion));
    auto hwnd = serviceAdvControl(ACTL_GETFARHWND, nullptr, q, error);
    ASSERT_TRUE(hwnd);
    EXPECT_NE(*hwnd, 0);
    EXPECT_EQ(*hwnd, serviceAdvControl(ACTL_GETFARHWND, nullptr, q, error));
    EXPECT_EQ(serviceAdvControl(ACTL_COMMIT, nullptr, q, error), TRUE);
    EXPECT_FALSE(serviceAdvControl(ACTL_GETCOLOR, nullptr, q, error)) << "not ours: the app answers";
}

TEST(AdvControl, KeyMacroAndKeySequence) {
    MacroQueue q;
    std::string error;
    ActlKeyMacro macro{};
    macro.Command = MCMD_POSTMACROSTRING;
    macro.Param.PlainText.SequenceText = "panel.setpos(0,\"report.doc\")";
    macro.Param.PlainText.Flags = KSFLAGS_DISABLEOUTPUT;
    EXPECT_EQ(serviceAdvControl(ACTL_KEYMACRO, &macro, q, error), TRUE);
    EXPECT_EQ(q.next(), (A{A::SetPanelPos, 0, "report.doc", 0, true}));

    macro.Param.PlainText.SequenceText = "Enter NoSuchKey";
    EXPECT_EQ(serviceAdvControl(ACTL_KEYMACRO, &macro, q, error), FALSE);
    EXPECT_NE(error.find("NoSuchKey"), std::string::npos);
    EXPECT_TRUE(q.empty());
    macro.Param.PlainText.SequenceText = nullptr;
    EXPECT_EQ(serviceAdvControl(ACTL_KEYMACRO, &macro, q, error), FALSE);
    macro.Command = 99;
    EXPECT_EQ(serviceAdvControl(ACTL_KEYMACRO, &macro, q, error), FALSE);
    EXPECT_EQ(serviceAdvControl(ACTL_KEYMACRO, nullptr, q, error), FALSE);

    const DWORD keys[] = {static_cast<DWORD>(KEY_ENTER)};
    KeySequence seq{KSFLAGS_DISABLEOUTPUT, 1, keys};
    EXPECT_EQ(serviceAdvControl(ACTL_POSTKEYSEQUENCE, &seq, q, error), TRUE);
    EXPECT_EQ(q.next(), (A{A::Key, KEY_ENTER, "", 0, true}));
    seq.Sequence = nullptr;
    EXPECT_EQ(serviceAdvControl(ACTL_POSTKEYSEQUENCE, &seq, q, error), FALSE);
    EXPECT_EQ(serviceAdvControl(ACTL_POSTKEYSEQUENCE, nullptr, q, error), FALSE);
    EXPECT_TRUE(q.empty());
}

}  // namespace
}  // namespace skimmer::host::services
