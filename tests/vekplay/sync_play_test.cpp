// tests/vekplay/sync_play_test.cpp
//
// Synchronised play on a virtual clock: members show what the master's clock
// says, the clock waits for a starved member, ends when every member has ended,
// restarts after a reposition, members step on their own, and a master may go
// before its members.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "tests/vekplay/test_host.h"
#include "vekplay/play_instance.h"

namespace vekplay {
namespace {

using test::CardSpec;
using test::MakeFrames;
using test::TestFrames;

constexpr int64_t kFrameUs = 40000;
constexpr uint64_t kStart = 1709640000000000ULL;
constexpr uintptr_t kMasterUser = 100;

class SyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = Make(InstanceKind::kMaster, kMasterUser);
        a_ = Make(InstanceKind::kStream, 1);
        b_ = Make(InstanceKind::kStream, 2);
        ASSERT_EQ(master_->AddMember(*a_), 0);
        ASSERT_EQ(master_->AddMember(*b_), 0);
    }
    void TearDown() override {
        for (auto& i : made_)
            i->Shutdown();
    }
    std::shared_ptr<Instance> Make(InstanceKind kind, uintptr_t user) {
        auto i = Instance::Create(static_cast<uint32_t>(made_.size() + 1), kind, host_);
        i->SetNotify(0x99, 0x42B, user);
        made_.push_back(i);
        return i;
    }
    static void Feed(Instance& i, const TestFrames& t, size_t from, size_t to) {
        for (size_t n = from; n < to; n++)
            ASSERT_EQ(i.Input(t.frames[n].data(), static_cast<uint32_t>(t.frames[n].size())), 0) << n;
    }
    // Frame times the member with notice user `user` showed: the targets do not
    // know their instance, so each member's pictures are told apart by channel.
    std::vector<uint64_t> ShownOnChannel(uint8_t channel) {
        std::vector<uint64_t> out;
        for (const auto& s : host_->shown())
            if (s.width == 352 + channel * 8)
                out.push_back(s.time);
        return out;
    }
    int EndsFor(uintptr_t user) {
        int n = 0;
        for (const auto& p : host_->posts())
            n += p.code == kCodeEnd && p.user == user;
        return n;
    }
    VirtualClock& clock() { return host_->vclock(); }

    // Member streams differ in picture width (card size) so their pictures can
    // be told apart.
    static TestFrames MemberFrames(uint8_t channel, uint32_t frames, uint64_t start = kStart) {
        vektools::StreamSpec recipe = CardSpec(frames, 25, start);
        recipe.channel = channel;
        recipe.width = static_cast<uint16_t>(352 + channel * 8);
        return MakeFrames(recipe);
    }

    std::shared_ptr<test::TestHost> host_ = std::make_shared<test::TestHost>();
    std::vector<std::shared_ptr<Instance>> made_;
    std::shared_ptr<Instance> master_, a_, b_;
};

TEST_F(SyncTest, MembersShowTheFramesTheMasterClockHasReached) {
    const TestFrames ta = MemberFrames(1, 20);
    const TestFrames tb = MemberFrames(2, 20, kStart + kFrameUs / 2);  // half a frame later
    Feed(*a_, ta, 0, 20);
    Feed(*b_, tb, 0, 20);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_TRUE(host_->shown().empty()) << "nothing before the master starts";
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10 - 1));
    // The clock started at the earliest frame (a's first); 400 ms less a tick
    // later both showed their frames 0..9.
    EXPECT_EQ(ShownOnChannel(1).size(), 10u);
    EXPECT_EQ(ShownOnChannel(2).size(), 10u);
    EXPECT_GE(master_->PlayedTime(), tb.record(9).timeUs);
    EXPECT_LT(master_->PlayedTime(), kStart + kFrameUs * 10);
    for (const auto& s : host_->shown())
        EXPECT_LE(s.time, master_->PlayedTime());
    EXPECT_EQ(a_->PlayedTime(), ta.record(9).timeUs);
    EXPECT_EQ(b_->PlayedTime(), tb.record(9).timeUs);

    ASSERT_EQ(master_->SetMode(kModeFast4), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs / 4 * 5));
    EXPECT_EQ(ShownOnChannel(1).size(), 15u);
}

TEST_F(SyncTest, TheClockWaitsForAStarvedMemberInsteadOfSkipping) {
    const TestFrames ta = MemberFrames(1, 60);
    const TestFrames tb = MemberFrames(2, 60);
    Feed(*a_, ta, 0, 60);
    Feed(*b_, tb, 0, 10);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(2000000));
    EXPECT_EQ(ShownOnChannel(2).size(), 10u);
    EXPECT_EQ(ShownOnChannel(1).size(), 10u) << "a does not run ahead of the starved member";
    EXPECT_EQ(master_->PlayedTime(), tb.record(9).timeUs);

    Feed(*b_, tb, 10, 60);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 60));
    const auto a = ShownOnChannel(1);
    const auto b = ShownOnChannel(2);
    ASSERT_EQ(a.size(), 60u);
    ASSERT_EQ(b.size(), 60u);
    for (size_t k = 0; k < 60; k++) {
        EXPECT_EQ(a[k], ta.record(k).timeUs) << "no frame skipped";
        EXPECT_EQ(b[k], tb.record(k).timeUs);
    }
}

