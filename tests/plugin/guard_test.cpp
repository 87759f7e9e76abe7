#include <new>
#include <stdexcept>

#include "plugin/guard.h"
#include "tests/plugin/plugin_fixture.h"

namespace skimmer::plugin {
namespace {

TEST_F(PluginFixture, ThrownErrorsBecomeTheFallbackAndAnErrorBox) {
    start();
    host.answerMessage(0);
    const HANDLE result = guardedCall(&state, INVALID_HANDLE_VALUE, [](PluginState&) -> HANDLE {
        throw std::runtime_error("disk on fire");
    });
    EXPECT_EQ(result, INVALID_HANDLE_VALUE);
    ASSERT_EQ(host.callsTo("Message").size(), 1u);
    EXPECT_EQ(host.callsTo("Message")[0].texts[2], "Skimmer: disk on fire");

    host.answerMessage(0);
    EXPECT_EQ(guardedCall(&state, 0, [](PluginState&) -> int { throw 42; }), 0);
    EXPECT_EQ(host.callsTo("Message")[1].texts[2], "Skimmer: unexpected failure");

    EXPECT_EQ(guardedCall(&state, 0, [](PluginState&) { return 5; }), 5);
    EXPECT_EQ(guardedCall(nullptr, -3, [](PluginState&) { return 5; }), -3);
    EXPECT_EQ(host.callsTo("Message").size(), 2u);
}

}  // namespace
}  // namespace skimmer::plugin
