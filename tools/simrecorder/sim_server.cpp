// tools/simrecorder/sim_server.cpp
#include "tools/simrecorder/sim_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

namespace simrecorder {

using veknet::Link;
using veknet::Message;
using veknet::OpenResult;
using veknet::ReadResult;
using veknet::WireTime;

namespace {

constexpr uint32_t kFirstMessageMs = 10000;
constexpr uint32_t kControlIdleMs = 30000;
constexpr uint32_t kStepMs = 200;

// A record lies in from..to when it overlaps it.
bool Overlaps(const RecordEntry& r, const WireTime& from, const WireTime& to) {
    return r.end.Seconds() >= from.Seconds() && r.start.Seconds() <= to.Seconds();
}

WireTime DayOf(const WireTime& t, int hour, int minute, int second) {
    WireTime d = t;
    d.hour = static_cast<uint8_t>(hour);
    d.minute = static_cast<uint8_t>(minute);
    d.second = static_cast<uint8_t>(second);
    return d;
}

}  // namespace

struct SimRecorder::Session {
    std::mutex lock;
    std::vector<std::weak_ptr<Link>> links;  // the control connection first
    uint64_t sent = 0;
    bool dropped = false;
};

SimRecorder::SimRecorder(SimOptions options, std::shared_ptr<RecorderContent> content)
    : options_(std::move(options)),
      content_(std::move(content)),
      // Session numbers start somewhere different in every run, so a number
      // from an earlier run does not open a stream by chance.
      nextSession_(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()) | 1) {}

SimRecorder::~SimRecorder() {
    Stop();
}

bool SimRecorder::Start(std::string* error) {
    networking_ = veknet::StartNetworking();
    listener_ = veknet::Socket::ListenLoopback(options_.port, error);
    if (!listener_)
        return false;
    port_ = listener_->LocalPort();
    return acceptor_.Start([this] { AcceptLoop(); });
}

void SimRecorder::Stop() {
    stop_.store(true);
    if (listener_)
        listener_->Shutdown();
    acceptor_.Join();
    // The acceptor is gone: nobody adds peers any more.
    for (auto& peer : peers_)
        peer->link->Shutdown();
    for (auto& peer : peers_)
        peer->thread.Join();
    peers_.clear();
    listener_.reset();
    if (networking_) {
        veknet::StopNetworking();
        networking_ = false;
    }
}

void SimRecorder::AcceptLoop() {
    while (!Stopping()) {
        std::unique_ptr<veknet::Socket> socket = listener_->Accept(kStepMs);
        // Threads of connections that ended are joined here, not left to pile up.
        for (auto it = peers_.begin(); it != peers_.end();) {
            if ((*it)->done.load()) {
                (*it)->thread.Join();
                it = peers_.erase(it);
            } else {
                ++it;
            }
        }
        if (!socket)
            continue;
        accepted_++;
        serving_++;
        auto peer = std::make_unique<Peer>();
        peer->link = std::make_shared<Link>(std::move(socket));
        Peer* p = peer.get();
        std::shared_ptr<Link> link = peer->link;
        peers_.push_back(std::move(peer));
        if (!p->thread.Start([this, p, link] {
                Serve(link);
                link->Shutdown();
                serving_--;
                p->done.store(true);
            })) {
            serving_--;
            p->done.store(true);
        }
    }
}

void SimRecorder::Serve(const std::shared_ptr<Link>& link) {
    Message first;
    if (link->Read(&first, kFirstMessageMs) != ReadResult::kOk)
        return;
    switch (first.type) {
        case veknet::kLogin:
            ServeControl(link, first);
            break;
        case veknet::kPlayOpen:
            ServePlay(link, first);
            break;
        case veknet::kDownloadOpen:
            ServeDownload(link, first);
            break;
        default:
            break;  // nothing a connection may start with
    }
}

void SimRecorder::ServeControl(const std::shared_ptr<Link>& link, const Message& login) {
    veknet::LoginBody body;
    if (!veknet::ReadLogin(login, &body))
        return;
    if (options_.refuseStatus == veknet::kStatusConnectFailed)
        return;  // closed unanswered
    veknet::LoginReplyBody reply;
    reply.channels = static_cast<uint8_t>(std::min<uint32_t>(content_->ChannelCount(), 255));
    reply.deviceName = options_.deviceName;
    if (options_.refuseStatus)
        reply.status = options_.refuseStatus;
    else if (body.user != options_.user)
        reply.status = veknet::kStatusNoUser;
    else if (body.password != options_.password)
        reply.status = veknet::kStatusBadPassword;
    else
        reply.status = veknet::kStatusLoggedIn;

    uint32_t number = 0;
    if (reply.status == veknet::kStatusLoggedIn) {
        auto session = std::make_shared<Session>();
        session->links.push_back(link);
        std::lock_guard<std::mutex> hold(lock_);
        do {
            number = nextSession_ += 0x9E3779B9u;
        } while (number == 0 || sessions_.count(number));
        sessions_[number] = session;
        reply.session = number;
    }
    if (!link->Send(veknet::MakeLoginReply(reply)) || number == 0) {
        std::lock_guard<std::mutex> hold(lock_);
        sessions_.erase(number);
        return;
    }

    uint32_t idleMs = 0;
    while (!Stopping() && idleMs < kControlIdleMs) {
        Message m;
        const ReadResult r = link->Read(&m, kStepMs);
        if (r == ReadResult::kIdle) {
            idleMs += kStepMs;
            continue;
        }
        if (r != ReadResult::kOk)
            break;
        idleMs = 0;
        veknet::QueryBody query;
        bool sent = false;
        if (veknet::ReadEmpty(m) && m.type == veknet::kPing)
            sent = link->Send(veknet::MakeEmpty(veknet::kPong));
        else if (veknet::ReadQuery(m, &query))
            sent = options_.silentQueries || link->Send(Answer(query, m.sequence));
        if (!sent)
            break;
    }
    std::lock_guard<std::mutex> hold(lock_);
    sessions_.erase(number);
}