TEST_F(SyncTest, MasterEndsWhenAllMembersHaveEnded) {
    const TestFrames ta = MemberFrames(1, 10);
    const TestFrames tb = MemberFrames(2, 30);
    Feed(*a_, ta, 0, 10);
    a_->Input(nullptr, 0);
    Feed(*b_, tb, 0, 30);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 20));
    EXPECT_EQ(EndsFor(1), 1) << "a member reports its own end";
    EXPECT_EQ(EndsFor(kMasterUser), 0);
    EXPECT_GE(ShownOnChannel(2).size(), 20u) << "the clock goes on for the member that has not ended";

    b_->Input(nullptr, 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 20));
    EXPECT_EQ(ShownOnChannel(2).size(), 30u);
    EXPECT_EQ(EndsFor(2), 1);
    EXPECT_EQ(EndsFor(kMasterUser), 1);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(EndsFor(kMasterUser), 1) << "once";
}

TEST_F(SyncTest, PauseOfTheMasterHoldsEveryMember) {
    const TestFrames ta = MemberFrames(1, 40);
    const TestFrames tb = MemberFrames(2, 40);
    Feed(*a_, ta, 0, 40);
    Feed(*b_, tb, 0, 40);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5 - 1));
    ASSERT_EQ(master_->SetMode(kModePause), 0);
    EXPECT_EQ(master_->GetMode(), kModePause);
    ASSERT_TRUE(clock().RunFor(3000000));
    EXPECT_EQ(ShownOnChannel(1).size(), 5u);
    EXPECT_EQ(ShownOnChannel(2).size(), 5u);
    ASSERT_EQ(master_->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
    EXPECT_EQ(ShownOnChannel(1).size(), 10u);
}

TEST_F(SyncTest, MembersStepOnTheirOwnAndTheClockResumesFromTheLatestPicture) {
    const TestFrames ta = MemberFrames(1, 40);
    const TestFrames tb = MemberFrames(2, 40);
    Feed(*a_, ta, 0, 40);
    Feed(*b_, tb, 0, 40);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 3 - 1));  // 0..2 on both
    ASSERT_EQ(a_->SetMode(kModeStep), 0);
    ASSERT_EQ(b_->SetMode(kModeStep), 0);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(ShownOnChannel(1).size(), 4u);
    EXPECT_EQ(ShownOnChannel(2).size(), 4u);
    ASSERT_EQ(a_->SetMode(kModeStep), 0);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(ShownOnChannel(1).size(), 5u) << "only the member told to step";
    EXPECT_EQ(ShownOnChannel(2).size(), 4u);
    EXPECT_EQ(a_->PlayedTime(), ta.record(4).timeUs);

    // Both play again: the clock goes on from a's frame 4, so b catches up at once.
    ASSERT_EQ(a_->SetMode(kModeNormal), 0);
    ASSERT_EQ(b_->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().Settle());
    EXPECT_GE(master_->PlayedTime(), ta.record(4).timeUs);
    EXPECT_EQ(b_->PlayedTime(), tb.record(4).timeUs);
    ASSERT_TRUE(clock().RunFor(kFrameUs));
    EXPECT_EQ(a_->PlayedTime(), ta.record(5).timeUs);
    EXPECT_EQ(b_->PlayedTime(), tb.record(5).timeUs);
}

TEST_F(SyncTest, SeekingEveryMemberRestartsTheClockAtTheNewFrames) {
    const TestFrames ta = MemberFrames(1, 200);
    const TestFrames tb = MemberFrames(2, 200);
    Feed(*a_, ta, 0, 20);
    Feed(*b_, tb, 0, 20);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
    // As the tool bar seeks: stop the master, reposition and refeed each member, start.
    master_->Stop();
    ASSERT_EQ(a_->SetMode(kModeReposition), 0);
    Feed(*a_, ta, 150, 170);
    ASSERT_EQ(b_->SetMode(kModeReposition), 0);
    Feed(*b_, tb, 150, 170);
    host_->Clear();
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 4 - 1));
    EXPECT_EQ(ShownOnChannel(1), (std::vector<uint64_t>{ta.record(150).timeUs, ta.record(151).timeUs,
                                                        ta.record(152).timeUs, ta.record(153).timeUs}));
    EXPECT_EQ(ShownOnChannel(2).size(), 4u);
    EXPECT_EQ(master_->PlayedTime(), ta.record(153).timeUs);
}

