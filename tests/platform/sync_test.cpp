// tests/platform/sync_test.cpp
//
// Events, semaphores and threads. Nothing here measures time: a wait that must
// succeed gets a generous limit (or none), and a wait that must not is only
// checked for having returned false.
#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t kGenerous = 10000;  // ms; only ever reached when something is broken
constexpr uint32_t kBrief = 50;        // ms; for waits that must time out

TEST(EventTest, AutoResetIsConsumedByOneWait) {
    Event event(Event::AutoReset);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();  // does not count twice
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(kBrief));

    Event initially(Event::AutoReset, true);
    EXPECT_TRUE(initially.Wait(0));
    EXPECT_FALSE(initially.Wait(0));
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    Event event(Event::ManualReset);
    EXPECT_FALSE(event.Wait(kBrief));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(kBrief));
    EXPECT_TRUE(event.Wait());
    event.Reset();
    EXPECT_FALSE(event.Wait(0));

    Event initially(Event::ManualReset, true);
    EXPECT_TRUE(initially.Wait(0));
    EXPECT_TRUE(initially.Wait(0));
}

TEST(EventTest, SetWakesAWaiterOnAnotherThread) {
    Event go(Event::AutoReset), done(Event::AutoReset);
    std::atomic<bool> woke{false};
    Thread waiter;
    ASSERT_TRUE(waiter.Start([&] {
        woke = go.Wait();  // no time-out, like a worker parked on its stop event
        done.Set();
    }));
    go.Set();
    EXPECT_TRUE(done.Wait(kGenerous));
    EXPECT_TRUE(waiter.Join());
    EXPECT_TRUE(woke);
}

// A signal that nobody waits for yet is kept for exactly one later Wait,
// however the threads are scheduled.
TEST(EventTest, AutoResetSignalGoesToExactlyOneWaiter) {
    Event event(Event::AutoReset);
    event.Set();
    std::atomic<int> released{0};
    std::vector<Thread> waiters(4);
    for (Thread& waiter : waiters)
        ASSERT_TRUE(waiter.Start([&] { released += event.Wait(kBrief) ? 1 : 0; }));
    for (Thread& waiter : waiters)
        EXPECT_TRUE(waiter.Join());
    EXPECT_EQ(released.load(), 1);
    EXPECT_FALSE(event.Wait(0));
}

// Each Set lets one more blocked waiter through, until all are.
TEST(EventTest, AutoResetSetsReleaseBlockedWaitersOneByOne) {
    Event event(Event::AutoReset);
    std::atomic<int> released{0};
    std::vector<Thread> waiters(4);
    for (Thread& waiter : waiters)
        ASSERT_TRUE(waiter.Start([&] { released += event.Wait() ? 1 : 0; }));
    for (int i = 1; i <= 4; i++) {
        event.Set();
        // Wait for the release before the next Set: a second Set on a signalled
        // event is lost, as it is on Windows.
        for (uint32_t waited = 0; released < i && waited < kGenerous; waited++)
            SleepMs(1);
        ASSERT_EQ(released.load(), i);
    }
    for (Thread& waiter : waiters)
        EXPECT_TRUE(waiter.Join());
}

TEST(EventTest, ManualResetReleasesEveryWaiter) {
    Event event(Event::ManualReset);
    std::atomic<int> released{0};
    std::vector<Thread> waiters(4);
    for (Thread& waiter : waiters)
        ASSERT_TRUE(waiter.Start([&] { released += event.Wait(kGenerous) ? 1 : 0; }));
    event.Set();
    for (Thread& waiter : waiters)
        EXPECT_TRUE(waiter.Join());
    EXPECT_EQ(released.load(), 4);
}

