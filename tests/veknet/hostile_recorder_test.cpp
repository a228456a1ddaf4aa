// A fake recorder that answers with random, truncated, oversized and
// out-of-place messages: the client must end the connection with the link-lost
// (or connection-failed) status, never crash, never wait for ever, and never
// allocate what a length from the wire asks for.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <list>
#include <random>
#include <thread>

#include "platform/le_bytes.h"
#include "tests/veknet/veknet_test_support.h"
#include "veknet/link.h"
#include "veknet/protocol.h"

namespace veknet::testing {
namespace {

// Serves every connection with a script given the connection's first message.
class FakeRecorder {
  public:
    using Script = std::function<void(Link& link, const Message& first)>;

    explicit FakeRecorder(Script script) : script_(std::move(script)) {
        listener_ = Socket::ListenLoopback(0);
        port_ = listener_->LocalPort();
        acceptor_.Start([this] {
            while (!stop_.load()) {
                std::unique_ptr<Socket> socket = listener_->Accept(50);
                if (!socket)
                    continue;
                auto link = std::make_shared<Link>(std::move(socket));
                links_.push_back(link);
                threads_.emplace_back();
                threads_.back().Start([this, link] {
                    Message first;
                    if (link->Read(&first, 5000) == ReadResult::kOk)
                        script_(*link, first);
                    link->Shutdown();
                });
            }
        });
    }
    ~FakeRecorder() {
        stop_.store(true);
        acceptor_.Join();
        for (auto& link : links_)
            link->Shutdown();
        threads_.clear();  // joins
    }
    uint16_t Port() const { return port_; }

  private:
    Script script_;
    std::unique_ptr<Socket> listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    platform::Thread acceptor_;
    std::vector<std::shared_ptr<Link>> links_;
    std::list<platform::Thread> threads_;
};

void SendRaw(Link& link, const std::vector<uint8_t>& bytes) {
    link.SendBytes(bytes.data(), bytes.size());
}

const LoginReplyBody kGoodReply{kStatusLoggedIn, 77, 4, "Fake"};

std::vector<uint8_t> Mutated(std::mt19937& rng, std::vector<uint8_t> bytes) {
    switch (rng() % 5) {
        case 0:  // a few bytes flipped anywhere, header included
            for (int i = 0, n = 1 + static_cast<int>(rng() % 4); i < n; i++)
                bytes[rng() % bytes.size()] ^= static_cast<uint8_t>(1 + rng() % 255);
            break;
        case 1:  // cut short
            bytes.resize(rng() % bytes.size());
            break;
        case 2: {  // noise
            bytes.resize(rng() % 64);
            for (auto& b : bytes)
                b = static_cast<uint8_t>(rng());
            break;
        }
        case 3:  // a length field from anywhere
            platform::PutU32(bytes.data() + 12, static_cast<uint32_t>(rng()));
            break;
        default:  // a body length one past what the header says
            bytes.push_back(static_cast<uint8_t>(rng()));
            platform::PutU32(bytes.data() + 12, platform::GetU32(bytes.data() + 12) + 1);
            break;
    }
    return bytes;
}

class HostileRecorder : public VekNetTest {};

// The day query the hostile recorders below are asked: 5 March 2024, all day.
NetRecordQuery DayQueryOf5March() {
    NetRecordQuery q{};
    q.command = VEKNET_QUERY_DAY;
    q.start = Time(2024, 3, 5);
    q.end = Time(2024, 3, 5, 23, 59, 59);
    return q;
}

TEST_F(HostileRecorder, MangledLoginRepliesEndInAKnownStatus) {
    std::atomic<uint32_t> seed{0};
    FakeRecorder fake([&](Link& link, const Message& first) {
        if (first.type != kLogin)
            return;
        std::mt19937 rng(seed.load());
        SendRaw(link, Mutated(rng, Encode(MakeLoginReply(kGoodReply))));
    });
    int loggedIn = 0;
    for (uint32_t s = 1; s <= 150; s++) {
        seed = s;
        const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake.Port());
        ASSERT_NE(login, 0u);
        const uint32_t first = FirstStatus(login);
        ASSERT_TRUE(first == 101 || first == 103 || first == 104 || first == 105 || first == 106)
            << "seed " << s << " status " << first;
        if (first == 101) {
            // The fake closes after its reply: the link is lost.
            loggedIn++;
            ASSERT_TRUE(statuses_.WaitCount(WindowOf(login), 2)) << "seed " << s;
            EXPECT_EQ(statuses_.Of(WindowOf(login))[1], 2u);
        }
        uint32_t h = login;
        VekNetConnectionStop(&h);
    }
    EXPECT_LT(loggedIn, 150);
}

// After a good login the recorder turns hostile on the control connection.
struct AfterLoginCase {
    const char* name;
    std::function<std::vector<uint8_t>(uint32_t sequence)> answer;
};

class HostileAfterLogin : public VekNetTest, public ::testing::WithParamInterface<AfterLoginCase> {};

TEST_P(HostileAfterLogin, QueryFailsAndTheLinkIsLost) {
    const AfterLoginCase& c = GetParam();
    FakeRecorder fake([&](Link& link, const Message& first) {
        if (first.type != kLogin)
            return;
        link.Send(MakeLoginReply(kGoodReply));
        Message m;
        while (link.Read(&m, 5000) == ReadResult::kOk) {
            if (m.type == kQuery) {
                SendRaw(link, c.answer(m.sequence));
                platform::SleepMs(500);  // the client must not wait for the rest
                return;
            }
            link.Send(MakeEmpty(kPong));
        }
    });
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake.Port());
    ASSERT_EQ(FirstStatus(login), 101u);
    NetRecordQuery q = DayQueryOf5March();
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    ASSERT_TRUE(statuses_.WaitCount(WindowOf(login), 2));
    EXPECT_EQ(statuses_.Of(WindowOf(login)), (std::vector<uint32_t>{101, 2}));
}

