// libFuzzer target: the network library's client against a recorder that
// answers whatever the input says.
//
// The target is the recorder: it listens on the loopback address, and the
// library's own classes connect to it: a login (Connection), a remote play
// (RecordPlay) or a download (RecordDownload), picked by the input's first
// byte. Every message the recorder sends comes from the input: login and open
// replies, query replies, pongs, frames, ends, headers with bodies of the
// wrong length, plain bytes. In between the input makes the program's moves:
// queries, repositions, replays, requests for data, refusals of frames.
//
// The target keeps what it sent and reads it back with the protocol's codec,
// the way the library must take it (whole messages in order, up to a header it
// cannot take), and checks the library against that:
//   login     the statuses posted (101 for a reply with status 101 and a
//             session, 103/104/106 as sent, 105 for anything else, then 2 once
//             when a logged-in link ends) and nothing after Stop; the device
//             information and session of the reply; a query answered with the
//             items of the first sound reply carrying its number, or failing
//   play      the open refused unless the first message is an accepting open
//             reply; every frame handed on is sound, one the recorder sent, in
//             the order sent, of an epoch no older than the last reposition
//             that returned before the hand-over; one end mark an epoch and no
//             frame after it; credits never beyond the bytes taken, and all of
//             them once the play has ended
//   download  the refusal as for play; the progress and end events exactly as
//             the frames, their sizes and the announced total say; a raw target
//             file holding exactly the frames written
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "veknet/connection.h"
#include "veknet/link.h"
#include "veknet/protocol.h"
#include "veknet/record_download.h"
#include "veknet/record_play.h"
#include "veknet/status_post.h"

namespace {

using namespace veknet;

using Input = vektest::FuzzInput;

using vektest::Check;

constexpr uint32_t kWaitMs = 5000;

// ---- the recorder's end ---------------------------------------------------------

class RecorderEnd {
  public:
    RecorderEnd() : listener_(Socket::ListenLoopback(0)) {
        Check(listener_ != nullptr);
        port_ = listener_->LocalPort();
    }
    uint16_t Port() const { return port_; }
    // The library's connection; it must come.
    std::shared_ptr<Link> Accept() {
        std::unique_ptr<Socket> socket = listener_->Accept(kWaitMs);
        Check(socket != nullptr);
        return std::make_shared<Link>(std::move(socket));
    }

