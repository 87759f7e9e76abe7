#include "host/term/input_decoder.h"

#include <gtest/gtest.h>

namespace skimmer::host::term {
namespace {

namespace k = key;

std::vector<InputEvent> decode(std::string_view bytes, bool thenTimeout = true) {
    InputDecoder d;
    std::vector<InputEvent> out;
    d.feed(bytes, out);
    if (thenTimeout) d.timeout(out);
    return out;
}

std::vector<k::Code> keys(std::string_view bytes) {
    std::vector<k::Code> codes;
    for (const auto& e : decode(bytes)) {
        if (auto* key = std::get_if<KeyEvent>(&e)) codes.push_back(key->code);
    }
    return codes;
}

using Codes = std::vector<k::Code>;

TEST(InputDecoder, PrintableUnicode) {
    EXPECT_EQ(keys("aZ1 "), (Codes{'a', 'Z', '1', ' '}));
    EXPECT_EQ(keys("ä中😀"), (Codes{U'ä', U'中', U'😀'}));
}

TEST(InputDecoder, ControlBytesAndFallbacks) {
    EXPECT_EQ(keys("\r\t\x7F"), (Codes{k::ENTER, k::TAB, k::BS}));
    EXPECT_EQ(keys("\n"), (Codes{k::CTRLENTER}));
    EXPECT_EQ(keys("\x08"), (Codes{k::kCtrl | k::BS}));
    EXPECT_EQ(keys("\x01\x0F\x1A"), (Codes{k::kCtrl | 'A', k::kCtrl | 'O', k::kCtrl | 'Z'}));
    EXPECT_EQ(keys(std::string_view("\0", 1)), (Codes{k::kCtrl | k::SPACE}));
}

TEST(InputDecoder, EscNeedsTheTimeoutAndNothingElse) {
    InputDecoder d;
    std::vector<InputEvent> out;
    d.feed("\x1B", out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(d.waiting());
    d.timeout(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(std::get<KeyEvent>(out[0]).code, k::ESC);
    EXPECT_FALSE(d.waiting());
    EXPECT_EQ(keys("\x1B\x1B"), (Codes{k::ESC, k::ESC}));
}

TEST(InputDecoder, AltKeys) {
    EXPECT_EQ(keys("\x1B" "a"), (Codes{k::kAlt | 'A'}));
    EXPECT_EQ(keys("\x1B" "A"), (Codes{k::kAlt | k::kShift | 'A'}));
    EXPECT_EQ(keys("\x1B" "ä"), (Codes{k::kAlt | U'ä'}));
    EXPECT_EQ(keys("\x1B\r"), (Codes{k::SHIFTENTER}));  // Alt+Enter fallback
    EXPECT_EQ(keys("\x1B\x7F"), (Codes{k::kAlt | k::BS}));
    EXPECT_EQ(keys("\x1B["), (Codes{k::kAlt | '['}));
    EXPECT_EQ(keys("\x1BO"), (Codes{k::kAlt | k::kShift | 'O'}));
}

TEST(InputDecoder, CursorAndEditingKeys) {
    EXPECT_EQ(keys("\x1B[A\x1B[B\x1B[C\x1B[D\x1BOA\x1BOD"),
              (Codes{k::UP, k::DOWN, k::RIGHT, k::LEFT, k::UP, k::LEFT}));
    EXPECT_EQ(keys("\x1B[H\x1B[F\x1B[1~\x1B[4~\x1BOH\x1BOF"), (Codes{k::HOME, k::END, k::HOME, k::END, k::HOME, k::END}));
    EXPECT_EQ(keys("\x1B[2~\x1B[3~\x1B[5~\x1B[6~"), (Codes{k::INS, k::DEL, k::PGUP, k::PGDN}));
    EXPECT_EQ(keys("\x1B[Z"), (Codes{k::SHIFTTAB}));
    EXPECT_EQ(keys("\x1B[1;5A\x1B[1;5B"), (Codes{k::kCtrl | k::UP, k::kCtrl | k::DOWN}));
    EXPECT_EQ(keys("\x1B[1;2D\x1B[3;3~"), (Codes{k::kShift | k::LEFT, k::kAlt | k::DEL}));
    EXPECT_EQ(keys("\x1B\x1B[A"), (Codes{k::kAlt | k::UP}));  // rxvt's Alt prefix
}

TEST(InputDecoder, FunctionKeysWithModifiers) {
    EXPECT_EQ(keys("\x1BOP\x1BOQ\x1BOR\x1BOS"), (Codes{k::F(1), k::F(2), k::F(3), k::F(4)}));
    EXPECT_EQ(keys("\x1B[15~\x1B[17~\x1B[18~\x1B[19~\x1B[20~\x1B[21~\x1B[23~\x1B[24~"),
              (Codes{k::F(5), k::F(6), k::F(7), k::F(8), k::F(9), k::F(10), k::F(11), k::F(12)}));
    EXPECT_EQ(keys("\x1B[11~\x1B[[A\x1B[[E"), (Codes{k::F(1), k::F(1), k::F(5)}));  // rxvt, Linux console
    EXPECT_EQ(keys("\x1B[1;2P\x1B[15;5~\x1B[20;4~"),
              (Codes{k::kShift | k::F(1), k::kCtrl | k::F(5), k::kAlt | k::kShift | k::F(9)}));
    EXPECT_EQ(keys("\x1BO2P"), (Codes{k::kShift | k::F(1)}));
}

TEST(InputDecoder, KeypadGrayKeysInKittyAndApplicationMode) {
    EXPECT_EQ(keys("\x1B[57413u\x1B[57412u\x1B[57411u\x1B[57413;5u"),
              (Codes{static_cast<k::Code>(KEY_ADD), static_cast<k::Code>(KEY_SUBTRACT),
                     static_cast<k::Code>(KEY_MULTIPLY), k::kCtrl | static_cast<k::Code>(KEY_ADD)}));
    EXPECT_EQ(keys("\x1B[57399u\x1B[57408u\x1B[57409u\x1B[57414u"), (Codes{'0', '9', '.', k::ENTER}));
    EXPECT_EQ(keys("\x1BOk\x1BOm\x1BOj"),
              (Codes{static_cast<k::Code>(KEY_ADD), static_cast<k::Code>(KEY_SUBTRACT), static_cast<k::Code>(KEY_MULTIPLY)}));
}

TEST(InputDecoder, ModifyOtherKeysAndKitty) {
    EXPECT_EQ(keys("\x1B[27;2;13~\x1B[27;5;13~\x1B[27;6;13~"),
              (Codes{k::SHIFTENTER, k::CTRLENTER, k::kCtrl | k::kShift | k::ENTER}));
    EXPECT_EQ(keys("\x1B[27;5;97~\x1B[27;3;97~\x1B[27;5;9~"), (Codes{k::kCtrl | 'A', k::kAlt | 'A', k::kCtrl | k::TAB}));
    EXPECT_EQ(keys("\x1B[13;2u\x1B[13;5u\x1B[9;2u\x1B[27u\x1B[97;5u"),
              (Codes{k::SHIFTENTER, k::CTRLENTER, k::SHIFTTAB, k::ESC, k::kCtrl | 'A'}));
    EXPECT_EQ(keys("\x1B[97;5:3u"), Codes{});     // key release: not a key press
    EXPECT_EQ(keys("\x1B[57441u"), Codes{});      // kitty private-use functional key (left Shift): ignored
    EXPECT_EQ(keys("\x1B[?1u"), Codes{});         // a reply to a flags query
}

TEST(InputDecoder, SplitAnywhereGivesTheSameKeys) {
    const std::string stream = "a\x1B[1;5A\xE4\xB8\xAD\x1B[27;2;13~\x1BOP\x1B[<0;5;7M" "b";
    const std::vector<InputEvent> whole = decode(stream);
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        InputDecoder d;
        std::vector<InputEvent> out;
        d.feed(std::string_view(stream).substr(0, cut), out);
        d.feed(std::string_view(stream).substr(cut), out);
        d.timeout(out);
        EXPECT_EQ(out, whole) << "cut at " << cut;
    }
}

TEST(InputDecoder, GarbageIsDroppedNotTyped) {
    EXPECT_EQ(keys("\xFF\xC0\x80x"), (Codes{'x'}));
    EXPECT_EQ(keys("\xC2\x9B"), Codes{});           // C1 CSI as UTF-8
    EXPECT_EQ(keys("\x1B[999;999X"), Codes{});       // unknown final byte
    EXPECT_EQ(keys("\x1B[" + std::string(200, '1') + "~z"), (Codes{'z'}));  // over-long
    EXPECT_EQ(keys("\x1B[12"), Codes{});             // cut short by the timeout
    EXPECT_EQ(keys("\xE4\xB8"), Codes{});            // half a character, timeout
}

TEST(InputDecoder, BracketedPasteIsTextNotKeys) {
    const auto out = decode("\x1B[200~ls -l\r\nrm x\x1B[A\x1B[201~q");
    ASSERT_EQ(out.size(), 2u);
    const auto& paste = std::get<PasteEvent>(out[0]);
    EXPECT_EQ(paste.text, "ls -l\r\nrm x\x1B[A");
    EXPECT_FALSE(paste.truncated);
    EXPECT_EQ(std::get<KeyEvent>(out[1]).code, k::Code('q'));
    // Split markers and a paste that waits across timeouts.
    InputDecoder d;
    std::vector<InputEvent> got;
    d.feed("\x1B[20", got);
    d.feed("0~abc\x1B[20", got);
    d.timeout(got);
    EXPECT_TRUE(got.empty());
    d.feed("1~", got);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(std::get<PasteEvent>(got[0]).text, "abc");
}

TEST(InputDecoder, HugePasteIsBounded) {
    InputDecoder d;
    std::vector<InputEvent> out;
    d.feed("\x1B[200~", out);
    const std::string chunk(1 << 16, 'x');
    for (int i = 0; i < 20; ++i) d.feed(chunk, out);
    d.feed("\x1B[201~", out);
    ASSERT_EQ(out.size(), 1u);
    const auto& paste = std::get<PasteEvent>(out[0]);
    EXPECT_EQ(paste.text.size(), InputDecoder::kMaxPaste);
    EXPECT_TRUE(paste.truncated);
}

// A paste whose end marker never comes ends at the paste timer with what was read, and the decoder
// reads keys again. Each step is bytes fed, then optionally the paste timer or the Esc timer.
struct PasteEndCase {
    const char* name;
    std::vector<std::string> feeds;  // fed one by one; "<paste-timer>" and "<esc-timer>" fire timers
    std::string pasted;              // the one paste event expected
    bool truncated;
    Codes keysAfter;                 // keys decoded after the paste event
};

class PasteEndsByItself : public ::testing::TestWithParam<PasteEndCase> {};

TEST_P(PasteEndsByItself, WhatWasReadIsPastedAndLaterKeysWork) {
    const PasteEndCase& c = GetParam();
    InputDecoder d;
    std::vector<InputEvent> out;
    for (const std::string& step : c.feeds) {
        if (step == "<paste-timer>") d.pasteTimeout(out);
        else if (step == "<esc-timer>") d.timeout(out);
        else d.feed(step, out);
    }
    EXPECT_FALSE(d.pasting());
    EXPECT_FALSE(d.waiting());
    ASSERT_FALSE(out.empty());
    const auto* paste = std::get_if<PasteEvent>(&out[0]);
    ASSERT_NE(paste, nullptr);
    EXPECT_EQ(paste->text.size(), c.pasted.size());
    EXPECT_TRUE(paste->text == c.pasted);
    EXPECT_EQ(paste->truncated, c.truncated);
    Codes after;
    for (size_t i = 1; i < out.size(); ++i) {
        const auto* key = std::get_if<KeyEvent>(&out[i]);
        ASSERT_NE(key, nullptr) << "event " << i << " is not a key";
        after.push_back(key->code);
    }
    EXPECT_EQ(after, c.keysAfter);
}

const std::string kStart = "\x1B[200~";
const std::string kF10 = "\x1B[21~";

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteEndsByItself,
    ::testing::Values(
        PasteEndCase{"TextThenSilence", {kStart + "ls -l\r", "<paste-timer>", kF10 + "q"}, "ls -l\r", false,
                     {k::F(10), 'q'}},
        PasteEndCase{"EscWaitsDoNotEndIt", {kStart + "ab", "<esc-timer>", "c", "<esc-timer>", "<paste-timer>", "\x1B",
                                            "<esc-timer>"},
                     "abc", false, {k::ESC}},
        PasteEndCase{"HeldHalfOfTheEndMarkerIsText", {kStart + "x\x1B[20", "<paste-timer>", "1~"}, "x\x1B[20", false,
                     {'1', '~'}},
        PasteEndCase{"EmptyPaste", {kStart, "<paste-timer>", "\r"}, "", false, {k::ENTER}},
        PasteEndCase{"StartMarkerSplitAcrossReads", {"\x1B[2", "00~", "yes", "<paste-timer>", "n"}, "yes", false, {'n'}},
        PasteEndCase{"OverlongPasteIsCutAndStillEnds",
                     {kStart + std::string(InputDecoder::kMaxPaste, 'p'), "zz", "<paste-timer>", kF10},
                     std::string(InputDecoder::kMaxPaste, 'p'), true, {k::F(10)}},
        PasteEndCase{"TimerAfterAProperEndChangesNothing", {kStart + "ok\x1B[201~", "<paste-timer>", "a"}, "ok", false,
                     {'a'}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputDecoder, SgrMouse) {
    const auto out = decode("\x1B[<0;10;5M\x1B[<32;11;5M\x1B[<0;11;5m\x1B[<64;1;1M\x1B[<65;1;1M\x1B[<18;3;4M\x1B[<2;3;4m");
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(std::get<MouseEvent>(out[0]), (MouseEvent{9, 4, kLeftButton, 0, 0, 0}));
    EXPECT_EQ(std::get<MouseEvent>(out[1]), (MouseEvent{10, 4, kLeftButton, 0, kMouseMoved, 0}));
    EXPECT_EQ(std::get<MouseEvent>(out[2]), (MouseEvent{10, 4, 0, 0, 0, 0}));
    EXPECT_EQ(std::get<MouseEvent>(out[3]), (MouseEvent{0, 0, 0, 0, kMouseWheeled, 1}));
    EXPECT_EQ(std::get<MouseEvent>(out[4]).wheel, -1);
    EXPECT_EQ(std::get<MouseEvent>(out[5]), (MouseEvent{2, 3, kRightButton, kLeftCtrlPressed, 0, 0}));
    EXPECT_EQ(std::get<MouseEvent>(out[6]).buttons, 0u);
    EXPECT_TRUE(decode("\x1B[<0;0;5M\x1B[<0;5M").empty());  // malformed coordinates
}

}  // namespace
}  // namespace skimmer::host::term

namespace skimmer::host::term {
namespace {

TEST(InputDecoder, KeyReportsOutsideUnicodeAreDropped) {
    InputDecoder d;
    std::vector<InputEvent> out;
    d.feed("\x1B[27;5;1114112~\x1B[27;5;0~\x1B[55296u\x1B[0u", out);
    d.timeout(out);
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace skimmer::host::term
