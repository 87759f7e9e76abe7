#include "os/temp_dir.h"
#include "tests/plugin/plugin_fixture.h"

namespace skimmer::plugin {
namespace {

// The context every part is handed points into the state itself, and follows what changes after
// startup: the panel's copy, the window's and the dialogs' all reach the same services.
TEST_F(PluginFixture, TheContextPointsIntoTheStateAndFollowsItsTemporaryFolder) {
    setStartupInfo(state, host.startupInfo());
    const platform::PluginContext& context = state.Context();
    EXPECT_EQ(context.host, &state.host);
    EXPECT_EQ(context.config, &state.PluginConfig);
    EXPECT_EQ(context.groups, &state.Groups);
    EXPECT_EQ(context.registry, state.services.registry.get());
    EXPECT_EQ(context.palette, &state.Palette);
    EXPECT_EQ(context.PluginsRootKey, state.PluginsRootKey);
    EXPECT_EQ(context.FarVersion, state.FarVersion);
    ASSERT_NE(context.tempDir, nullptr);
    EXPECT_EQ(context.tempDir, state.tempDir.get());
    EXPECT_EQ(state.Panel.env.host, &state.host) << "the panel was handed the same context";
    EXPECT_EQ(state.Panel.env.config, &state.PluginConfig);
    EXPECT_EQ(state.Panel.env.FarRootKey, state.FarRootKey);

    exitFar(state);
    EXPECT_EQ(state.Context().tempDir, nullptr) << "a removed folder is never handed on";
}

}  // namespace
}  // namespace skimmer::plugin