  private:
    std::unique_ptr<Socket> listener_;
    uint16_t port_ = 0;
};

RecorderEnd& Recorder() {
    static RecorderEnd recorder;
    return recorder;
}

// What the recorder sent, and the whole messages the library reads of it.
class Wire {
  public:
    void Add(const std::vector<uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    // The messages in order, up to a header no link takes (*broken) or the
    // start of one not complete yet (*partial).
    std::vector<Message> Messages(bool* broken = nullptr, bool* partial = nullptr) const {
        std::vector<Message> out;
        size_t at = 0;
        bool bad = false;
        while (bytes_.size() - at >= kHeaderSize) {
            Header h;
            if (!ParseHeader(bytes_.data() + at, &h)) {
                bad = true;
                break;
            }
            if (bytes_.size() - at - kHeaderSize < h.length)
                break;
            Message m;
            m.type = h.type;
            m.sequence = h.sequence;
            m.body.assign(bytes_.begin() + static_cast<long>(at + kHeaderSize),
                          bytes_.begin() + static_cast<long>(at + kHeaderSize + h.length));
            out.push_back(std::move(m));
            at += kHeaderSize + h.length;
        }
        if (broken)
            *broken = bad;
        if (partial)
            *partial = !bad && at < bytes_.size();
        return out;
    }

  private:
    std::vector<uint8_t> bytes_;
};

// ---- what the recorder says ------------------------------------------------------

WireTime Time(Input& in) {
    WireTime t;
    if (in.U8() % 8 == 0) {  // any fields at all
        t.year = static_cast<uint16_t>(in.U16());
        t.month = in.U8(), t.day = in.U8(), t.hour = in.U8(), t.minute = in.U8(), t.second = in.U8();
        return t;
    }
    t.year = static_cast<uint16_t>(2020 + in.U8() % 8);
    t.month = static_cast<uint8_t>(1 + in.U8() % 12);
    t.day = static_cast<uint8_t>(1 + in.U8() % 31);
    t.hour = in.U8() % 24, t.minute = in.U8() % 60, t.second = in.U8() % 60;
    return t;
}

// What the recorder knows while it makes up messages.
struct Plan {
    uint32_t sequence = 0;    // of the last query the library sent
    uint32_t epoch = 0;       // of the play
    uint64_t serial = 0;      // frames made so far; a frame's time field holds its number
    uint64_t frameBytes = 0;  // of the frames made so far
    uint64_t frameLimit = UINT64_MAX;
};

std::vector<uint8_t> Frame(Input& in, Plan& p) {
    const uint8_t pick = in.U8();
    uint32_t payload = in.U16() % 1500;
    if (pick == 0xFF)
        payload = media::kMaxFrameSize - media::kFrameHeaderSize - 1 + in.U8() % 3;  // around the limit
    if (p.frameBytes + payload > p.frameLimit)
        payload = in.U8();
    std::vector<uint8_t> f(media::kFrameHeaderSize + payload);
    platform::PutU32(f.data(), platform::FourCC("VkFm"));
    f[4] = pick % 16 == 1 ? in.U8() : static_cast<uint8_t>("IPPA"[pick % 4]);
    f[5] = in.U8();
    platform::PutU32(f.data() + 12, pick % 16 == 2 ? in.U32() : payload);
    platform::PutU64(f.data() + 16, p.serial++);
    for (size_t i = media::kFrameHeaderSize; i < f.size() && i < media::kFrameHeaderSize + 64; i++)
        f[i] = in.U8();
    p.frameBytes += f.size();
    return f;
}

uint32_t EpochFor(Input& in, const Plan& p) {
    const uint8_t pick = in.U8();
    return pick % 8 == 0 ? in.U32() : pick % 8 == 1 ? p.epoch + 1 : p.epoch;
}

std::vector<uint8_t> RecorderMessage(Input& in, Plan& p) {
    switch (in.U8() % 10) {
        case 0: {
            static const uint32_t kStatuses[] = {101, 101, 103, 104, 106, 105, 2, 0};
            LoginReplyBody r;
            const uint8_t pick = in.U8();
            r.status = pick % 9 == 8 ? in.U32() : kStatuses[pick % 9];
            r.session = in.U8() % 8 == 0 ? 0 : in.U32() | 1;
            r.channels = in.U8();
            r.deviceName = in.Bytes(130);
            return Encode(MakeLoginReply(r));
        }
        case 1: {
            const uint32_t sequence = in.U8() % 4 == 0 ? in.U32() : p.sequence;
            std::vector<WireItem> items(in.U8() % 6);
            for (WireItem& item : items) {
                item.word = in.U32();
                item.start = Time(in);
                item.end = Time(in);
                item.type = static_cast<int32_t>(in.U32());
                item.length = in.U32();
            }
            return Encode(MakeQueryReply(sequence, items));
        }
        case 2:
            return Encode(MakeEmpty(kPong));
        case 3: {
            OpenReplyBody r;
            r.result = static_cast<OpenResult>(in.U8() % 8 < 5 ? 0 : in.U8() % 5);
            const uint8_t pick = in.U8();
            r.total = pick % 4 == 0 ? in.U64() : pick % 4 == 1 ? 0 : in.U16() * (1 + in.U8() % 16);
            return Encode(MakeOpenReply(r));
        }
        case 4:
        case 5:
        case 6: {
            const uint32_t epoch = EpochFor(in, p);
            const std::vector<uint8_t> f = Frame(in, p);
            return Encode(MakeFrame(epoch, f.data(), static_cast<uint32_t>(f.size())));
        }
        case 7:
            return Encode(MakeEnd(EpochFor(in, p)));
        case 8: {  // a header of the input's choosing, and a body that may not fit it
            std::vector<uint8_t> m(kHeaderSize);
            static const uint16_t kTypes[] = {kLoginReply, kQueryReply, kPong, kOpenReply,
                                              kFrame,      kEnd,        kPing, kLogin};
            const uint8_t pick = in.U8();
            platform::PutU32(m.data(), pick % 16 == 0 ? in.U32() : kMagic);
            platform::PutU16(m.data() + 4, pick % 16 == 1 ? static_cast<uint16_t>(in.U16()) : kVersion);
            platform::PutU16(m.data() + 6,
                             pick % 4 == 2 ? static_cast<uint16_t>(in.U16()) : kTypes[in.U8() % 8]);
            platform::PutU32(m.data() + 8, in.U8() % 2 ? p.sequence : in.U32());
            const std::string body = in.Bytes(120);
            platform::PutU32(m.data() + 12,
                             pick % 4 == 3 ? in.U32() % 4096 : static_cast<uint32_t>(body.size()));
            m.insert(m.end(), body.begin(), body.end());
            return m;
        }
        default: {
            const std::string bytes = in.Bytes(40);
            return std::vector<uint8_t>(bytes.begin(), bytes.end());
        }
    }
}

// The recorder's end of a play or download connection.
class StreamEnd {
  public:
    // Accepts the connection the library opens with `type` and checks its
    // open message against what the library was asked.
    StreamEnd(uint16_t type, const OpenBody& asked) : link(Recorder().Accept()) {
        Message first;
        OpenBody open;
        Check(link->Read(&first, kWaitMs) == ReadResult::kOk && first.type == type && ReadOpen(first, &open));
        Check(open.session == asked.session && open.channel == asked.channel && open.start == asked.start &&
              open.end == asked.end);
    }
    // Sends bytes; `onSend` runs once they are in the wire and before they go.
    void Send(const std::vector<uint8_t>& bytes) {
        wire.Add(bytes);
        if (onSend)
            onSend();
        link->SendBytes(bytes.data(), bytes.size());
    }
    // Sends the input's first message, the answer the library waits for: true
    // when it is an open reply accepting the stream (*reply).
    bool AnswerOpen(Input& in, OpenReplyBody* reply) {
        Send(RecorderMessage(in, plan));
        const std::vector<Message> messages = wire.Messages();
        if (messages.empty())
            link->Shutdown();  // the library waits for the rest of the reply
        return !messages.empty() && ReadOpenReply(messages[0], reply) && reply->result == OpenResult::kOk;
    }

