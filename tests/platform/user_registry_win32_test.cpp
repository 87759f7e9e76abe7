// HKEY_CURRENT_USER through the module's registry seam, against Wine's (or Windows') registry:
// names and texts in the ANSI code page cross the wide-character border both ways, and undoing a
// batch puts back values of every type, also those the plug-in never writes itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "os/win_registry.h"
#include "tests/support/scratch_user_registry.h"

namespace skimmer::platform {
namespace {

TEST(WindowsUserRegistry, AnsiNamesAndTextsComeBackAsTheyWereWritten) {
    test::ScratchUserRegistry user;
    // "Résumé" and "Æble" in the ANSI code pages of Western Europe (Wine's default is 1252).
    const std::string keyName = "R\xe9sum\xe9", valueName = "\xc6" "ble", text = "caf\xe9 \xa9";
    {
        auto key = user.registry().createKey(user.path(keyName));
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->writeString(valueName, text));
    }
    auto root = user.registry().openKey(user.path());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->subkeys(), std::vector<std::string>{keyName});
    auto key = user.registry().openKey(user.path(keyName));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString(valueName), text);
    std::vector<std::string> names;
    key->readValues([&](const RegistryValue& v) { names.emplace_back(v.name); });
    EXPECT_EQ(names, std::vector<std::string>{valueName});
}

TEST(WindowsUserRegistry, ReadsOfAnotherTypeOrOfAShortDwordAreNone) {
    test::ScratchUserRegistry user;
    auto raw = os::WinRegKey::create(user.path());
    ASSERT_TRUE(raw);
    ASSERT_TRUE(raw->writeRaw("Expand", {REG_EXPAND_SZ, std::string("%\0P\0%\0\0\0", 8)}));
    ASSERT_TRUE(raw->writeRaw("Short", {REG_DWORD, std::string("\1\2", 2)}));
    auto key = user.registry().openKey(user.path());
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("Expand"), std::nullopt);
    EXPECT_EQ(key->readDword("Short"), std::nullopt);
    EXPECT_EQ(key->readBinary("Short"), std::nullopt);
    int listed = 0;
    key->readValues([&](const RegistryValue&) { ++listed; });
    EXPECT_EQ(listed, 0);
}

TEST(WindowsUserRegistry, AnAbandonedBatchPutsBackADeletedTreeWithValuesOfEveryType) {
    test::ScratchUserRegistry user;
    const os::WinRegRawValue multi{REG_MULTI_SZ, std::string("a\0\0\0b\0\0\0\0\0", 10)};
    const os::WinRegRawValue qword{REG_QWORD, std::string("\1\2\3\4\5\6\7\10", 8)};
    const os::WinRegRawValue unterminated{REG_SZ, std::string("x\0y\0", 4)};
    {
        auto raw = os::WinRegKey::create(user.path("Tree\\Deep"));
        ASSERT_TRUE(raw);
        ASSERT_TRUE(raw->writeRaw("Multi", multi) && raw->writeRaw("Qword", qword) &&
                    raw->writeRaw("Plain", unterminated));
    }
    // As the registry keeps them (a system may add the terminator a REG_SZ was written without).
    const auto before = os::WinRegKey::open(user.path("Tree\\Deep"))->rawValues();
    {
        auto batch = user.registry().beginBatch();
        ASSERT_TRUE(user.registry().deleteTree(user.path("Tree")));
        auto key = user.registry().createKey(user.path("Tree\\Deep"));
        ASSERT_TRUE(key && key->writeString("Plain", "replaced"));
    }
    auto raw = os::WinRegKey::open(user.path("Tree\\Deep"));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->readRaw("Multi"), multi);
    EXPECT_EQ(raw->readRaw("Qword"), qword);
    EXPECT_EQ(raw->rawValues(), before);
    EXPECT_EQ(before.size(), 3u);
    EXPECT_TRUE(user.reports.empty());
}

TEST(WindowsUserRegistry, WritesFailWithTheKeyAndTheSystemsReason) {
    test::ScratchUserRegistry user;
    auto raw = os::WinRegKey::create(user.path("Gone"));
    ASSERT_TRUE(raw);
    ASSERT_TRUE(os::deleteWinRegTree(user.path("Gone")));
    const os::RegStatus status = raw->writeValue("x", {os::RegType::String, "y"});
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find(user.path("Gone")), std::string::npos) << status.error;
    const os::RegStatus missing = os::deleteWinRegTree(user.path("Gone"));
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("HKEY_CURRENT_USER\\" + user.path("Gone")), std::string::npos) << missing.error;
    EXPECT_FALSE(os::deleteWinRegTree("").ok);
}

}  // namespace
}  // namespace skimmer::platform
