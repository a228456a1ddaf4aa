// tests/skin/skin_threads_test.cpp
//
// What the skin shares between threads, natively (and under ThreadSanitizer
// in tests/run_tsan.sh): the hook engine's table walked by a thread that
// loads a library while the GUI thread deletes every entry, and a schema
// read by the replaced colour functions of other threads while a skin change
// frees it.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "skin/core/hook_entries.h"
#include "skin/core/read_epochs.h"

namespace {

struct FakeEntry {
    int patches = 0;  // the modules a walk patched with it
    bool hooked = true;
};

TEST(HookEntries, AWalkWhileEveryEntryIsDeletedAndMadeAgainMeetsOnlyLiveEntries) {
    plym::HookEntries<FakeEntry> table;
    std::atomic<bool> stop{false};
    std::atomic<int> unhookedSeen{0};
    // A library loaded on another thread: every entry patches it.
    std::thread loader([&] {
        while (!stop) {
            table.ForEach([&](FakeEntry& entry) {
                ++entry.patches;
                if (!entry.hooked)
                    ++unhookedSeen;
            });
        }
    });
    for (int round = 0; round < 300; ++round) {
        {
            const auto hold = table.Lock();
            for (int id = 0; id < plym::kHookCount; ++id)
                table.Put(id, std::make_unique<FakeEntry>(), 0x1000u + static_cast<uintptr_t>(id), 0x2000u);
        }
        EXPECT_EQ(table.Unpatched(7), 0x1007u);
        table.RemoveAll([](FakeEntry& entry) { entry.hooked = false; });
    }
    stop = true;
    loader.join();
    EXPECT_EQ(unhookedSeen.load(), 0);  // an entry leaves and goes in one step
    for (int id = 0; id < plym::kHookCount; ++id) {
        EXPECT_EQ(table.At(id), nullptr);
        EXPECT_EQ(table.Unpatched(id), 0u);
        EXPECT_EQ(table.Replacement(id), 0u);
    }
}

TEST(ReadEpochs, AnObjectRetiredWhileReadersReadItGoesOnlyAfterTheyLeave) {
    plym::ReadEpochs epochs;
    std::atomic<std::vector<int>*> shared{new std::vector<int>(64, 1)};
    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};
    std::atomic<long> torn{0};
    const auto reader = [&] {
        while (!stop) {
            plym::ReadEpochScope reading(epochs);
            if (const std::vector<int>* values = shared.load()) {
                int sum = 0;
                for (int value : *values)
                    sum += value;
                ++(sum == 64 ? reads : torn);
            }
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    // The writer starts once the readers read, and goes on until they have
    // read while it retired (a loaded machine may start threads late).
    while (reads.load() == 0)
        std::this_thread::yield();
    const long readsBefore = reads.load();
    for (int i = 0; i < 2000 || reads.load() < readsBefore + 1000; ++i) {
        std::vector<int>* old = shared.exchange(i % 2 ? new std::vector<int>(64, 1) : nullptr);
        epochs.Retire();
        delete old;
        if (!shared.load())
            shared = new std::vector<int>(64, 1);
    }
    stop = true;
    first.join();
    second.join();
    delete shared.load();
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