TEST(SemaphoreTest, CountsBetweenZeroAndTheMaximum) {
    Semaphore semaphore(2, 3);
    EXPECT_TRUE(semaphore.Wait(0));
    EXPECT_TRUE(semaphore.Wait(0));
    EXPECT_FALSE(semaphore.Wait(0));
    EXPECT_FALSE(semaphore.Wait(kBrief));

    int32_t previous = -1;
    EXPECT_TRUE(semaphore.Release(1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(semaphore.Release(3, &previous));  // 1 + 3 > 3: refused, count unchanged
    EXPECT_EQ(previous, 1);
    EXPECT_FALSE(semaphore.Release(0));
    EXPECT_FALSE(semaphore.Release(-1));
    EXPECT_TRUE(semaphore.Release(2, &previous));
    EXPECT_EQ(previous, 1);
    EXPECT_FALSE(semaphore.Release());
    for (int i = 0; i < 3; i++)
        EXPECT_TRUE(semaphore.Wait(0)) << i;
    EXPECT_FALSE(semaphore.Wait(0));

    Semaphore clamped(5, 2);
    EXPECT_TRUE(clamped.Wait(0));
    EXPECT_TRUE(clamped.Wait(0));
    EXPECT_FALSE(clamped.Wait(0));
}

TEST(SemaphoreTest, ReleasesWakeWaitersOnOtherThreads) {
    constexpr int kUnits = 200;
    constexpr int kConsumers = 4;
    // One spare unit per consumer, so each sees the count reached and stops.
    Semaphore semaphore(0, kUnits + kConsumers);
    std::atomic<int> taken{0};
    std::atomic<bool> timedOut{false};
    std::vector<Thread> consumers(kConsumers);
    for (Thread& consumer : consumers) {
        ASSERT_TRUE(consumer.Start([&] {
            for (;;) {
                if (!semaphore.Wait(kGenerous)) {
                    timedOut = true;
                    return;
                }
                if (++taken >= kUnits)
                    return;
            }
        }));
    }
    for (int i = 0; i < kUnits / 2; i++)
        ASSERT_TRUE(semaphore.Release());
    ASSERT_TRUE(semaphore.Release(kUnits / 2 + kConsumers));
    for (Thread& consumer : consumers)
        EXPECT_TRUE(consumer.Join());
    EXPECT_FALSE(timedOut);
    EXPECT_GE(taken.load(), kUnits);
    EXPECT_LE(taken.load(), kUnits + kConsumers);
}

TEST(ThreadTest, StartJoinAndJoinable) {
    Thread thread;
    EXPECT_FALSE(thread.Joinable());
    EXPECT_FALSE(thread.Join());
    EXPECT_FALSE(thread.Start(nullptr));

    Event release(Event::ManualReset);
    int result = 0;
    ASSERT_TRUE(thread.Start([&] {
        release.Wait();
        result = 42;
    }));
    EXPECT_TRUE(thread.Joinable());
    EXPECT_FALSE(thread.IsCurrent());
    EXPECT_FALSE(thread.Start([] {})) << "a second start while the first thread is held";
    release.Set();
    EXPECT_TRUE(thread.Join());
    EXPECT_EQ(result, 42);  // the join makes the thread's writes visible
    EXPECT_FALSE(thread.Joinable());

    ASSERT_TRUE(thread.Start([&] { result = 7; }));  // reusable once joined
    EXPECT_TRUE(thread.Join());
    EXPECT_EQ(result, 7);
}

TEST(ThreadTest, DestructorWaitsForTheThread) {
    std::atomic<bool> finished{false};
    {
        Thread thread;
        ASSERT_TRUE(thread.Start([&] {
            SleepMs(20);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished);
}

TEST(ThreadTest, MoveAssignmentJoinsTheThreadItReplaces) {
    std::atomic<bool> firstDone{false};
    Thread target;
    ASSERT_TRUE(target.Start([&] {
        SleepMs(20);
        firstDone = true;
    }));
    Thread other;
    ASSERT_TRUE(other.Start([] {}));
    target = std::move(other);
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(target.Joinable());
    EXPECT_FALSE(other.Joinable());
    EXPECT_TRUE(target.Join());
}

// A stop routine called from the worker's own callback must not hang: joining
// yourself fails, and dropping yourself detaches.
TEST(ThreadTest, AThreadCannotJoinItself) {
    Event done(Event::AutoReset);
    std::atomic<int> joined{-1};
    std::atomic<bool> current{false};
    auto thread = std::make_unique<Thread>();
    Thread* self = thread.get();
    ASSERT_TRUE(thread->Start([&] {
        current = self->IsCurrent();
        joined = self->Join() ? 1 : 0;
        done.Set();
    }));
    EXPECT_TRUE(done.Wait(kGenerous));
    EXPECT_TRUE(thread->Join());
    EXPECT_TRUE(current);
    EXPECT_EQ(joined.load(), 0);

    // The thread outlives this test's frame, so what it touches is shared.
    auto gate = std::make_shared<Event>(Event::ManualReset);
    auto freed = std::make_shared<Event>(Event::ManualReset);
    Thread* owned = new Thread;
    ASSERT_TRUE(owned->Start([owned, gate, freed] {
        gate->Wait();  // until Start has returned
        delete owned;  // detaches rather than waiting for itself
        freed->Set();
    }));
    gate->Set();
    EXPECT_TRUE(freed->Wait(kGenerous));
}

}  // namespace
}  // namespace platform
