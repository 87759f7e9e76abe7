// The list box's messages on the scriptable test host: what each answers, what it asks of the
// host (item data, mouse notification, redraws, the error box), and what the owner hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "dialogs/list_box_ex.h"
#include "platform/host_tables.h"
#include "tests/dialogs/list_fixture.h"
#include "tests/support/test_host.h"

namespace skimmer::dialogs::test {
namespace {

constexpr int kOther = 0, kList = 2;
const HANDLE kDlg = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x51));

// FAR's letter functions for ASCII (its callback convention: stdcall on 32-bit Windows).
int FARAPI asciiIsAlpha(unsigned c) { return c < 0x80 && std::isalpha(static_cast<int>(c)); }
unsigned FARAPI asciiUpper(unsigned c) { return c < 0x80 ? static_cast<unsigned>(std::toupper(static_cast<int>(c))) : c; }

// The test plays the dialog: it keeps item data, gives the list a 10x4 rectangle, counts redraws,
// answers DN_LBX_ISLISTBOX for item 2 and, as an owner does, hands everything else to the list box.
struct ScriptedList {
    ScriptedList() {
        tables.copyFrom(host.startupInfo());
        tables.StandardFunctions.LIsAlpha = asciiIsAlpha;
        tables.StandardFunctions.LUpper = asciiUpper;
        env = {&tables, {0x1B1B, 0x3031, 0x1E1E, 0x7070}};
        host.dialogMessages = [this](HANDLE h, int msg, int p1, LONG_PTR p2) -> LONG_PTR {
            switch (msg) {
                case DM_GETITEMDATA: return itemData[p1];
                case DM_SETITEMDATA: return std::exchange(itemData[p1], p2);
                case DM_GETDLGITEM: {
                    auto* item = reinterpret_cast<FarDialogItem*>(p2);
                    *item = FarDialogItem{};
                    item->Type = DI_USERCONTROL;
                    item->X2 = 9;
                    item->Y2 = 3;
                    return TRUE;
                }
                case DM_REDRAW: ++redraws; return 0;
                case DM_SETMOUSEEVENTNOTIFY: case DM_CLOSE: return TRUE;
                case DN_LBX_ISLISTBOX: return p1 == kList;
                case DN_LBX_CURCHANGED: case DN_LBX_HOTKEY: heard.emplace_back(msg, p2); return 0;
                default: return ListBoxExProc(env, h, msg, p1, p2);
            }
        };
    }
    ~ScriptedList() {
        if (itemData[kList]) ListBoxExProc(env, kDlg, DM_LBX_FREE, kList, 0);
    }

    // The owner's procedure passing a message on.
    LONG_PTR send(int msg, LONG_PTR param2 = 0, int id = kList) { return ListBoxExProc(env, kDlg, msg, id, param2); }
    template <class T>
    LONG_PTR send(int msg, T* param2, int id = kList) { return send(msg, reinterpret_cast<LONG_PTR>(param2), id); }
    TListBoxExData& data() { return *reinterpret_cast<TListBoxExData*>(itemData[kList]); }
    void fill(const char* shape) {
        send(DM_LBX_INIT);
        TListBoxExAddItem add{listOf(shape).Items};
        send(DM_LBX_ADDITEMS, &add);
        heard.clear();
        redraws = 0;
        host.clearCalls();
    }

    skimmer::test::TestHost host;
    platform::HostTables tables;
    TListBoxExHost env;
    std::map<int, LONG_PTR> itemData;
    std::vector<std::pair<int, LONG_PTR>> heard;
    int redraws = 0;
};

class NotAListTest : public ::testing::TestWithParam<int> {};

TEST_P(NotAListTest, GoesToDefDlgProcUntouched) {
    ScriptedList list;
    for (int id : {kOther, kList}) {  // item 0 is no list; item 2 has no state yet
        list.host.clearCalls();
        list.send(GetParam(), 0x77, id);
        const auto calls = list.host.callsTo("DefDlgProc");
        ASSERT_EQ(calls.size(), 1u) << "item " << id;
        EXPECT_EQ(calls[0].args, (std::vector<long long>{GetParam(), id, 0x77}));
    }
    EXPECT_EQ(list.redraws, 0);
}

INSTANTIATE_TEST_SUITE_P(Messages, NotAListTest, ::testing::Values(
    DM_LBX_GETUSERDATA, DM_LBX_SETUSERDATA, DM_LBX_GETCURPOS, DM_LBX_GETFLAGS, DM_LBX_TOGGLEMARK, DM_LBX_FREE, DN_KEY,
    DN_KILLFOCUS, DN_BTNCLICK));

