// The peak resident memory follows memory the process really touches, and
// another process's processor time follows its work.
#include "platform/process_memory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "platform/child_process.h"

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

TEST(ProcessCpuSeconds, GrowsWhileAProcessWorksAndIsNegativeForNone) {
    ChildProcess busy;
    std::string error;
    ASSERT_TRUE(busy.Start({"sh", "-c", "while :; do :; done"}, &error)) << error;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    double seconds = ProcessCpuSeconds(busy.Id());
    EXPECT_GE(seconds, 0);
    while (seconds < 0.2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seconds = ProcessCpuSeconds(busy.Id());
    }
    EXPECT_GE(seconds, 0.2);
    busy.Stop();
    EXPECT_LT(ProcessCpuSeconds(-1), 0);
}