std::vector<uint8_t> ReplyWith(uint32_t sequence, const std::function<void(std::vector<uint8_t>&)>& spoil) {
    std::vector<WireItem> items(2);
    for (WireItem& item : items) {
        item.start = {2024, 3, 5, 9, 0, 0};
        item.end = {2024, 3, 5, 9, 0, 10};
    }
    std::vector<uint8_t> bytes = Encode(MakeQueryReply(sequence, items));
    spoil(bytes);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Replies,
    HostileAfterLogin,
    ::testing::Values(
        AfterLoginCase{"huge_length",
                       [](uint32_t s) {
                           return ReplyWith(s, [](auto& b) { platform::PutU32(b.data() + 12, 0x7FFFFFFF); });
                       }},
        AfterLoginCase{
            "count_not_matching",
            [](uint32_t s) { return ReplyWith(s, [](auto& b) { platform::PutU32(b.data() + 16, 3); }); }},
        AfterLoginCase{"count_past_limit",
                       [](uint32_t s) {
                           return ReplyWith(s, [](auto& b) { platform::PutU32(b.data() + 16, 0xFFFFFFFF); });
                       }},
        AfterLoginCase{"impossible_date",
                       [](uint32_t s) { return ReplyWith(s, [](auto& b) { b[16 + 4 + 4 + 2] = 13; }); }},
        AfterLoginCase{"truncated",
                       [](uint32_t s) { return ReplyWith(s, [](auto& b) { b.resize(b.size() - 5); }); }},
        AfterLoginCase{"wrong_type", [](uint32_t) { return Encode(MakeLoginReply(kGoodReply)); }},
        AfterLoginCase{"bad_magic", [](uint32_t s) { return ReplyWith(s, [](auto& b) { b[0] = 'X'; }); }}),
    [](const ::testing::TestParamInfo<AfterLoginCase>& p) { return std::string(p.param.name); });

// A recorder that answers every query, each only after 2 s. Queries made
// back to back share 3 s of waiting: the first is answered, the second is
// given up when the 3 s are gone and loses the link, and the third is not
// even sent.
TEST_F(HostileRecorder, SlowAnswersUseUpTheWaitOfQueriesMadeBackToBack) {
    std::atomic<int> asked{0};
    FakeRecorder fake([&](Link& link, const Message& first) {
        if (first.type != kLogin)
            return;
        link.Send(MakeLoginReply(kGoodReply));
        Message m;
        while (link.Read(&m, 5000) == ReadResult::kOk) {
            if (m.type != kQuery) {
                link.Send(MakeEmpty(kPong));
                continue;
            }
            asked++;
            platform::SleepMs(2000);
            WireItem item;
            item.start = {2024, 3, 5, 9, 0, 0};
            item.end = {2024, 3, 5, 9, 0, 10};
            link.Send(MakeQueryReply(m.sequence, {item}));
        }
    });
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake.Port());
    ASSERT_EQ(FirstStatus(login), 101u);
    NetRecordQuery q = DayQueryOf5March();
    EXPECT_EQ(VekNetQueryRecord(login, &q), 1);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    ASSERT_TRUE(statuses_.WaitCount(WindowOf(login), 2));
    EXPECT_EQ(statuses_.Of(WindowOf(login)), (std::vector<uint32_t>{101, 2}));
    EXPECT_EQ(asked.load(), 2);
}

