// Late binding against a real automation object of the system (the scripting runtime's Dictionary):
// arguments reach the member in the order written, values come back converted, and a failure names
// the member and carries the server's own reason.
#include "os/com_dispatch.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

class Dictionary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com.usable()) << com.error();
        std::string error;
        ASSERT_TRUE(createDispatch(L"Scripting.Dictionary", dictionary, error)) << error;
    }
    bool add(const wchar_t* key, const wchar_t* value, std::string& error) {
        const Variant k = Variant::text(key), v = Variant::text(value);
        return dispatchCall(dictionary.get(), L"Add", DispatchKind::Method, {&k, &v}, nullptr, error);
    }

    ComScope com;
    ComPtr<IDispatch> dictionary;
};

TEST_F(Dictionary, ArgumentsArriveInTheOrderWritten) {
    std::string error;
    ASSERT_TRUE(add(L"key", L"value", error)) << error;
    const Variant key = Variant::text(L"key");
    Variant item;
    ASSERT_TRUE(dispatchCall(dictionary.get(), L"Item", DispatchKind::Get, {&key}, &item, error)) << error;
    EXPECT_EQ(item.asText(), std::wstring(L"value"));
    Variant count;
    ASSERT_TRUE(dispatchCall(dictionary.get(), L"Count", DispatchKind::Get, {}, &count, error)) << error;
    EXPECT_EQ(count.asInteger(), 1);
    EXPECT_FALSE(count.asDispatch()) << "a number holds no object";
}

struct FailureCase {
    const char* name;
    const wchar_t* member;
    const char* said;  // part of the error text
};

class DictionaryFailure : public Dictionary, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DictionaryFailure, IsATextNamingTheMember) {
    std::string error;
    ASSERT_TRUE(add(L"key", L"value", error)) << error;
    const FailureCase& c = GetParam();
    const Variant k = Variant::text(L"key"), v = Variant::text(L"again");
    EXPECT_FALSE(dispatchCall(dictionary.get(), c.member, DispatchKind::Method, {&k, &v}, nullptr, error));
    EXPECT_EQ(error.rfind(c.said, 0), 0u) << error;
    EXPECT_GT(error.size(), std::string(c.said).size() + 2) << "a reason follows: " << error;
}

INSTANTIATE_TEST_SUITE_P(Members, DictionaryFailure,
                         ::testing::Values(FailureCase{"unknown_member", L"NoSuchMember", "NoSuchMember: "},
                                           FailureCase{"raised_by_the_server", L"Add", "Add failed: "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CreateDispatch, AnUnknownProgIdIsNamedWithTheSystemsReason) {
    ComScope com;
    ComPtr<IDispatch> object;
    std::string error;
    EXPECT_FALSE(createDispatch(L"Skimmer.NoSuchObject", object, error));
    EXPECT_FALSE(object);
    EXPECT_NE(error.find("Skimmer.NoSuchObject is not registered"), std::string::npos) << error;
}

TEST(VariantOwnership, AMovedTextIsOwnedOnceAndReadBack) {
    Variant first = Variant::text(L"caf\u00e9");
    Variant second = std::move(first);
    EXPECT_EQ(first.get().vt, VT_EMPTY);
    EXPECT_EQ(second.asText(), std::wstring(L"caf\u00e9"));
    first = std::move(second);
    EXPECT_EQ(first.asText(), std::wstring(L"caf\u00e9"));
}

}  // namespace
}  // namespace skimmer::os
