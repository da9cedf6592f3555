// Semaphores: the maximum count holds, and a unit passes between threads.
#include "platform/semaphore.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Semaphore, ReleaseBeyondMaximumIsRefused) {
    Semaphore lock(1, 1);
    EXPECT_FALSE(lock.Release());
    lock.Acquire();
    EXPECT_TRUE(lock.Release());
    EXPECT_FALSE(lock.Release());
}

TEST(Semaphore, UnitReleasedOnOneThreadWakesAnother) {
    Semaphore handOff(0, 1);
    int value = 0;
    std::thread giver([&] {
        value = 42;
        EXPECT_TRUE(handOff.Release());
    });
    handOff.Acquire();
    EXPECT_EQ(value, 42);
    giver.join();
}
