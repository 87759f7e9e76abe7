#include "os/hive_format.h"

#include <gtest/gtest.h>

#include <random>

#include "os/registry.h"
#include "tests/os/hive_test_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

std::string allBytes(int from) {
    std::string s;
    for (int c = from; c < 256; ++c) s.push_back(static_cast<char>(c));
    return s;
}

const std::vector<std::string> kHostileKeys = {
    "]", "[", "a]b", "[x]", "\"quoted\"", "a=b", "new\nline", "cr\rtab\t", "%41", "100%", ";comment",
    " spaced ", "HKEY_CURRENT_USER", "@", std::string("\x80\xff\xc3", 3), "\x01\x7f", "Ünïcödé ✓",
    std::string("nul\0inside", 10),
};
const std::vector<std::string> kHostileValueNames = {
    "", "@", "\"", "\\", "a\\b", "=", "x\"=dword:00000001", "new\nline", "\\x41", "[K]", "%", "; not a comment",
    std::string("\xfe\xfe", 2), std::string("\0", 1),
};

TEST(HiveFormat, HostileNamesAndDataRoundTripThroughTheFile) {
    test::TempHome home;
    {
        Hive hive(Hive::defaultPath());
        Hive::Batch batch(hive);
        for (const std::string& keyName : kHostileKeys) {
            auto key = hive.createKey("Root\\" + keyName);
            ASSERT_TRUE(key) << keyName;
            for (const std::string& valueName : kHostileValueNames)
                ASSERT_TRUE(key->writeString(valueName, valueName + allBytes(0)));
            ASSERT_TRUE(key->writeBinary("bin", allBytes(0)));
            ASSERT_TRUE(key->writeDword("max", 0xFFFFFFFFu));
        }
        ASSERT_TRUE(batch.commit());
    }
    Hive reread(Hive::defaultPath());
    auto root = reread.openKey("Root");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->subkeys().size(), kHostileKeys.size());
    for (const std::string& keyName : kHostileKeys) {
        auto key = reread.openKey("Root\\" + keyName);
        ASSERT_TRUE(key) << keyName;
        for (const std::string& valueName : kHostileValueNames)
            EXPECT_EQ(key->readString(valueName), valueName + allBytes(0)) << keyName << " / " << valueName;
        EXPECT_EQ(key->readValue("bin"), RegValue::binary(allBytes(0)));
        EXPECT_EQ(key->readDword("max"), 0xFFFFFFFFu);
    }
}

TEST(HiveFormat, TheWrittenFileIsValidUtf8WithoutControlBytes) {
    HiveKey root;
    for (const std::string& name : kHostileKeys)
        applyChange(root, {HiveChange::Kind::SetValue, {name}, allBytes(1), RegValue::string(allBytes(0))});
    const std::string text = serializeHive(root);
    for (unsigned char c : text) ASSERT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7F)) << int(c);
    const HiveParse parsed = parseHive(text);
    ASSERT_EQ(parsed.outcome, HiveParse::Outcome::Ok) << parsed.line << ": " << parsed.reason;
    EXPECT_EQ(parsed.root, root);
}

// Random trees: whatever the writer produces, the reader gives back exactly.
TEST(HiveFormat, RandomTreesRoundTrip) {
    std::mt19937 rng(20261208);
    const auto randomName = [&](size_t maxLength) {
        std::string s(rng() % maxLength + 1, '\0');
        for (char& c : s) c = static_cast<char>(rng() % 4 == 0 ? rng() % 256 : 'a' + rng() % 3);
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        HiveKey root;
        for (int i = 0; i < 20; ++i) {
            std::vector<std::string> path;
            for (size_t depth = rng() % 4; depth > 0; --depth) path.push_back(randomName(6));
            const uint32_t kind = rng() % 4;
            const RegValue value = kind == 0 ? RegValue::dword(rng()) : kind == 1 ? RegValue::binary(randomName(8)) : RegValue::string(randomName(8));
            applyChange(root, {kind == 3 && !path.empty() ? HiveChange::Kind::CreateKey : HiveChange::Kind::SetValue, path,
                               rng() % 5 == 0 ? "" : randomName(5), value});
        }
        const std::string text = serializeHive(root);
        const HiveParse parsed = parseHive(text);
        ASSERT_EQ(parsed.outcome, HiveParse::Outcome::Ok) << parsed.line << ": " << parsed.reason << "\n" << text;
        ASSERT_EQ(parsed.root, root) << text;
        ASSERT_EQ(serializeHive(parsed.root), text);
    }
}