    std::shared_ptr<Link> link;
    Wire wire;
    Plan plan;
    std::function<void()> onSend;
};

// ---- login -----------------------------------------------------------------------

struct StatusLog {
    std::mutex lock;
    std::condition_variable changed;
    std::map<uintptr_t, std::vector<uint32_t>> byWindow;

    // The statuses of the window once there are `count` of them (or the wait ended).
    std::vector<uint32_t> Wait(uintptr_t window, size_t count) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait_for(hold, std::chrono::milliseconds(kWaitMs),
                         [&] { return byWindow[window].size() >= count; });
        return byWindow[window];
    }
};

StatusLog& Statuses() {
    static StatusLog* log = [] {
        auto* l = new StatusLog;
        SetStatusHook([l](const StatusTarget& target, uint32_t status) {
            std::lock_guard<std::mutex> hold(l->lock);
            l->byWindow[target.window].push_back(status);
            l->changed.notify_all();
        });
        return l;
    }();
    return *log;
}

bool SameItems(const std::vector<WireItem>& a, const std::vector<WireItem>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].word != b[i].word || !(a[i].start == b[i].start) || !(a[i].end == b[i].end) ||
            a[i].type != b[i].type || a[i].length != b[i].length)
            return false;
    return true;
}

void Login(Input& in) {
    static uintptr_t windows = 0x1000;
    const uintptr_t window = ++windows;
    LoginParams params;
    params.host = "127.0.0.1";
    params.port = Recorder().Port();
    params.user = in.Bytes(40);
    params.password = in.Bytes(40);
    params.target = {window, 0x432};
    StatusLog& statuses = Statuses();
    auto connection = std::make_shared<Connection>(params);
    Check(connection->Start());
    const std::shared_ptr<Link> link = Recorder().Accept();
    Message first;
    LoginBody login;
    Check(link->Read(&first, kWaitMs) == ReadResult::kOk && ReadLogin(first, &login));
    Check(login.user == params.user.substr(0, kMaxCredential) &&
          login.password == params.password.substr(0, kMaxCredential));

    Wire wire;
    Plan plan;
    enum class State { kWaiting, kServing, kEnded } state = State::kWaiting;
    std::vector<uint32_t> want;
    LoginReplyBody reply;
    size_t judged = 0;
    // The query in flight and what the model says it gets.
    std::thread asker;
    bool asked = false, answered = false, askerOk = false;
    QueryBody query;
    std::vector<WireItem> answer, askerItems;

    // Follows the library through the messages sent so far.
    const auto judge = [&](bool closed) {
        bool broken = false, partial = false;
        const std::vector<Message> messages = wire.Messages(&broken, &partial);
        for (; judged < messages.size() && state != State::kEnded; judged++) {
            const Message& m = messages[judged];
            if (state == State::kWaiting) {
                LoginReplyBody r;
                if (!ReadLoginReply(m, &r)) {
                    want = {kStatusConnectFailed};
                    state = State::kEnded;
                } else if (r.status == kStatusLoggedIn && r.session != 0) {
                    want = {kStatusLoggedIn};
                    reply = r;
                    state = State::kServing;
                } else {
                    const bool known = r.status == kStatusNoUser || r.status == kStatusBadPassword ||
                                       r.status == kStatusNoPermission;
                    want = {known ? r.status : kStatusConnectFailed};
                    state = State::kEnded;
                }
                continue;
            }
            std::vector<WireItem> items;
            if (ReadEmpty(m) && m.type == kPong)
                continue;
            if (m.type == kQueryReply && ReadQueryReply(m, &items) &&
                std::all_of(items.begin(), items.end(),
                            [](const WireItem& i) { return i.start.Valid() && i.end.Valid(); })) {
                if (asked && !answered && m.sequence == plan.sequence) {
                    answered = true;
                    answer = items;
                }
                continue;
            }
            want.push_back(kStatusLinkLost);
            state = State::kEnded;
        }
        if ((broken || closed) && state != State::kEnded) {
            if (state == State::kWaiting)
                want = {kStatusConnectFailed};
            else
                want.push_back(kStatusLinkLost);
            state = State::kEnded;
        }
        return !partial && !broken && judged == messages.size();
    };

    for (int n = 0; n < 32 && !in.Empty(); n++) {
        if (in.U8() % 6 == 5) {  // the program asks for records
            if (state != State::kServing || asked)
                continue;
            query = QueryBody{in.U8() % 2 ? kQueryDay : kQueryMonth, in.U32(), Time(in), Time(in)};
            asked = true;
            asker = std::thread([&] { askerOk = connection->Query(query, &askerItems); });
            Message m;
            ReadResult r;
            do
                r = link->Read(&m, kWaitMs);
            while (r == ReadResult::kOk && m.type == kPing);
            QueryBody q;
            Check(r == ReadResult::kOk && ReadQuery(m, &q));
            Check(q.command == query.command && q.selector == query.selector && q.start == query.start &&
                  q.end == query.end);
            plan.sequence = m.sequence;
            continue;
        }
        const std::vector<uint8_t> bytes = RecorderMessage(in, plan);
        wire.Add(bytes);
        link->SendBytes(bytes.data(), bytes.size());
        const bool wasWaiting = state == State::kWaiting;
        const bool settled = judge(false);
        if (wasWaiting && state == State::kServing && settled) {
            // Logged in, and nothing else sent yet: the login's facts are there.
            Check(statuses.Wait(window, 1) == want);
            std::string name;
            uint8_t channels = 0;
            StreamTarget target;
            Check(connection->GetDeviceInfo(&name, &channels) && name == reply.deviceName &&
                  channels == reply.channels);
            Check(connection->GetStreamTarget(&target) && target.session == reply.session &&
                  target.port == params.port);
        }
    }
    link->Shutdown();
    judge(true);
    if (asked) {
        asker.join();
        Check(askerOk == answered);
        if (answered)
            Check(SameItems(askerItems, answer));
    }
    Check(statuses.Wait(window, want.size()) == want);
    connection->Stop();
    Check(statuses.Wait(window, want.size()) == want);
}