Message SimRecorder::Answer(const veknet::QueryBody& query, uint32_t sequence) {
    std::vector<veknet::WireItem> items;
    if (!query.start.Valid() || !query.end.Valid())
        return veknet::MakeQueryReply(sequence, items);
    if (query.command == veknet::kQueryDay) {
        const std::vector<RecordEntry> records = content_->Records(query.selector);
        for (size_t i = 0; i < records.size(); i++) {
            const RecordEntry& r = records[i];
            if (!Overlaps(r, query.start, query.end))
                continue;
            veknet::WireItem item;
            item.word = r.channel;
            item.start = r.start;
            item.end = r.end;
            item.type = r.type;
            item.length = content_->Length(r.channel, i);
            items.push_back(item);
        }
    } else if (query.command == veknet::kQueryMonth) {
        // Days by the date a record starts on.
        std::map<int64_t, veknet::WireItem> days;
        const int64_t from = DayOf(query.start, 0, 0, 0).Seconds();
        const int64_t to = DayOf(query.end, 23, 59, 59).Seconds();
        const uint32_t channels = std::min<uint32_t>(content_->ChannelCount(), 32);
        for (uint32_t channel = 0; channel < channels; channel++) {
            if (!(query.selector & (1u << channel)))
                continue;
            for (const RecordEntry& r : content_->Records(channel)) {
                const int64_t day = DayOf(r.start, 0, 0, 0).Seconds();
                if (day < from || day > to)
                    continue;
                veknet::WireItem& item = days[day];
                item.start = DayOf(r.start, 0, 0, 0);
                item.end = DayOf(r.start, 23, 59, 59);
                item.word |= 1u << channel;
                item.type |= r.type;
            }
        }
        for (const auto& entry : days)
            items.push_back(entry.second);
    }
    return veknet::MakeQueryReply(sequence, items);
}

std::shared_ptr<SimRecorder::Session> SimRecorder::JoinSession(uint32_t number,
                                                               const std::shared_ptr<Link>& link) {
    std::shared_ptr<Session> session;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = sessions_.find(number);
        if (it == sessions_.end())
            return nullptr;
        session = it->second;
    }
    std::lock_guard<std::mutex> hold(session->lock);
    if (session->dropped)
        return nullptr;
    session->links.push_back(link);
    return session;
}

bool SimRecorder::CountSent(Session& session, uint32_t bytes) {
    frameBytes_ += bytes;
    bool drop = false;
    {
        std::lock_guard<std::mutex> hold(session.lock);
        session.sent += bytes;
        drop = options_.dropAfterBytes && session.sent >= options_.dropAfterBytes;
    }
    if (drop)
        Drop(session);
    return !drop;
}

void SimRecorder::Drop(Session& session) {
    std::vector<std::shared_ptr<Link>> links;
    {
        std::lock_guard<std::mutex> hold(session.lock);
        session.dropped = true;
        for (const auto& weak : session.links)
            if (auto link = weak.lock())
                links.push_back(link);
    }
    for (const auto& link : links)
        link->Shutdown();
}

