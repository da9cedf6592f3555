// Test names hashed into 127/8.
#include "testing/loopback_address.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::uint32_t Fnv1a(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string FullTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr) return "outside any test";
    return std::string(test->test_suite_name()) + "." + test->name();
}

}  // namespace

std::string LoopbackAddressForTest(unsigned index) {
    const std::uint32_t hash = Fnv1a(FullTestName() + "#" + std::to_string(index));
    // Second byte 1 to 254 keeps clear of 127.0.0.x, where other services
    // listen; last byte 1 to 254 avoids the network and broadcast forms.
    const unsigned second = 1 + (hash >> 16 & 0xFF) % 254;
    const unsigned third = hash >> 8 & 0xFF;
    const unsigned fourth = 1 + (hash & 0xFF) % 254;
    return "127." + std::to_string(second) + "." + std::to_string(third) + "." +
           std::to_string(fourth);
}