// ---- remote play -----------------------------------------------------------------

// What the play's data callback saw.
struct PlayLog {
    std::mutex lock;
    std::condition_variable changed;
    // Frames the recorder sent whole and sound, in order: bytes and the epoch sent with.
    std::vector<std::pair<std::vector<uint8_t>, uint32_t>> sent;
    size_t nextFrame = 0;  // the earliest of `sent` that may come next
    std::map<uint32_t, uint64_t> takenBytes;
    std::map<uint32_t, int> endMarks;           // taken, by epoch
    std::map<uint32_t, bool> ended;             // an end mark was taken in the epoch
    std::atomic<uint32_t> started{0}, done{0};  // repositions
    std::atomic<int> refuse{0};
    bool takeAll = false;

    // Hands one frame (or the end mark) on; 1 when taken.
    int32_t Hand(const uint8_t* buffer, uint32_t length) {
        std::lock_guard<std::mutex> hold(lock);
        const uint32_t lo = done.load(), hi = started.load();
        const bool take = takeAll || refuse.fetch_sub(1) <= 0;
        if (!buffer) {
            Check(length == 0);
            if (take && lo == hi) {
                Check(endMarks[lo]++ == 0);
                ended[lo] = true;
            }
            changed.notify_all();
            return take ? 1 : 0;
        }
        Check(length >= media::kFrameHeaderSize && length <= media::kMaxFrameSize);
        Check(std::memcmp(buffer, "VkFm", 4) == 0 &&
              (buffer[4] == 'I' || buffer[4] == 'P' || buffer[4] == 'A'));
        Check(platform::GetU32(buffer + 12) == length - media::kFrameHeaderSize);
        // The next frame sent with these bytes whose epoch can be the play's now.
        size_t i = nextFrame;
        while (i < sent.size() &&
               !(sent[i].second >= lo && sent[i].second <= hi && sent[i].first.size() == length &&
                 std::memcmp(sent[i].first.data(), buffer, length) == 0))
            i++;
        Check(i < sent.size());
        const uint32_t epoch = sent[i].second;
        if (lo == hi)
            Check(!ended[epoch]);
        nextFrame = take ? i + 1 : i;
        if (take)
            takenBytes[epoch] += length;
        changed.notify_all();
        return take ? 1 : 0;
    }
};

