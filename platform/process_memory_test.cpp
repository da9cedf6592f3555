// The peak resident memory follows memory the process really touches.
#include "platform/process_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(PeakResidentBytes, RisesByWhatIsTouchedAndNeverFalls) {
    constexpr std::size_t kMiB = 1024 * 1024;
    const std::size_t before = PeakResidentBytes();
    ASSERT_GT(before, kMiB);
    {
        constexpr std::size_t kTouched = 96 * kMiB;
        const auto block = std::make_unique<char[]>(kTouched);
        std::memset(block.get(), 1, kTouched);
        EXPECT_GE(PeakResidentBytes(), before + 64 * kMiB);
        EXPECT_EQ(block[kTouched - 1], 1);
    }
    const std::size_t afterFree = PeakResidentBytes();
    EXPECT_GE(afterFree, before + 64 * kMiB);
}
