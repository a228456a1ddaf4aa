// libFuzzer target: the simulated recorder against a client that sends
// whatever the input says.
//
// Two recorders run in the target's process for all inputs, serving a small
// generated table: one plain, one that drops a login's connections once they
// have carried 24 KB of frames (four frames a second, no audio). The target
// is the client. The input picks a
// recorder and a phase, then every message: the first message of a
// connection (a login with the right or a wrong name or password, a play or
// download open with the live session number or another, with channels and
// times that fit the records or not, or anything else), and what follows it
// (pings, queries of both kinds with any selector and times, credits, seeks
// of any epoch and time, headers with bodies of the wrong length, plain
// bytes). Play and download first log in on a control connection of their
// own. Each connection ends with a header no recorder takes, and the target
// reads on until the recorder has closed it.
//
// Checked: everything the recorder sends is a sound message of its kind; the
// login reply's status follows the name and password (101 with a session
// only for both right); each ping and query gets its answer in order, a query
// reply echoing its number with items that are calendar times (a day query's
// of the channel asked and the span asked, a month query's whole days of the
// channels asked, in order); an open reply refuses a session that is not live
// and, for a live one, a channel or time out of range; frames are sound and
// carry the epoch of the open or of a seek sent; play never runs more than a
// window ahead of the credits sent; a download accepted carries exactly the
// bytes announced and ends; the recorder closes every connection once it
// reads the bad header.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "tools/simrecorder/generated_content.h"
#include "tools/simrecorder/sim_server.h"
#include "veknet/link.h"
#include "veknet/protocol.h"

namespace {

using namespace veknet;

using Input = vektest::FuzzInput;

using vektest::Check;

constexpr uint32_t kWaitMs = 5000;
constexpr uint64_t kDropAfter = 24 * 1024;
constexpr uint32_t kOddBody = 128;

struct Recorder {
    std::shared_ptr<simrecorder::GeneratedContent> content;
    std::unique_ptr<simrecorder::SimRecorder> server;
    simrecorder::SimOptions options;
};

// 0 plain, 1 dropping; made once, running for every input.
Recorder& Recorders(int which) {
    static Recorder* recorders = [] {
        simrecorder::GeneratedTable table;
        table.days = {{2024, 3, 5, 0, 0, 0}, {2024, 3, 12, 0, 0, 0}};
        table.channels = 2;
        table.recordsPerDay = 2;
        table.seconds = 3;
        table.fps = 4;
        table.audio = false;
        auto* r = new Recorder[2];
        for (int i = 0; i < 2; i++) {
            r[i].content = std::make_shared<simrecorder::GeneratedContent>(table);
            r[i].options.dropAfterBytes = i == 1 ? kDropAfter : 0;
            r[i].server = std::make_unique<simrecorder::SimRecorder>(r[i].options, r[i].content);
            std::string error;
            Check(r[i].server->Start(&error));
        }
        return r;
    }();
    return recorders[which];
}

// A time near the records (their days, whole hours to minutes), or any fields.
WireTime Time(Input& in, Recorder& r) {
    WireTime t;
    const uint8_t pick = in.U8();
    if (pick % 8 == 0) {
        t.year = static_cast<uint16_t>(in.U16());
        t.month = in.U8(), t.day = in.U8(), t.hour = in.U8(), t.minute = in.U8(), t.second = in.U8();
        return t;
    }
    if (pick % 8 == 1) {  // a record's start or end
        const std::vector<simrecorder::RecordEntry> records = r.content->Records(in.U8() % 2);
        const simrecorder::RecordEntry& e = records[in.U8() % records.size()];
        return in.U8() % 2 ? e.start : e.end;
    }
    t.year = 2024;
    t.month = 3;
    t.day = static_cast<uint8_t>(pick % 8 == 2 ? 1 + in.U8() % 31 : in.U8() % 2 ? 5 : 12);
    t.hour = static_cast<uint8_t>(8 + in.U8() % 8);
    t.minute = in.U8() % 60;
    t.second = in.U8() % 60;
    return t;
}

// A header of the input's choosing, and a body that may not fit it (shorter
// than the header says by less than kOddBody bytes).
std::vector<uint8_t> Odd(Input& in) {
    std::vector<uint8_t> m(kHeaderSize);
    const uint8_t pick = in.U8();
    platform::PutU32(m.data(), pick % 16 == 0 ? in.U32() : kMagic);
    platform::PutU16(m.data() + 4, pick % 16 == 1 ? static_cast<uint16_t>(in.U16()) : kVersion);
    platform::PutU16(m.data() + 6, static_cast<uint16_t>(pick % 4 == 2 ? in.U16() : 1 + in.U8() % 8));
    platform::PutU32(m.data() + 8, in.U32());
    const std::string body = in.Bytes(80);
    platform::PutU32(m.data() + 12, pick % 4 == 3 ? in.U32() % kOddBody : static_cast<uint32_t>(body.size()));
    m.insert(m.end(), body.begin(), body.end());
    return m;
}

// What the recorder must answer, in order, to what the client sent.
enum class Due { kPong, kReply };

// One connection to a recorder, from the client's side.
class Client {
  public:
    explicit Client(Recorder& r) {
        std::unique_ptr<Socket> socket = Socket::Connect("127.0.0.1", r.server->Port(), kWaitMs);
        Check(socket != nullptr);
        link_ = std::make_shared<Link>(std::move(socket));
    }
    void Send(const Message& m) { Send(Encode(m)); }
    void Send(const std::vector<uint8_t>& bytes) { link_->SendBytes(bytes.data(), bytes.size()); }
    // The next message, waiting for it; false when the recorder closed.
    bool Next(Message* m, uint32_t waitMs = kWaitMs) {
        const ReadResult r = link_->Read(m, waitMs);
        Check(r != ReadResult::kMalformed && r != ReadResult::kFailed);
        if (waitMs == kWaitMs)
            Check(r != ReadResult::kIdle);
        return r == ReadResult::kOk;
    }
    // Ends the connection from the recorder's side: a header it cannot take,
    // after enough zeros to complete the body of any odd header sent before.
    void SendEnd() { Send(std::vector<uint8_t>(kHeaderSize + kOddBody, 0)); }