int32_t VEK_CALL PlayData(const uint8_t* buffer, uint32_t length, uintptr_t user) {
    return reinterpret_cast<PlayLog*>(user)->Hand(buffer, length);
}

// Reads what the library sends on a play connection until a seek comes or,
// when none is due (`seek` null), until nothing more does; credits are added
// up by epoch. False when the connection ended first.
bool ReadPlayMessages(Link& link, std::map<uint32_t, uint64_t>* credits, SeekBody* seek) {
    for (;;) {
        Message m;
        if (link.Read(&m, seek ? kWaitMs : 20) != ReadResult::kOk)
            return false;
        CreditBody credit;
        if (ReadCredit(m, &credit)) {
            (*credits)[credit.epoch] += credit.bytes;
            continue;
        }
        Check(seek && ReadSeek(m, seek));
        return true;
    }
}

// True while the play reads on: every whole message after the open reply is
// a sound frame or an end, and no header broke the stream.
bool PlayReadsOn(const Wire& wire) {
    bool broken = false;
    const std::vector<Message> messages = wire.Messages(&broken);
    for (size_t i = 1; i < messages.size() && !broken; i++) {
        FrameView f;
        uint32_t epoch = 0;
        const Message& m = messages[i];
        broken = m.type == kFrame ? !ReadFrame(m, &f) : m.type == kEnd ? !ReadEnd(m, &epoch) : true;
    }
    return !broken;
}

