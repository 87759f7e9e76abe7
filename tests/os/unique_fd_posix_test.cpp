#include "os/unique_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

// Closing now reports close()'s own result once; the descriptor is gone afterwards either way, so
// neither a second close nor the destructor touches a number another open may have reused.
TEST(UniqueFd, ClosesNowOnceAndReportsTheResult) {
    UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(fd.valid());
    const int number = fd.get();
    EXPECT_EQ(fd.close(), 0);
    EXPECT_FALSE(fd.valid());
    EXPECT_EQ(::fcntl(number, F_GETFD), -1) << "the descriptor was closed";
    EXPECT_EQ(fd.close(), 0) << "nothing left to close";
    EXPECT_EQ(UniqueFd().close(), 0);
}

}  // namespace
}  // namespace skimmer::os