// Frames that are not whole, and a recorder that ignores flow control.
class HostileStreams : public VekNetTest {
  protected:
    // A fake whose control connection is sound and whose stream connections
    // run `stream` after a good open reply.
    std::unique_ptr<FakeRecorder> Fake(std::function<void(Link&)> stream, uint64_t total = 0) {
        return std::make_unique<FakeRecorder>([stream, total](Link& link, const Message& first) {
            if (first.type == kLogin) {
                link.Send(MakeLoginReply(kGoodReply));
                Message m;
                while (link.Read(&m, 5000) == ReadResult::kOk)
                    link.Send(MakeEmpty(kPong));
            } else {
                link.Send(MakeOpenReply({OpenResult::kOk, total}));
                stream(link);
            }
        });
    }
};

std::vector<uint8_t> GoodFrame(char type, uint32_t payload, uint32_t n) {
    std::vector<uint8_t> f(40 + payload, static_cast<uint8_t>(n));
    std::memcpy(f.data(), "VkFm", 4);
    f[4] = static_cast<uint8_t>(type);
    platform::PutU32(f.data() + 12, payload);
    platform::PutU64(f.data() + 16, n);
    return f;
}

TEST_F(HostileStreams, PlaySurvivesMangledFramesAndEndsWithTheEndMark) {
    std::atomic<uint32_t> seed{0};
    auto fake = Fake([&](Link& link) {
        std::mt19937 rng(seed.load());
        for (uint32_t n = 0; n < 5; n++) {
            const std::vector<uint8_t> f = GoodFrame(n ? 'P' : 'I', 100 + n, n);
            link.Send(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())));
        }
        const std::vector<uint8_t> f = GoodFrame('P', 64, 9);
        SendRaw(link, Mutated(rng, Encode(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())))));
        platform::SleepMs(50);
    });
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake->Port());
    ASSERT_EQ(FirstStatus(login), 101u);
    for (uint32_t s = 1; s <= 40; s++) {
        seed = s;
        struct Log {
            std::mutex lock;
            std::vector<std::vector<uint8_t>> offers;
            static int32_t VEK_CALL Callback(const uint8_t* b, uint32_t n, uintptr_t user) {
                auto* self = reinterpret_cast<Log*>(user);
                std::lock_guard<std::mutex> hold(self->lock);
                self->offers.emplace_back(b, b + (b ? n : 0));
                return 1;
            }
        } log;
        NetRecordPlayParam p{};
        p.start = Time(2024, 3, 5);
        p.end = Time(2024, 3, 5, 23, 59, 59);
        p.dataCallback = &Log::Callback;
        p.user = reinterpret_cast<uintptr_t>(&log);
        uint32_t play = VekNetStartRecordPlay(login, &p);
        ASSERT_NE(play, 0u);
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard<std::mutex> hold(log.lock);
            return !log.offers.empty() && log.offers.back().empty();
        })) << "seed "
            << s;
        VekNetStopRecordPlay(&play);
        std::lock_guard<std::mutex> hold(log.lock);
        ASSERT_GE(log.offers.size(), 6u) << "seed " << s;
        for (size_t i = 0; i + 1 < log.offers.size(); i++) {
            ASSERT_GE(log.offers[i].size(), 40u);
            EXPECT_EQ(platform::GetU32(log.offers[i].data() + 12), log.offers[i].size() - 40)
                << "whole frames only";
        }
    }
}

