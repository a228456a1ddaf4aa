// tests/vekplay/frame_queue_test.cpp
//
// The input queue: frames checked on the way in, refusal episodes with exactly
// one "want data" each, end marks, and the hole a dropped frame leaves.
#include "vekplay/frame_queue.h"

#include <gtest/gtest.h>

#include "platform/le_bytes.h"
#include "tests/vekplay/test_host.h"

namespace vekplay {
namespace {

FramePtr MakeFrame(char type, uint64_t time, uint32_t payload, uint8_t channel = 0) {
    std::vector<uint8_t> bytes(40 + payload, 0x11);
    platform::PutU32(bytes.data(), media::kMagicFrame);
    bytes[4] = static_cast<uint8_t>(type);
    bytes[6] = channel;
    platform::PutU32(bytes.data() + 12, payload);
    platform::PutU64(bytes.data() + 16, time);
    auto f = std::make_shared<Frame>();
    EXPECT_EQ(ParseFrame(bytes.data(), bytes.size(), f.get()), FrameCheck::kOk);
    return f;
}

TEST(FrameCheckTest, HostileHeadersAreRejected) {
    std::vector<uint8_t> good(40 + 10, 0);
    platform::PutU32(good.data(), media::kMagicFrame);
    good[4] = 'I';
    platform::PutU32(good.data() + 12, 10);
    Frame f;
    EXPECT_EQ(ParseFrame(good.data(), good.size(), &f), FrameCheck::kOk);
    EXPECT_EQ(f.bytes.size(), 50u);

    EXPECT_EQ(ParseFrame(nullptr, 100, nullptr), FrameCheck::kTooShort);
    EXPECT_EQ(ParseFrame(good.data(), 39, nullptr), FrameCheck::kTooShort);
    // Longer input than the header says: the frame is the header's length.
    std::vector<uint8_t> longer = good;
    longer.resize(80, 0xEE);
    EXPECT_EQ(ParseFrame(longer.data(), longer.size(), &f), FrameCheck::kOk);
    EXPECT_EQ(f.bytes.size(), 50u);

    std::vector<uint8_t> bad = good;
    bad[0] = 'X';
    EXPECT_EQ(ParseFrame(bad.data(), bad.size(), nullptr), FrameCheck::kBadMagic);
    bad = good;
    bad[4] = 'Q';
    EXPECT_EQ(ParseFrame(bad.data(), bad.size(), nullptr), FrameCheck::kBadType);
    bad = good;
    platform::PutU32(bad.data() + 12, 11);  // more payload than given
    EXPECT_EQ(ParseFrame(bad.data(), bad.size(), nullptr), FrameCheck::kBadSize);
    bad = good;
    platform::PutU32(bad.data() + 12, 0xFFFFFFF0u);  // would wrap a 32-bit sum
    EXPECT_EQ(ParseFrame(bad.data(), bad.size(), nullptr), FrameCheck::kBadSize);
    std::vector<uint8_t> huge(40 + 512000, 0);
    std::copy(good.begin(), good.begin() + 40, huge.begin());
    platform::PutU32(huge.data() + 12, 511961);  // 512,001 bytes in all
    EXPECT_EQ(ParseFrame(huge.data(), huge.size(), nullptr), FrameCheck::kBadSize);
    platform::PutU32(huge.data() + 12, 511960);
    EXPECT_EQ(ParseFrame(huge.data(), huge.size(), nullptr), FrameCheck::kOk);
}

TEST(FrameQueueTest, RefusalEpisodeEndsWithExactlyOneWantDataAtLowWater) {
    QueueLimits limits;
    limits.maxFrames = 10;
    FrameQueue q(limits);
    for (int i = 0; i < 10; i++)
        ASSERT_TRUE(q.Push(MakeFrame(i % 5 ? 'P' : 'I', 1000 + i * 40000u, 100)));
    EXPECT_FALSE(q.Push(MakeFrame('P', 1000 + 10 * 40000u, 100)));
    EXPECT_TRUE(q.refusing());

    int wants = 0;
    QueueItem item;
    for (int i = 0; i < 4; i++) {
        bool want = false;
        ASSERT_TRUE(q.Pop(&item, &want));
        wants += want;
        // Room again, but the episode runs until low water: still refused.
        EXPECT_FALSE(q.Push(MakeFrame('P', 1000 + 10 * 40000u, 100)));
    }
    EXPECT_EQ(wants, 0);
    bool want = false;
    ASSERT_TRUE(q.Pop(&item, &want));  // 5 left: low water
    EXPECT_TRUE(want);
    EXPECT_FALSE(q.refusing());
    for (want = false; q.Pop(&item, &want); want = false)
        wants += want;
    EXPECT_EQ(wants, 0) << "one notice per episode";
}

TEST(FrameQueueTest, EachLimitMakesTheQueueFull) {
    {
        QueueLimits limits;
        limits.maxBytes = 1000;
        FrameQueue q(limits);
        EXPECT_TRUE(q.Push(MakeFrame('I', 0, 400)));
        EXPECT_TRUE(q.Push(MakeFrame('P', 40000, 400)));
        EXPECT_TRUE(q.Push(MakeFrame('P', 80000, 400)));  // 1320 bytes held: full from now
        EXPECT_FALSE(q.Push(MakeFrame('P', 120000, 10)));
    }
    {
        QueueLimits limits;
        limits.maxSpanUs = 1000000;
        FrameQueue q(limits);
        for (int i = 0; i <= 25; i++)
            EXPECT_TRUE(q.Push(MakeFrame('P', i * 40000u, 10))) << i;
        EXPECT_FALSE(q.Push(MakeFrame('P', 26 * 40000u, 10)));
    }
    {
        // Times running backwards give no span; the frame limit still holds.
        QueueLimits limits;
        limits.maxSpanUs = 1000;
        limits.maxFrames = 50;
        FrameQueue q(limits);
        int taken = 0;
        for (int i = 0; i < 100; i++)
            taken += q.Push(MakeFrame('P', 1000000000u - i * 40000u, 10));
        EXPECT_EQ(taken, 50);
    }
}

TEST(FrameQueueTest, EndMarksAreNeverRefusedAndKeepTheirPlace) {
    QueueLimits limits;
    limits.maxFrames = 2;
    FrameQueue q(limits);
    ASSERT_TRUE(q.Push(MakeFrame('I', 0, 10)));
    ASSERT_TRUE(q.Push(MakeFrame('P', 40000, 10)));
    ASSERT_FALSE(q.Push(MakeFrame('P', 80000, 10)));
    q.PushEnd();
    QueueItem item;
    bool want = false;
    ASSERT_TRUE(q.Pop(&item, &want));
    ASSERT_TRUE(q.Pop(&item, &want));
    EXPECT_TRUE(item.frame);
    ASSERT_TRUE(q.Pop(&item, &want));
    EXPECT_FALSE(item.frame) << "the end mark comes after the frames before it";
    EXPECT_FALSE(q.Pop(&item, &want));
}

// Fills a two-frame queue, has `refused` refused, and drains it to the end of
// the episode.
void FillRefuseDrain(FrameQueue& q, uint64_t t0, const std::vector<FramePtr>& refused) {
    ASSERT_TRUE(q.Push(MakeFrame('P', t0, 10)));
    ASSERT_TRUE(q.Push(MakeFrame('P', t0 + 40000, 10)));
    for (const FramePtr& f : refused)
        ASSERT_FALSE(q.Push(f));
    QueueItem item;
    bool want = false;
    ASSERT_TRUE(q.Pop(&item, &want));
    ASSERT_TRUE(q.Pop(&item, &want));
    ASSERT_TRUE(want);
}

std::vector<std::pair<uint64_t, bool>> Drain(FrameQueue& q) {
    std::vector<std::pair<uint64_t, bool>> out;
    QueueItem item;
    bool want = false;
    while (q.Pop(&item, &want))
        out.emplace_back(item.frame->time(), item.afterGap);
    return out;
}

TEST(FrameQueueTest, ARefusedFrameIsKeptUnlessFramesWereReallyLost) {
    QueueLimits limits;
    limits.maxFrames = 2;
    using Seen = std::vector<std::pair<uint64_t, bool>>;
    {
        // Offered again: taken once, nothing lost.
        FrameQueue q(limits);
        const FramePtr refused = MakeFrame('P', 80000, 10);
        FillRefuseDrain(q, 0, {refused, refused});
        ASSERT_TRUE(q.Push(refused));
        EXPECT_EQ(Drain(q), (Seen{{80000, false}}));
    }
    {
        // Dropped by a source that held still (the disk play): the kept copy
        // goes in before the next frame.
        FrameQueue q(limits);
        FillRefuseDrain(q, 0, {MakeFrame('P', 80000, 10)});
        ASSERT_TRUE(q.Push(MakeFrame('P', 120000, 10)));
        EXPECT_EQ(Drain(q), (Seen{{80000, false}, {120000, false}}));
    }
    {
        // Two different frames refused and dropped: a hole; decoding restarts.
        FrameQueue q(limits);
        FillRefuseDrain(q, 0, {MakeFrame('P', 80000, 10), MakeFrame('P', 120000, 10)});
        ASSERT_TRUE(q.Push(MakeFrame('P', 160000, 10)));
        EXPECT_EQ(Drain(q), (Seen{{160000, true}}));
    }
    {
        // The source went elsewhere meanwhile: the kept frame does not belong.
        FrameQueue q(limits);
        FillRefuseDrain(q, 0, {MakeFrame('P', 80000, 10)});
        ASSERT_TRUE(q.Push(MakeFrame('I', 80000 + 3600000000ULL, 10)));
        EXPECT_EQ(Drain(q), (Seen{{80000 + 3600000000ULL, true}}));
        FillRefuseDrain(q, 0, {MakeFrame('P', 80000, 10, 1)});
        ASSERT_TRUE(q.Push(MakeFrame('P', 120000, 10, 2)));  // another channel
        EXPECT_EQ(Drain(q), (Seen{{120000, true}}));
    }
}

TEST(FrameQueueTest, FlushDropsEverythingAndEndsARefusalEpisode) {
    QueueLimits limits;
    limits.maxFrames = 2;
    FrameQueue q(limits);
    ASSERT_TRUE(q.Push(MakeFrame('I', 0, 10)));
    ASSERT_TRUE(q.Push(MakeFrame('P', 40000, 10)));
    ASSERT_FALSE(q.Push(MakeFrame('P', 80000, 10)));
    q.PushEnd();
    bool want = false;
    q.Flush(&want);
    EXPECT_TRUE(want) << "a source paused by the refusal must be woken, or it stays paused for good";
    EXPECT_EQ(q.frames(), 0u);
    EXPECT_EQ(q.bytes(), 0u);
    QueueItem item;
    EXPECT_FALSE(q.Front(&item)) << "the end mark went too";
    ASSERT_TRUE(q.Push(MakeFrame('I', 1000000, 10)));
    ASSERT_TRUE(q.Pop(&item, &want));
    EXPECT_FALSE(item.afterGap);

    want = false;
    q.Flush(&want);
    EXPECT_FALSE(want) << "no episode, no notice";
}

}  // namespace
}  // namespace vekplay
