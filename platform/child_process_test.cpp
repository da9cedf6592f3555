// The child's peak memory as WaitUntilExit reports it, with real programs.
#include "platform/child_process.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

std::size_t PeakOf(const std::vector<std::string>& arguments) {
    ChildProcess child;
    std::string error;
    EXPECT_TRUE(child.Start(arguments, &error)) << error;
    EXPECT_EQ(child.PeakResidentBytes(), 0u) << "known before the child has ended";
    EXPECT_EQ(child.WaitUntilExit(), 0);
    return child.PeakResidentBytes();
}

TEST(ChildProcess, ReportsThePeakMemoryOfTheChildNotOfItsParent) {
    // dd fills a 64 MiB buffer once, so its peak holds the whole buffer.
    const std::size_t large = PeakOf({"dd", "if=/dev/zero", "of=/dev/null", "bs=64M", "count=1"});
    EXPECT_GE(large, 64 * kMiB);
    EXPECT_LT(large, 128 * kMiB);
    const std::size_t small = PeakOf({"true"});
    EXPECT_GT(small, 0u);
    EXPECT_LT(small, 16 * kMiB);
}

}  // namespace
