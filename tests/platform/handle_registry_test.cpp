// tests/platform/handle_registry_test.cpp
#include "platform/handle_registry.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using platform::HandleCounter;
using platform::HandleRegistry;

TEST(HandleRegistry, ATakenHandleFindsNothingAndIsNotHandedOutAgain) {
    HandleRegistry<int> registry;
    const auto one = std::make_shared<int>(1);
    const uint32_t a = registry.Add(one);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(registry.Find(a), one);
    EXPECT_EQ(registry.Take(a), one);
    EXPECT_FALSE(registry.Find(a));
    EXPECT_FALSE(registry.Take(a));
    EXPECT_FALSE(registry.Find(0));
    EXPECT_NE(registry.Add(std::make_shared<int>(2)), a);
}

TEST(HandleRegistry, RegistriesSharingACounterNeverShareAHandle) {
    HandleCounter counter;
    HandleRegistry<int> logins(&counter);
    HandleRegistry<double> plays(&counter);
    std::set<uint32_t> seen;
    for (int i = 0; i < 100; i++) {
        EXPECT_TRUE(seen.insert(logins.Add(std::make_shared<int>(i))).second);
        EXPECT_TRUE(seen.insert(plays.Add(std::make_shared<double>(i))).second);
    }
    for (uint32_t id : seen)
        EXPECT_NE(static_cast<bool>(logins.Find(id)), static_cast<bool>(plays.Find(id)));
}

TEST(HandleRegistry, TakingAnOwnersObjectsLeavesTheOthers) {
    HandleRegistry<int> registry;
    registry.Add(std::make_shared<int>(1), 7);
    const uint32_t other = registry.Add(std::make_shared<int>(2), 8);
    registry.Add(std::make_shared<int>(3), 7);
    EXPECT_EQ(registry.TakeOwnedBy(7).size(), 2u);
    EXPECT_EQ(registry.Count(), 1u);
    EXPECT_TRUE(registry.Find(other));
    EXPECT_EQ(registry.TakeOwnedBy(0).size(), 1u);
    EXPECT_EQ(registry.Count(), 0u);
}

}  // namespace