TEST(ListMessagesTest, InitCreatesTheStateOnceWithTheStylesColours) {
    ScriptedList list;
    EXPECT_EQ(list.send(DM_LBX_INIT, 0, kOther), 0) << "not a list";
    EXPECT_EQ(list.send(DM_LBX_INIT), 1);
    TListBoxExData& data = list.data();
    EXPECT_EQ(data.Colors, (std::array<uint8_t, 6>{0x1B, 0x1B, 0x1B, 0x31, 0x31, 0x1E}));
    EXPECT_EQ(data.Current, -1);
    EXPECT_EQ(data.Top, -1);
    const auto notify = list.host.callsTo("SendDlgMessage").back();
    EXPECT_EQ(notify.args[0], DM_SETMOUSEEVENTNOTIFY);
    EXPECT_EQ(notify.args[1], 1);
    EXPECT_EQ(list.send(DM_LBX_INIT), 0) << "the item already has a list";
    EXPECT_EQ(&list.data(), &data);
    EXPECT_EQ(list.send(DM_LBX_FREE), 1);
    EXPECT_EQ(list.itemData[kList], 0);
}

TEST(ListMessagesTest, InitTakesOverACallerMadeState) {
    ScriptedList list;
    auto* given = new TListBoxExData(listOf("...", 1, 0));
    given->UserData = 42;
    EXPECT_EQ(list.send(DM_LBX_INIT, given), 1);
    EXPECT_EQ(list.send(DM_LBX_GETUSERDATA), 42);
    EXPECT_EQ(list.send(DM_LBX_GETCURPOS), 1);
}

struct ReservedCase {
    int msg;
    LONG_PTR param2;
    bool shown;
};

class ReservedTest : public ::testing::TestWithParam<ReservedCase> {};

