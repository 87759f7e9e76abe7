// File hits of a search folder take their times, size and attributes from the index's row: a
// folder of a thousand hits is listed without a thousand look-ups on the disk.
#include <gtest/gtest.h>

#include "far/vk.h"
#include "index/storage/kinds.h"
#include "os/clock.h"
#include "tests/index/query/test_index.h"
#include "tests/panel/panel_fixture.h"

namespace skimmer::panel {
namespace {

constexpr int64_t kModified = 1057056757;  // Tue, 1 Jul 2003 10:52:37 +0000
constexpr int64_t kCreated = kModified - 86400;

uint64_t ticksOf(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

class PanelHitEntries : public test::PanelFixture {
protected:
    PanelHitEntries() {
        idx.begin();
        // Neither is on this disk: what the panel shows can only come from the index.
        addFile("report-hidden.txt", 5000000000, index::store::kAttrHidden | index::store::kAttrReadOnly);
        addFile("report-plain.txt", 12, 0);
        idx.bumpGeneration();
        idx.commit();
        idx.buildSidecar();
        const auto engineEnv = panel.env.engineEnvironment;
        panel.env.engineEnvironment = [this, engineEnv] {
            engines::TEngineEnvironment env = engineEnv();
            env.IndexFile = idx.file();
            return env;
        };
        newSearchFolder("report");
        cursorOn("report");
        EXPECT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));  // runs the query
    }
    void addFile(const std::string& name, int64_t size, int attrs) {
        index::query::test::TestItem file;
        file.name = name;
        file.size = size;
        file.mtime = kModified;
        file.ctime = kCreated;
        file.attrs = attrs;
        idx.add(file);
    }

    index::query::test::TestIndex idx;
};

TEST_F(PanelHitEntries, TimesSizeAndAttributesComeFromTheIndexsRow) {
    EXPECT_EQ(list(), (std::vector<std::string>{"..", "report-hidden.txt", "report-plain.txt"}));
    const struct {
        const char* name;
        uint64_t size;
        DWORD attributes;
    } expected[] = {{"report-hidden.txt", 5000000000, kAttributeArchive | 0x3}, {"report-plain.txt", 12, kAttributeArchive}};
    for (const auto& e : expected) {
        const WIN32_FIND_DATA found = item(e.name).FindData;
        EXPECT_EQ(ticksOf(found.ftLastWriteTime), os::fileTimeFromUnix({.seconds = kModified})) << e.name;
        EXPECT_EQ(ticksOf(found.ftCreationTime), os::fileTimeFromUnix({.seconds = kCreated})) << e.name;
        // The index keeps no access time: the modification time stands in.
        EXPECT_EQ(ticksOf(found.ftLastAccessTime), os::fileTimeFromUnix({.seconds = kModified})) << e.name;
        EXPECT_EQ((uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow, e.size) << e.name;
        EXPECT_EQ(found.dwFileAttributes, e.attributes) << e.name;
    }
}

}  // namespace
}  // namespace skimmer::panel