void Play(Input& in) {
    PlayLog log;
    PlayParams params;
    params.channel = in.U32();
    params.start = Time(in);
    params.end = Time(in);
    params.callback = PlayData;
    params.user = reinterpret_cast<uintptr_t>(&log);
    const StreamTarget target{"127.0.0.1", Recorder().Port(), in.U32()};
    std::shared_ptr<RecordPlay> play;
    std::thread opener([&] { play = RecordPlay::Open(target, params); });
    StreamEnd end(kPlayOpen, {target.session, params.channel, params.start, params.end});
    Wire& wire = end.wire;
    Plan& plan = end.plan;
    const std::shared_ptr<Link>& link = end.link;
    plan.frameLimit = kPlayWindow;  // never more than the window: the library never has cause to give up
    // The sound frames sent are known before the library can hand them on.
    size_t registered = 0;
    end.onSend = [&] {
        std::lock_guard<std::mutex> hold(log.lock);
        const std::vector<Message> messages = wire.Messages();
        for (; registered < messages.size(); registered++) {
            FrameView f;
            if (registered > 0 && ReadFrame(messages[registered], &f))
                log.sent.emplace_back(std::vector<uint8_t>(f.frame, f.frame + f.size), f.epoch);
        }
    };
    const auto send = [&](const std::vector<uint8_t>& bytes) { end.Send(bytes); };
    OpenReplyBody reply;
    const bool accepted = end.AnswerOpen(in, &reply);
    opener.join();
    Check((play != nullptr) == accepted);
    if (!play)
        return;
    Check(play->Start());

    std::map<uint32_t, uint64_t> credits;
    for (int n = 0; n < 48 && !in.Empty(); n++) {
        switch (in.U8() % 12) {
            case 0: {
                SeekBody want{++plan.epoch, Time(in), Time(in)};
                const bool readsOn = PlayReadsOn(wire);
                log.started++;
                play->Reposition(want.position, want.end);
                log.done++;
                SeekBody seek;
                const bool got = ReadPlayMessages(*link, &credits, &seek);
                Check(got || !readsOn);
                if (got)
                    Check(seek.epoch == want.epoch && seek.position == want.position && seek.end == want.end);
                break;
            }
            case 1:
                play->Replay();
                break;
            case 2:
                play->RequestData();
                break;
            case 3:
                log.refuse = in.U8() % 4;
                break;
            default:
                send(RecorderMessage(in, plan));
                break;
        }
    }

    // The end: an End for the play's epoch when the stream is still whole,
    // else the connection goes; either way the play comes to its end mark.
    bool partial = false;
    wire.Messages(nullptr, &partial);
    const bool whole = PlayReadsOn(wire) && !partial;
    if (whole)
        send(Encode(MakeEnd(plan.epoch)));
    else
        link->Shutdown();
    {
        std::lock_guard<std::mutex> hold(log.lock);
        log.takeAll = true;
    }
    play->Replay();
    play->RequestData();
    {
        std::unique_lock<std::mutex> hold(log.lock);
        Check(log.changed.wait_for(hold, std::chrono::milliseconds(kWaitMs),
                                   [&] { return log.ended[plan.epoch]; }));
    }
    if (whole)
        ReadPlayMessages(*link, &credits, nullptr);
    play->Stop();
    for (const auto& [epoch, bytes] : credits)
        Check(bytes <= log.takenBytes[epoch]);
    if (whole)
        Check(credits[plan.epoch] == log.takenBytes[plan.epoch]);
}

// ---- download --------------------------------------------------------------------

struct DownloadLog {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::pair<int32_t, int32_t>> events;
};