constexpr std::string_view kHead = "Skimmer Registry Hive 1\n";
constexpr std::string_view kTail = "; End of Skimmer Registry Hive\n";

std::string wrap(std::string_view body) { return std::string(kHead) + std::string(body) + "\n" + std::string(kTail); }

TEST(HiveFormat, ToleratesCrLfCommentsBlankLinesAndImpliedParents) {
    const std::string text =
        "Skimmer Registry Hive 1\r\n; written by hand\r\n\r\n[HKEY_CURRENT_USER\\A\\B]\r\n\"X\"=dword:0000000A\r\n"
        "\"Y\"=hex:0A,ff\r\n@=\"\"\r\n\r\n; End of Skimmer Registry Hive\r\n";
    const HiveParse parsed = parseHive(text);
    ASSERT_EQ(parsed.outcome, HiveParse::Outcome::Ok) << parsed.line << ": " << parsed.reason;
    const HiveKey* b = findKey(parsed.root, {"a", "b"});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->values.at("X").value, RegValue::dword(10));
    EXPECT_EQ(b->values.at("Y").value, RegValue::binary("\x0a\xff"));
    EXPECT_EQ(b->values.at("").value, RegValue::string(""));
}

struct Damage {
    const char* label;
    std::string text;
};

class HiveDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(HiveDamage, IsRejectedAsAWhole) {
    const HiveParse parsed = parseHive(GetParam().text);
    EXPECT_EQ(parsed.outcome, HiveParse::Outcome::Damaged);
    EXPECT_FALSE(parsed.reason.empty());
    EXPECT_TRUE(parsed.root.subkeys.empty() || parsed.outcome == HiveParse::Outcome::Damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiveDamage,
    ::testing::Values(
        Damage{"empty", ""}, Damage{"header only", std::string(kHead)},
        Damage{"not a hive", "REGEDIT4\n\n" + std::string(kTail)},
        Damage{"version zero", "Skimmer Registry Hive 0\n\n" + std::string(kTail)},
        Damage{"no end line", std::string(kHead) + "[HKEY_CURRENT_USER\\A]\n"},
        Damage{"end line cut", std::string(kHead) + "\n; End of Skimmer Registry Hiv\n"},
        Damage{"no final newline", std::string(kHead) + "\n; End of Skimmer Registry Hive"},
        Damage{"text after the end", wrap("") + "[HKEY_CURRENT_USER\\A]\n"},
        Damage{"value before key", wrap("\"a\"=dword:00000001")},
        Damage{"duplicate key", wrap("[HKEY_CURRENT_USER\\A]\n[HKEY_CURRENT_USER\\a]")},
        Damage{"duplicate value", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=dword:00000001\n\"V\"=dword:00000002")},
        Damage{"unknown type", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=hex(2):41,00")},
        Damage{"short dword", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=dword:1")},
        Damage{"bad hex", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=hex:1,2")},
        Damage{"trailing comma", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,")},
        Damage{"unterminated", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"abc")},
        Damage{"trailing text", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"abc\" x")},
        Damage{"bad escape", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\\q\"")},
        Damage{"bad x escape", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\\x4\"")},
        Damage{"empty quoted name", wrap("[HKEY_CURRENT_USER\\A]\n\"\"=\"x\"")},
        Damage{"other hive", wrap("[HKEY_LOCAL_MACHINE\\A]")},
        Damage{"empty component", wrap("[HKEY_CURRENT_USER\\A\\\\B]")},
        Damage{"bad percent", wrap("[HKEY_CURRENT_USER\\A%4]")},
        Damage{"raw bracket", wrap("[HKEY_CURRENT_USER\\A]B]")},
        Damage{"leading blank", wrap(" [HKEY_CURRENT_USER\\A]")},
        Damage{"garbage line", wrap("[HKEY_CURRENT_USER\\A]\nname=value")},
        Damage{"NUL byte", wrap(std::string("[HKEY_CURRENT_USER\\A]\n\"v\"=\"a\0b\"", 29))},
        Damage{"invalid UTF-8", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xff\"")},
        Damage{"overlong UTF-8", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xc0\xaf\"")},
        Damage{"five-byte lead", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xf8\x88\x80\x80\x80\"")},
        Damage{"lead F5", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xf5\x80\x80\x80\"")},
        Damage{"surrogate", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xed\xa0\x80\"")},
        Damage{"giant value", wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"" + std::string(kMaxValueBytes + 1, 'x') + "\"")},
        Damage{"giant name", wrap("[HKEY_CURRENT_USER\\" + std::string(kMaxNameBytes + 1, 'k') + "]")}),
    [](const ::testing::TestParamInfo<Damage>& info) {
        std::string name;
        for (char c : std::string(info.param.label)) name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
        return name;
    });