TEST_P(ReservedTest, ShowsErrorCode1000) {
    ScriptedList list;
    list.fill("..");
    if (GetParam().shown) list.host.answerMessage(0);
    EXPECT_EQ(list.send(GetParam().msg, GetParam().param2), 0);
    const auto boxes = list.host.callsTo("Message");
    ASSERT_EQ(boxes.size(), GetParam().shown ? 1u : 0u);
    if (GetParam().shown) {
        EXPECT_EQ(boxes[0].texts.back(), "Error: 1000");
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, ReservedTest, ::testing::Values(
    ReservedCase{DM_LBX_RESERVED1, 1, true}, ReservedCase{DM_LBX_RESERVED1, 0, false},
    ReservedCase{DM_LBX_RESERVED2, 0, true}, ReservedCase{DM_LBX_RESERVED3, 9, true}));

TEST(ListMessagesTest, PositionMessagesAnswerTheCurrentRowAndTellTheOwnerOnce) {
    ScriptedList list;
    list.fill("..s.....");
    TListBoxExPos pos;
    EXPECT_EQ(list.send(DM_LBX_GETCURPOS, &pos), 0);
    EXPECT_EQ(pos.Top, 0);
    TListBoxExPos want{2, 0};
    EXPECT_EQ(list.send(DM_LBX_SETCURPOS, &want), 3) << "the separator gives the row below";
    EXPECT_EQ(list.send(DM_LBX_SETCURPOS, &want), 3);
    EXPECT_EQ(list.heard, (std::vector<std::pair<int, LONG_PTR>>{{DN_LBX_CURCHANGED, 3}}));
    want = {7, 0};
    EXPECT_EQ(list.send(DM_LBX_SETCURPOS, &want), 7);
    list.send(DM_LBX_GETCURPOS, &pos);
    EXPECT_EQ(pos.Top, 4) << "the current row is the window's last";
    EXPECT_GT(list.redraws, 0);
}

struct RangeCase {
    int msg;
    LONG_PTR index;
    LONG_PTR result;
};

class IndexedMessageTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(IndexedMessageTest, AnIndexOutsideTheListDoesNothingAndAnswersZero) {
    ScriptedList list;
    list.fill(".m.");
    const auto before = list.data().Items;
    EXPECT_EQ(list.send(GetParam().msg, GetParam().index), GetParam().result);
    if (GetParam().result == 0) {
        EXPECT_EQ(list.redraws, 0);
        EXPECT_EQ(list.data().Items.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(list.data().Items[i].Flags, before[i].Flags);
    }
}

INSTANTIATE_TEST_SUITE_P(Indexes, IndexedMessageTest, ::testing::Values(
    RangeCase{DM_LBX_GETFLAGS, 1, kLbxMarked}, RangeCase{DM_LBX_GETFLAGS, 3, 0}, RangeCase{DM_LBX_GETFLAGS, -1, 0},
    RangeCase{DM_LBX_TOGGLEMARK, 0, 1}, RangeCase{DM_LBX_TOGGLEMARK, 3, 0},
    RangeCase{DM_LBX_MOVEUP, 1, 1}, RangeCase{DM_LBX_MOVEUP, 0, 0}, RangeCase{DM_LBX_MOVEDOWN, 1, 1},
    RangeCase{DM_LBX_MOVEDOWN, 2, 0}, RangeCase{DM_LBX_GETINDEXDATA, 5, 0}));

TEST(ListMessagesTest, ItemsGoInAndOutAsCopies) {
    ScriptedList list;
    list.fill("...");
    TListBoxExManageItem set{1, row(9, kLbxMarked)};
    set.Item.MarkChar = U'+';
    EXPECT_EQ(list.send(DM_LBX_SETITEM, &set), 1);
    set.Item.Text = "changed after";
    TListBoxExManageItem got{1, {}};
    EXPECT_EQ(list.send(DM_LBX_GETITEM, &got), 1);
    EXPECT_EQ(got.Item.Text, "row9");
    EXPECT_EQ(got.Item.MarkChar, U'+');
    EXPECT_EQ(got.Item.Attr[kLbxCurrent], TByteArray(4, 3));
    got.Index = 3;
    EXPECT_EQ(list.send(DM_LBX_GETITEM, &got), 0);
    TListBoxExManageItem insert{0, row(8)};
    EXPECT_EQ(list.send(DM_LBX_INSERT, &insert), 1);
    EXPECT_EQ(list.data().Count(), 4);
    insert.Index = 9;
    EXPECT_EQ(list.send(DM_LBX_INSERT, &insert), 0);
}

TEST(ListMessagesTest, OwnerValuesHotKeysAndAttributes) {
    ScriptedList list;
    list.fill("...");
    EXPECT_EQ(list.send(DM_LBX_SETUSERDATA, 0x1234), 1);
    EXPECT_EQ(list.send(DM_LBX_GETUSERDATA), 0x1234);
    TListBoxExIndexData value{2, 0, 0x7777};
    EXPECT_EQ(list.send(DM_LBX_SETINDEXDATA, &value), 0x7777);
    EXPECT_EQ(list.send(DM_LBX_GETINDEXDATA, 2), 0x7777);
    EXPECT_EQ(list.send(DM_LBX_GETINDEXDATA, 1), 0);
    TListBoxExHotKey hot{1, 'q'};
    EXPECT_EQ(list.send(DM_LBX_SETHOTKEY, &hot), 1);
    EXPECT_EQ(list.data().Items[1].HotKey, static_cast<uint32_t>('Q'));
    hot = {1, '7'};
    list.send(DM_LBX_SETHOTKEY, &hot);
    EXPECT_EQ(list.data().Items[1].HotKey, static_cast<uint32_t>('7'));
    TListBoxExAttr attr{0, kLbxHighlight, 2, 0x4E};
    EXPECT_EQ(list.send(DM_LBX_SETATTR, &attr), 1);
    EXPECT_EQ(list.data().Items[0].Attr[kLbxHighlight][2], 0x4E);
    TListBoxExColors colors{1, {0x2F}};
    EXPECT_EQ(list.send(DM_LBX_SETCOLORS, &colors), 1);
    EXPECT_EQ(list.data().Colors[0], 0x2F);
}

TEST(ListMessagesTest, KeysTheListIgnoresAndHotKeysGoOnOrToTheOwner) {
    ScriptedList list;
    list.fill("...");
    TListBoxExHotKey hot{2, 'x'};
    list.send(DM_LBX_SETHOTKEY, &hot);
    EXPECT_EQ(list.send(DN_KEY, 'x'), TRUE);
    EXPECT_EQ(list.heard, (std::vector<std::pair<int, LONG_PTR>>{{DN_LBX_HOTKEY, 2}, {DN_LBX_CURCHANGED, 2}}));
    list.host.clearCalls();
    EXPECT_EQ(list.send(DN_KEY, 'y'), 0);
    EXPECT_EQ(list.host.callsTo("DefDlgProc").size(), 1u) << "no row has it: passed on";
}

TEST(ListMessagesTest, AClickChoosesTheRowUnderThePointerThenCloses) {
    ScriptedList list;
    list.fill("......");
    MOUSE_EVENT_RECORD click{};
    click.dwMousePosition = {4, 2};
    click.dwButtonState = FROM_LEFT_1ST_BUTTON_PRESSED;
    EXPECT_EQ(list.send(DN_MOUSECLICK, &click), TRUE);
    EXPECT_EQ(list.data().Current, 2);
    const auto sent = list.host.callsTo("SendDlgMessage");
    const auto position = [&](int msg) {
        return std::find_if(sent.begin(), sent.end(), [&](const auto& call) { return call.args[0] == msg; }) - sent.begin();
    };
    ASSERT_LT(position(DM_CLOSE), static_cast<long>(sent.size()));
    EXPECT_EQ(sent[static_cast<size_t>(position(DM_CLOSE))].args[1], -1);
    EXPECT_LT(position(DN_LBX_CURCHANGED), position(DM_CLOSE)) << "the owner hears of the choice before the close";
    EXPECT_EQ(list.heard, (std::vector<std::pair<int, LONG_PTR>>{{DN_LBX_CURCHANGED, 2}}));

    click.dwButtonState = RIGHTMOST_BUTTON_PRESSED;
    list.host.clearCalls();
    list.send(DN_MOUSECLICK, &click);
    EXPECT_EQ(list.host.callsTo("DefDlgProc").size(), 1u);
}

}  // namespace
}  // namespace skimmer::dialogs::test