void SimRecorder::ServePlay(const std::shared_ptr<Link>& link, const Message& open) {
    veknet::OpenBody body;
    if (!veknet::ReadOpen(open, &body))
        return;
    const std::shared_ptr<Session> session = JoinSession(body.session, link);
    veknet::OpenReplyBody reply;
    std::vector<RecordEntry> all;
    if (!session)
        reply.result = OpenResult::kNoSession;
    else if (body.channel >= content_->ChannelCount() || !body.start.Valid() || !body.end.Valid())
        reply.result = OpenResult::kBadRequest;
    else
        all = content_->Records(body.channel);

    // Where play stands: record `at` of `all`, frame `frame` of it.
    size_t at = all.size();
    size_t frame = 0;
    WireTime end = body.end;
    std::shared_ptr<const RecordFrames> frames;
    // Moves to the first key frame at or after `position` in the records
    // that overlap position..end; at = all.size() when there is none.
    auto locate = [&](const WireTime& position) {
        frames.reset();
        frame = 0;
        for (at = 0; at < all.size(); at++) {
            const RecordEntry& r = all[at];
            if (!Overlaps(r, position, end))
                continue;
            if (r.start.Seconds() >= position.Seconds())
                return;  // from its first frame
            frames = content_->Frames(body.channel, at);
            if (!frames || frames->frames.empty())
                continue;
            const uint64_t target = frames->frames.front().timeUs +
                                    static_cast<uint64_t>(position.Seconds() - r.start.Seconds()) * 1000000u;
            for (frame = 0; frame < frames->frames.size(); frame++) {
                const FrameRef& f = frames->frames[frame];
                if (f.key && f.timeUs >= target)
                    return;
            }
            frames.reset();  // nothing left in this record: the next one from its start
            frame = 0;
        }
    };
    if (session && reply.result == OpenResult::kOk) {
        locate(body.start);
        if (at == all.size())
            reply.result = OpenResult::kNoRecord;
    }
    if (!link->Send(veknet::MakeOpenReply(reply)) || reply.result != OpenResult::kOk)
        return;

    uint32_t epoch = 0;
    uint64_t underway = 0;
    bool ended = false;
    while (!Stopping()) {
        if (!ended && underway < veknet::kPlayWindow) {
            if (at >= all.size() || !end.Valid() || all[at].start.Seconds() > end.Seconds()) {
                ended = true;
                if (!link->Send(veknet::MakeEnd(epoch)))
                    return;
                continue;
            }
            if (!frames)
                frames = content_->Frames(body.channel, at);
            if (!frames || frame >= frames->frames.size()) {
                at++;
                frame = 0;
                frames.reset();
                continue;
            }
            const FrameRef& f = frames->frames[frame++];
            if (!link->Send(veknet::MakeFrame(epoch, frames->Data(f), f.size)) ||
                !CountSent(*session, f.size))
                return;
            underway += f.size;
        }
        // Between frames only what is already waiting is read; with nothing
        // to send the thread waits for the client.
        const bool sending = !ended && underway < veknet::kPlayWindow;
        Message m;
        const ReadResult r = link->Read(&m, sending ? 0 : kStepMs);
        if (r == ReadResult::kIdle)
            continue;
        if (r != ReadResult::kOk)
            return;
        veknet::CreditBody credit;
        veknet::SeekBody seek;
        if (veknet::ReadCredit(m, &credit)) {
            if (credit.epoch == epoch)
                underway -= std::min<uint64_t>(underway, credit.bytes);
        } else if (veknet::ReadSeek(m, &seek)) {
            epoch = seek.epoch;
            underway = 0;
            ended = false;
            end = seek.end;
            if (seek.position.Valid() && seek.end.Valid())
                locate(seek.position);
            else
                at = all.size();
        } else {
            return;
        }
    }
}

void SimRecorder::ServeDownload(const std::shared_ptr<Link>& link, const Message& open) {
    veknet::OpenBody body;
    if (!veknet::ReadOpen(open, &body))
        return;
    const std::shared_ptr<Session> session = JoinSession(body.session, link);
    veknet::OpenReplyBody reply;
    std::shared_ptr<const RecordFrames> frames;
    if (!session) {
        reply.result = OpenResult::kNoSession;
    } else if (body.channel >= content_->ChannelCount() || !body.start.Valid()) {
        reply.result = OpenResult::kBadRequest;
    } else {
        reply.result = OpenResult::kNoRecord;
        const std::vector<RecordEntry> all = content_->Records(body.channel);
        for (size_t i = 0; i < all.size(); i++) {
            if (all[i].start == body.start) {
                frames = content_->Frames(body.channel, i);
                if (frames) {
                    reply.result = OpenResult::kOk;
                    reply.total = frames->TotalBytes();
                }
                break;
            }
        }
    }
    if (reply.result == OpenResult::kOk && !options_.servedDir.empty()) {
        char name[64];
        std::snprintf(name, sizeof name, "/ch%u-%04u%02u%02u-%02u%02u%02u.frames", body.channel,
                      body.start.year, body.start.month, body.start.day, body.start.hour, body.start.minute,
                      body.start.second);
        if (std::FILE* out = std::fopen((options_.servedDir + name).c_str(), "wb")) {
            for (const FrameRef& f : frames->frames)
                std::fwrite(frames->Data(f), 1, f.size, out);
            std::fclose(out);
        }
    }
    if (!link->Send(veknet::MakeOpenReply(reply)) || reply.result != OpenResult::kOk)
        return;
    const bool stall = options_.stallAfter != 0 && downloads_.fetch_add(1) >= options_.stallAfter;
    size_t sent = 0;
    for (const FrameRef& f : frames->frames) {
        if (stall && ++sent > frames->frames.size() / 2)
            break;
        if (Stopping() || !link->Send(veknet::MakeFrame(0, frames->Data(f), f.size)) ||
            !CountSent(*session, f.size))
            return;
    }
    if (!stall)
        link->Send(veknet::MakeEnd(0));
    // Wait for the client to close, so the End is read before the connection
    // goes (a stalled download: until it goes).
    Message m;
    for (uint32_t waited = 0; (stall || waited < kFirstMessageMs) && !Stopping(); waited += kStepMs)
        if (link->Read(&m, kStepMs) != ReadResult::kIdle)
            return;
}

}  // namespace simrecorder