// Lines are checked a word at a time: a stray byte is found wherever it sits in the word, and
// the line reported is the first faulty one, also when that is a repeated key found later.
TEST(HiveFormat, EveryStrayByteIsFoundAtItsLine) {
    for (const char bad : {'\x00', '\x01', '\x1f', '\x7f', '\x80', '\xff'}) {
        for (size_t at = 0; at < 24; ++at) {
            std::string text(24, 'x');
            text[at] = bad;
            const HiveParse parsed = parseHive(wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=\"" + text + "\""));
            EXPECT_EQ(parsed.outcome, HiveParse::Outcome::Damaged) << int(bad) << " at " << at;
            EXPECT_EQ(parsed.line, 3u) << int(bad) << " at " << at;
        }
    }
    const HiveParse repeated = parseHive(wrap("[HKEY_CURRENT_USER\\A]\n[HKEY_CURRENT_USER\\B]\n"
                                              "[HKEY_CURRENT_USER\\a]\n\"v\"=bad\n"));
    EXPECT_EQ(repeated.line, 4u);
    EXPECT_EQ(repeated.reason, "key given twice");
    const HiveParse badFirst = parseHive(wrap("[HKEY_CURRENT_USER\\A]\n\"v\"=bad\n[HKEY_CURRENT_USER\\a]\n"));
    EXPECT_EQ(badFirst.line, 3u);
    EXPECT_NE(badFirst.reason, "key given twice");
}

TEST(HiveFormat, ANewerVersionIsNotParsed) {
    EXPECT_EQ(parseHive("Skimmer Registry Hive 2\nanything").outcome, HiveParse::Outcome::NewerVersion);
    EXPECT_EQ(parseHive("Skimmer Registry Hive 12\r\n").outcome, HiveParse::Outcome::NewerVersion);
    EXPECT_EQ(parseHive("Skimmer Registry Hive 1x\n").outcome, HiveParse::Outcome::Damaged);
}

TEST(HiveFormat, FoldingIsUnicodeAwareAndKeepsInvalidBytes) {
    EXPECT_EQ(foldName("abcXYZ_1"), "ABCXYZ_1");
    EXPECT_EQ(foldName("straße"), foldName("STRAßE"));
    EXPECT_EQ(foldName("ünïcode"), foldName("ÜNÏCODE"));
    EXPECT_EQ(foldName(std::string("\xff\xe9", 2)), std::string("\xff\xe9", 2));
    EXPECT_EQ(foldName("\xf8\x88\x80"), "\xf8\x88\x80");  // not UTF-8: left as it is
    EXPECT_NE(foldName("a"), foldName("b"));
}

// Values are ordered and found by compareNames, which skips folding ASCII: it must agree with
// comparing the folds, whatever mix of cases, non-ASCII letters and invalid bytes two names hold.
TEST(HiveFormat, NameComparisonAgreesWithTheFolds) {
    const std::vector<std::string> pieces = {"a", "A", "z", "_", "0", "ü", "Ü", "ß", "\xff", "\xc3", "Zeta", "zET"};
    std::mt19937 random(7);
    auto name = [&] {
        std::string out;
        for (int n = static_cast<int>(random() % 5); n-- > 0;) out += pieces[random() % pieces.size()];
        return out;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = name(), b = name();
        ASSERT_EQ(sign(compareNames(a, b)), sign(foldName(a).compare(foldName(b)))) << a << " / " << b;
    }
}

}  // namespace
}  // namespace skimmer::os
