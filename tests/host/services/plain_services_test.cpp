#include <gtest/gtest.h>

#include "host/services/plain_services.h"

namespace skimmer::host::services {
namespace {

TEST(PlainServices, WhatTheHostDoesNotOfferFailsAsFarDoes) {
    char buf[16] = "x";
    EXPECT_EQ(CharTable(0, buf, sizeof buf), -1);
    PluginPanelItem* items = reinterpret_cast<PluginPanelItem*>(1);
    int count = 5;
    EXPECT_EQ(GetDirList("/", &items, &count), FALSE);
    EXPECT_EQ(items, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(EditorControl(0, nullptr), 0);
    EXPECT_EQ(ViewerControl(0, nullptr), 0);
}

TEST(PlainServices, CmpNameMatchesFarMasks) {
    struct Case {
        const char* mask;
        const char* name;
        int skipPath;
        bool matches;
    };
    for (const Case c : {Case{"*.txt", "a.txt", 0, true}, Case{"*.txt", "a.doc", 0, false},
                         Case{"a.txt", "/dir/a.txt", 1, true}, Case{nullptr, "a", 0, false},
                         Case{"*", nullptr, 0, false}}) {
        EXPECT_EQ(CmpName(c.mask, c.name, c.skipPath) != FALSE, c.matches)
            << (c.mask ? c.mask : "null") << " " << (c.name ? c.name : "null");
    }
}

}  // namespace
}  // namespace skimmer::host::services