void VEK_CALL DownloadEvent(int32_t code, int32_t value, uintptr_t user) {
    auto* log = reinterpret_cast<DownloadLog*>(user);
    std::lock_guard<std::mutex> hold(log->lock);
    log->events.emplace_back(code, value);
    log->changed.notify_all();
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

void Download(Input& in) {
    DownloadLog log;
    DownloadParams params;
    params.channel = in.U32();
    params.start = Time(in);
    params.end = Time(in);
    const bool avi = in.U8() % 4 == 0;
    params.path = (std::filesystem::temp_directory_path() /
                   ("veknet_client_fuzz_" + std::to_string(getpid()) + (avi ? ".avi" : ".264")))
                      .string();
    std::remove(params.path.c_str());
    params.callback = DownloadEvent;
    params.user = reinterpret_cast<uintptr_t>(&log);
    const StreamTarget target{"127.0.0.1", Recorder().Port(), in.U32()};
    std::shared_ptr<RecordDownload> download;
    std::thread opener([&] { download = RecordDownload::Open(target, params); });
    StreamEnd end(kDownloadOpen, {target.session, params.channel, params.start, params.end});
    OpenReplyBody reply;
    const bool accepted = end.AnswerOpen(in, &reply);
    opener.join();
    Check((download != nullptr) == accepted);
    if (!download) {
        Check(!std::filesystem::exists(params.path));  // a refused download leaves nothing behind
        return;
    }
    Check(download->Start());
    // The recorder sends on a thread of its own, as a recorder does: a download
    // that ended early (a malformed frame) reads no more, and what is still
    // under way then waits for the program to stop the download, which closes
    // the link.
    std::vector<std::vector<uint8_t>> queued;
    for (int n = 0; n < 48 && !in.Empty(); n++) {
        queued.push_back(RecorderMessage(in, end.plan));
        end.wire.Add(queued.back());
    }
    std::thread sender([&] {
        for (const std::vector<uint8_t>& bytes : queued)
            if (!end.link->SendBytes(bytes.data(), bytes.size()))
                break;
        end.link->Shutdown();
    });

    // What the download must make of it.
    const std::vector<Message> messages = end.wire.Messages();
    std::vector<std::pair<int32_t, int32_t>> want;
    std::vector<uint8_t> written;
    uint64_t received = 0;
    int32_t percent = -1;
    int32_t result = VEKNET_DOWNLOAD_LINK_LOST;
    for (size_t i = 1; i < messages.size(); i++) {
        const Message& m = messages[i];
        uint32_t epoch = 0;
        if (m.type == kEnd) {
            if (ReadEnd(m, &epoch) && received == reply.total)
                result = VEKNET_DOWNLOAD_OK;
            break;
        }
        FrameView f;
        if (!ReadFrame(m, &f) || f.size > reply.total - received)
            break;
        written.insert(written.end(), f.frame, f.frame + f.size);
        received += f.size;
        const int32_t p = static_cast<int32_t>(std::min<uint64_t>(received * 100 / reply.total, 99));
        if (p > percent)
            want.emplace_back(VEKNET_DOWNLOAD_PROGRESS, percent = p);
    }
    if (result == VEKNET_DOWNLOAD_OK)
        want.emplace_back(VEKNET_DOWNLOAD_PROGRESS, 100);
    want.emplace_back(VEKNET_DOWNLOAD_END, result);
    {
        std::unique_lock<std::mutex> hold(log.lock);
        log.changed.wait_for(hold, std::chrono::milliseconds(kWaitMs), [&] {
            return !log.events.empty() && log.events.back().first == VEKNET_DOWNLOAD_END;
        });
    }
    download->Stop();
    download.reset();
    sender.join();
    {
        std::lock_guard<std::mutex> hold(log.lock);
        Check(log.events == want);
    }
    if (!avi)
        Check(FileBytes(params.path) == written);
    std::remove(params.path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    switch (in.U8() % 3) {
        case 0:
            Login(in);
            break;
        case 1:
            Play(in);
            break;
        default:
            Download(in);
            break;
    }
    return 0;
}