  private:
    std::shared_ptr<Link> link_;
};

struct Session {
    std::unique_ptr<Client> control;
    uint32_t number = 0;
};

// A control connection logged in with the right name and password.
Session LogIn(Recorder& r) {
    Session s;
    s.control = std::make_unique<Client>(r);
    s.control->Send(MakeLogin({r.options.user, r.options.password}));
    Message m;
    LoginReplyBody reply;
    Check(s.control->Next(&m) && ReadLoginReply(m, &reply) && reply.status == kStatusLoggedIn &&
          reply.session);
    s.number = reply.session;
    return s;
}

void Close(Client& c) {
    c.SendEnd();
    Message m;
    while (c.Next(&m)) {
    }
}

// Checks one reply against the query it answers.
void CheckReply(const Message& m, uint32_t sequence, const QueryBody& q, Recorder& r) {
    std::vector<WireItem> items;
    Check(m.sequence == sequence && ReadQueryReply(m, &items));
    const bool asked =
        q.start.Valid() && q.end.Valid() && (q.command == kQueryDay || q.command == kQueryMonth);
    Check(asked || items.empty());
    for (size_t i = 0; i < items.size(); i++) {
        const WireItem& item = items[i];
        Check(item.start.Valid() && item.end.Valid() && item.start.Seconds() <= item.end.Seconds());
        if (q.command == kQueryDay) {
            Check(item.word == q.selector && item.word < r.content->ChannelCount());
            Check(item.end.Seconds() >= q.start.Seconds() && item.start.Seconds() <= q.end.Seconds());
        } else {
            Check(item.word != 0 && (item.word & ~q.selector) == 0);
            Check(item.start.hour == 0 && item.start.minute == 0 && item.start.second == 0);
            Check(item.end.Seconds() - item.start.Seconds() == 86399);
            if (i > 0)
                Check(items[i - 1].start.Seconds() < item.start.Seconds());
        }
    }
}

void Control(Input& in, Recorder& r) {
    Client c(r);
    // The login: the right name and password, or not.
    const uint8_t pick = in.U8();
    LoginBody login{r.options.user, r.options.password};
    if (pick % 4 == 1)
        login.user = in.Bytes(40);
    if (pick % 4 == 2)
        login.password = in.Bytes(40);
    if (pick % 4 == 3) {  // not a login at all
        c.Send(Odd(in));
        Close(c);
        return;
    }
    c.Send(MakeLogin(login));
    const bool user = login.user.substr(0, kMaxCredential) == r.options.user;
    const bool password = login.password.substr(0, kMaxCredential) == r.options.password;
    Message m;
    LoginReplyBody reply;
    Check(c.Next(&m) && ReadLoginReply(m, &reply));
    Check(reply.status == (!user ? kStatusNoUser : !password ? kStatusBadPassword : kStatusLoggedIn));
    Check((reply.session != 0) == (reply.status == kStatusLoggedIn));
    Check(reply.deviceName == r.options.deviceName && reply.channels == r.content->ChannelCount());
    if (reply.status != kStatusLoggedIn) {
        Check(!c.Next(&m));  // refused: closed
        return;
    }

    // Pings and queries, each answered in order, until something else comes.
    std::vector<std::pair<Due, std::pair<uint32_t, QueryBody>>> due;
    bool odd = false;
    for (int n = 0; n < 24 && !in.Empty() && !odd; n++) {
        switch (in.U8() % 4) {
            case 0:
                c.Send(MakeEmpty(kPing));
                due.push_back({Due::kPong, {}});
                break;
            case 3:
                c.Send(Odd(in));
                odd = true;  // what the recorder makes of it is not known here
                break;
            default: {
                const uint32_t sequence = in.U32();
                QueryBody q;
                q.command = in.U8() % 4 == 0 ? in.U32() : in.U8() % 2 ? kQueryDay : kQueryMonth;
                q.selector = in.U8() % 4 == 0 ? in.U32() : in.U8() % 4;
                q.start = Time(in, r);
                q.end = Time(in, r);
                c.Send(MakeQuery(sequence, q));
                due.push_back({Due::kReply, {sequence, q}});
                break;
            }
        }
    }
    c.SendEnd();
    for (const auto& [kind, query] : due) {
        Check(c.Next(&m));
        if (kind == Due::kPong)
            Check(m.type == kPong && ReadEmpty(m));
        else
            CheckReply(m, query.first, query.second, r);
    }
    if (odd) {  // answers to it, if any, are still sound
        while (c.Next(&m))
            Check(m.type == kPong || m.type == kQueryReply);
    }
    Check(!c.Next(&m));
}

// The open of a play or download connection: its body, and whether the
// session is the live one.
OpenBody MakeOpenBody(Input& in, Recorder& r, const Session& s, bool* live) {
    OpenBody open;
    *live = in.U8() % 8 != 0;
    open.session = *live ? s.number : in.U32();
    *live = open.session == s.number;
    open.channel = in.U8() % 8 == 0 ? in.U32() : in.U8() % 3;
    open.start = Time(in, r);
    open.end = Time(in, r);
    return open;
}

void CheckFrame(const Message& m, FrameView* f) {
    Check(ReadFrame(m, f));
}

void Play(Input& in, Recorder& r) {
    Session s = LogIn(r);
    bool live = false;
    const OpenBody open = MakeOpenBody(in, r, s, &live);
    Client c(r);
    c.Send(MakeOpen(kPlayOpen, open));
    Message m;
    OpenReplyBody reply;
    Check(c.Next(&m) && ReadOpenReply(m, &reply));
    const bool inRange = open.channel < r.content->ChannelCount() && open.start.Valid() && open.end.Valid();
    Check((reply.result == OpenResult::kNoSession) == !live);
    if (live)
        Check((reply.result == OpenResult::kBadRequest) == !inRange);
    if (reply.result != OpenResult::kOk) {
        Check(!c.Next(&m));
        Close(*s.control);
        return;
    }

    std::set<uint32_t> epochs = {0};
    uint64_t credited = 0, received = 0;
    int seeks = 0;
    // After an odd header the recorder may take the bytes that follow in any
    // way: from then on only the soundness of what it sends is known.
    bool odd = false;
    const auto take = [&](uint32_t waitMs) {
        while (c.Next(&m, waitMs)) {
            if (m.type == kEnd) {
                uint32_t epoch = 0;
                Check(ReadEnd(m, &epoch) && (odd || epochs.count(epoch)));
                continue;
            }
            FrameView f;
            Check(m.type == kFrame);
            CheckFrame(m, &f);
            Check(odd || epochs.count(f.epoch));
            received += f.size;
            // The window: never more under way than the credits allow.
            Check(odd || received <= credited + (seeks + 1) * (uint64_t{kPlayWindow} + media::kMaxFrameSize));
        }
    };
    for (int n = 0; n < 32 && !in.Empty() && !odd; n++) {
        switch (in.U8() % 5) {
            case 0: {
                SeekBody seek{in.U8() % 4 == 0 ? in.U32() : static_cast<uint32_t>(seeks + 1), Time(in, r),
                              Time(in, r)};
                epochs.insert(seek.epoch);
                seeks++;
                c.Send(MakeSeek(seek));
                break;
            }
            case 4:
                c.Send(Odd(in));
                odd = true;
                break;
            default: {
                CreditBody credit{in.U8() % 4 == 0 ? in.U32() : static_cast<uint32_t>(seeks),
                                  in.U32() % (2 * kPlayWindow)};
                credited += credit.bytes;
                c.Send(MakeCredit(credit));
                break;
            }
        }
        take(0);  // what is there already
    }
    c.SendEnd();
    take(kWaitMs);
    Close(*s.control);
}

void Download(Input& in, Recorder& r) {
    Session s = LogIn(r);
    bool live = false;
    OpenBody open = MakeOpenBody(in, r, s, &live);
    Client c(r);
    c.Send(MakeOpen(kDownloadOpen, open));
    Message m;
    OpenReplyBody reply;
    Check(c.Next(&m) && ReadOpenReply(m, &reply));
    bool startsRecord = false;
    if (open.channel < r.content->ChannelCount())
        for (const simrecorder::RecordEntry& e : r.content->Records(open.channel))
            startsRecord = startsRecord || e.start == open.start;
    Check((reply.result == OpenResult::kNoSession) == !live);
    if (live && r.options.dropAfterBytes == 0)
        Check(reply.result == (open.channel >= r.content->ChannelCount() || !open.start.Valid()
                                   ? OpenResult::kBadRequest
                               : startsRecord ? OpenResult::kOk
                                              : OpenResult::kNoRecord));
    if (reply.result != OpenResult::kOk) {
        Check(!c.Next(&m));
        Close(*s.control);
        return;
    }
    if (in.U8() % 2)
        c.Send(Odd(in));  // the recorder reads nothing until the end
    uint64_t received = 0;
    bool ended = false;
    while (c.Next(&m)) {
        Check(!ended);
        if (m.type == kEnd) {
            uint32_t epoch = 1;
            Check(ReadEnd(m, &epoch) && epoch == 0 && received == reply.total);
            ended = true;
            c.SendEnd();
            continue;
        }
        FrameView f;
        Check(m.type == kFrame);
        CheckFrame(m, &f);
        Check(f.epoch == 0);
        received += f.size;
        Check(received <= reply.total);
    }
    // Only a recorder that drops the login may end a download early.
    Check(ended || r.options.dropAfterBytes != 0);
    Close(*s.control);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const uint8_t pick = in.U8();
    Recorder& r = Recorders(pick / 3 % 4 == 3 ? 1 : 0);
    switch (pick % 3) {
        case 0:
            Control(in, r);
            break;
        case 1:
            Play(in, r);
            break;
        default:
            Download(in, r);
            break;
    }
    // A connection the recorder closed may still be ending on its side (a
    // dropped login's): the input is done only when the recorder is, so that
    // nothing of one input is still held while the next runs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (r.server->Serving() > 0) {
        Check(std::chrono::steady_clock::now() < deadline);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return 0;
}