TEST_F(SyncTest, DestroyingTheMasterBeforeItsMembersIsSafe) {
    const TestFrames ta = MemberFrames(1, 40);
    Feed(*a_, ta, 0, 40);
    Feed(*b_, MemberFrames(2, 40), 0, 40);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 5));
    master_->Shutdown();
    ASSERT_TRUE(clock().RunFor(1000000));
    const size_t shown = host_->shown().size();
    // The members were never started themselves: they hold, and take calls.
    EXPECT_EQ(a_->SetMode(kModeStep), 0);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(host_->shown().size(), shown + 1);
    a_->Start();
    ASSERT_EQ(a_->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_GT(host_->shown().size(), shown + 5) << "a member left alone plays on its own";
    EXPECT_EQ(master_->AddMember(*b_), -1);
    a_->Shutdown();
    b_->Shutdown();
}

TEST_F(SyncTest, DestroyingAMemberLetsTheOthersGoOn) {
    const TestFrames ta = MemberFrames(1, 40);
    Feed(*a_, ta, 0, 40);
    Feed(*b_, MemberFrames(2, 40), 0, 5);  // b will starve
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_EQ(ShownOnChannel(1).size(), 5u);
    b_->Shutdown();
    ASSERT_TRUE(clock().RunFor(kFrameUs * 10));
    EXPECT_GT(ShownOnChannel(1).size(), 10u);
}

// Members on a 60 Hz screen.
class SyncOnScreenTest : public SyncTest {
  protected:
    SyncOnScreenTest() { host_->SetRefresh(kScreenRefreshUs); }
};

// At x16 in sync (the tool bar's fastest), each member decodes every frame but
// draws only about one picture per screen refresh, and its last frame. When
// the master pauses (only the master is told), each member shows the last
// frame it decoded.
TEST_F(SyncOnScreenTest, MembersAtX16DrawOnlyWhatTheScreenShows) {
    const TestFrames ta = MemberFrames(1, 100);
    const TestFrames tb = MemberFrames(2, 100);
    Feed(*a_, ta, 0, 100);
    a_->Input(nullptr, 0);
    Feed(*b_, tb, 0, 100);
    b_->Input(nullptr, 0);
    ASSERT_EQ(master_->SetMode(kModeFast16), 0);
    master_->Start();
    ASSERT_TRUE(clock().RunFor(kFrameUs / 16 * 3));
    ASSERT_EQ(master_->SetMode(kModePause), 0);
    ASSERT_TRUE(clock().RunFor(100000));
    for (const auto& [member, t, channel] : {std::tuple{a_, &ta, 1}, std::tuple{b_, &tb, 2}}) {
        SCOPED_TRACE(channel);
        const uint64_t decoded = member->stats().decoded;
        ASSERT_GE(decoded, 2u);
        const std::vector<uint64_t> shown = ShownOnChannel(static_cast<uint8_t>(channel));
        ASSERT_LT(shown.size(), decoded) << "pictures were left undrawn";
        EXPECT_EQ(shown.back(), t->record(decoded - 1).timeUs);
        EXPECT_EQ(member->PlayedTime(), t->record(decoded - 1).timeUs);
    }

    ASSERT_EQ(master_->SetMode(kModeFast16), 0);
    ASSERT_TRUE(clock().RunFor(kFrameUs / 16 * 110));
    EXPECT_EQ(EndsFor(kMasterUser), 1);
    constexpr size_t kMost = 100 * kFrameUs / 16 / (kScreenRefreshUs - kFrameUs / 16) + 2;
    constexpr size_t kLeast = 100 * kFrameUs / 16 / kScreenRefreshUs;
    for (const auto& [member, t, channel] : {std::tuple{a_, &ta, 1}, std::tuple{b_, &tb, 2}}) {
        SCOPED_TRACE(channel);
        const InstanceStats st = member->stats();
        EXPECT_EQ(st.decoded, 100u);
        EXPECT_EQ(st.skipped, 0u);
        const std::vector<uint64_t> shown = ShownOnChannel(static_cast<uint8_t>(channel));
        EXPECT_GE(shown.size(), kLeast);
        EXPECT_LE(shown.size(), kMost);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), t->record(99).timeUs);
    }
}

TEST(SyncMembershipTest, OnlyMastersTakeMembersAndNeverThemselves) {
    auto host = std::make_shared<test::TestHost>();
    auto master = Instance::Create(1, InstanceKind::kMaster, host);
    auto other = Instance::Create(2, InstanceKind::kMaster, host);
    auto stream = Instance::Create(3, InstanceKind::kStream, host);
    EXPECT_EQ(master->AddMember(*master), -1);
    EXPECT_EQ(master->AddMember(*other), -1);
    EXPECT_EQ(stream->AddMember(*master), -1);
    EXPECT_EQ(master->AddMember(*stream), 0);
    EXPECT_EQ(other->AddMember(*stream), 0) << "moves to the other master";
    EXPECT_EQ(master->Input(nullptr, 0), -1) << "a master has no input";
    for (auto* i : {&master, &other, &stream})
        (*i)->Shutdown();
}

}  // namespace
}  // namespace vekplay