TEST_F(HostileStreams, PlayStopsReadingARecorderThatIgnoresFlowControl) {
    std::atomic<bool> cut{false};
    auto fake = Fake([&](Link& link) {
        // The client ends the connection by shutting it down: a second thread
        // sees that and unblocks the sender.
        std::atomic<bool> sent{false};
        std::thread watcher([&] {
            Message m;
            while (!sent.load()) {
                const ReadResult r = link.Read(&m, 50);
                if (r == ReadResult::kClosed || r == ReadResult::kFailed) {
                    cut = true;
                    link.Shutdown();
                    return;
                }
            }
        });
        const std::vector<uint8_t> f = GoodFrame('I', 100000, 1);
        for (int i = 0; i < 200 && !cut.load(); i++)  // 20 MB, whatever the credit
            link.Send(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())));
        sent = true;
        watcher.join();
    });
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake->Port());
    ASSERT_EQ(FirstStatus(login), 101u);
    struct Log {
        std::atomic<int> calls{0};
        std::atomic<uint64_t> bytes{0};
        std::atomic<bool> ended{false};
        static int32_t VEK_CALL Callback(const uint8_t* b, uint32_t n, uintptr_t user) {
            auto* self = reinterpret_cast<Log*>(user);
            if (self->calls++ == 0)
                return 0;  // full at once
            if (!b)
                self->ended = true;
            self->bytes += n;
            return 1;
        }
    } log;
    NetRecordPlayParam p{};
    p.start = Time(2024, 3, 5);
    p.end = Time(2024, 3, 5, 23, 59, 59);
    p.dataCallback = &Log::Callback;
    p.user = reinterpret_cast<uintptr_t>(&log);
    uint32_t play = VekNetStartRecordPlay(login, &p);
    ASSERT_NE(play, 0u);
    ASSERT_TRUE(WaitFor([&] { return log.calls.load() == 1; }));
    // While delivery is paused the queue fills up to the window; the next
    // frame closes the link.
    ASSERT_TRUE(WaitFor([&] { return cut.load(); }));
    VekNetReqRecordData(play);
    ASSERT_TRUE(WaitFor([&] { return log.ended.load(); }));
    EXPECT_LE(log.bytes.load(), uint64_t{kPlayWindow} + media::kMaxFrameSize);
    VekNetStopRecordPlay(&play);
}

TEST_F(HostileStreams, DownloadOfMangledOrOverlongDataFails) {
    std::atomic<uint32_t> seed{0};
    const std::vector<uint8_t> f = GoodFrame('I', 1000, 1);
    const uint64_t total = 3 * f.size();
    auto fake = Fake(
        [&](Link& link) {
            std::mt19937 rng(seed.load());
            link.Send(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())));
            if (seed.load() == 0) {
                // Sound frames, but one more than announced.
                for (int i = 0; i < 3; i++)
                    link.Send(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())));
            } else {
                SendRaw(link, Mutated(rng, Encode(MakeFrame(0, f.data(), static_cast<uint32_t>(f.size())))));
            }
            link.Send(MakeEnd(0));
            platform::SleepMs(50);
        },
        total);
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", fake->Port());
    ASSERT_EQ(FirstStatus(login), 101u);
    TempDir dir;
    for (uint32_t s = 0; s <= 30; s++) {
        seed = s;
        DownloadEvents events;
        NetRecordItem item{};
        item.start = Time(2024, 3, 5, 9, 0, 0);
        item.end = Time(2024, 3, 5, 9, 0, 10);
        NetDownloadRequest request{};
        request.record = &item;
        const std::string path = dir.File("d" + std::to_string(s) + ".264");
        request.path = path.c_str();
        request.callback = &DownloadEvents::Callback;
        request.user = reinterpret_cast<uintptr_t>(&events);
        uint32_t download = VekNetStartDownloadRecord(login, &request);
        ASSERT_NE(download, 0u);
        ASSERT_TRUE(events.WaitEnd()) << "seed " << s;
        VekNetStopDownloadRecord(&download);
        const auto got = events.Copy();
        EXPECT_EQ(got.back(),
                  std::make_pair(int32_t{VEKNET_DOWNLOAD_END}, int32_t{VEKNET_DOWNLOAD_LINK_LOST}))
            << "seed " << s;
        EXPECT_EQ(
            std::count_if(got.begin(), got.end(), [](auto& e) { return e.first == VEKNET_DOWNLOAD_END; }), 1);
    }
}

}  // namespace
}  // namespace veknet::testing
