// veknet/connection.cpp
#include "veknet/connection.h"

#include <algorithm>
#include <chrono>

#include "veknet/download_path.h"

namespace veknet {

namespace {

using Clock = std::chrono::steady_clock;

// How long a read waits before the thread looks at its stop flag and timers.
constexpr uint32_t kReadStepMs = 200;

uint64_t MsSince(Clock::time_point t) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

}  // namespace

Connection::Connection(LoginParams params) : params_(std::move(params)) {}

Connection::~Connection() {
    Stop();
}

bool Connection::Start() {
    std::shared_ptr<Connection> self = shared_from_this();
    return worker_.Start([self] { self->Run(); });
}

void Connection::Stop() {
    stop_.store(true);
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> hold(lock_);
        link = link_;
    }
    if (link)
        link->Shutdown();
    changed_.notify_all();
    worker_.Join();
}

bool Connection::GetStreamTarget(StreamTarget* out) const {
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ != State::kLoggedIn)
        return false;
    out->host = params_.host;
    out->port = params_.port;
    out->session = session_;
    return true;
}

bool Connection::GetDeviceInfo(std::string* name, uint8_t* channels) const {
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ != State::kLoggedIn)
        return false;
    *name = deviceName_;
    *channels = channels_;
    return true;
}

bool Connection::Query(const QueryBody& query, std::vector<WireItem>* items) {
    std::shared_ptr<Link> link;
    uint32_t sequence = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (state_ != State::kLoggedIn || stop_.load())
            return false;
        link = link_;
        do {
            sequence = ++nextSequence_;
        } while (sequence == 0 || pending_.count(sequence));
        pending_[sequence];
        SettleAllowance(Clock::now());
        ++waiting_;
    }
    const bool sent = link->Send(MakeQuery(sequence, query));
    std::unique_lock<std::mutex> hold(lock_);
    bool answered = false;
    if (sent) {
        // Every query waiting ends when the allowance does.
        const Clock::time_point now = Clock::now();
        SettleAllowance(now);
        answered = changed_.wait_until(hold, now + allowance_, [&] { return pending_[sequence].done; });
    }
    SettleAllowance(Clock::now());
    --waiting_;
    Pending answer = std::move(pending_[sequence]);
    pending_.erase(sequence);
    if (sent && !answered && state_ == State::kLoggedIn) {
        // A recorder that keeps the link but leaves a query unanswered is
        // lost as much as one that went away: the thread sees the link end
        // and posts the loss, and no later query waits for it.
        state_ = State::kEnded;
        hold.unlock();
        link->Shutdown();
        return false;
    }
    if (!answer.ok)
        return false;
    *items = std::move(answer.items);
    return true;
}

void Connection::SettleAllowance(Clock::time_point now) {
    const Clock::duration passed = now - settled_;
    settled_ = now;
    if (waiting_ > 0)
        allowance_ = passed < allowance_ ? allowance_ - passed : Clock::duration::zero();
    else
        allowance_ = std::min<Clock::duration>(allowance_ + passed, std::chrono::milliseconds(kQueryWaitMs));
}

void Connection::Run() {
    const uint32_t status = LogIn();
    Post(status);
    if (status == kStatusLoggedIn)
        Serve();
    End();
}

uint32_t Connection::LogIn() {
    // The address also names the folder downloads are filed under; one that
    // could not name a folder names no recorder either.
    if (!IsSafeHostText(params_.host.c_str()))
        return kStatusConnectFailed;
    std::unique_ptr<Socket> socket =
        Socket::Connect(params_.host, params_.port, kConnectTimeoutMs, nullptr, &stop_);
    if (!socket)
        return kStatusConnectFailed;
    auto link = std::make_shared<Link>(std::move(socket));
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stop_.load())
            return kStatusConnectFailed;
        link_ = link;  // from here on Stop can wake the thread
    }
    if (!link->Send(MakeLogin({params_.user, params_.password})))
        return kStatusConnectFailed;

    const Clock::time_point sent = Clock::now();
    Message m;
    ReadResult r;
    while ((r = link->Read(&m, kReadStepMs)) == ReadResult::kIdle) {
        if (stop_.load() || MsSince(sent) > kReplyTimeoutMs)
            return kStatusConnectFailed;
    }
    LoginReplyBody reply;
    if (r != ReadResult::kOk || !ReadLoginReply(m, &reply))
        return kStatusConnectFailed;
    switch (reply.status) {
        case kStatusLoggedIn:
            if (reply.session == 0)
                return kStatusConnectFailed;
            {
                std::lock_guard<std::mutex> hold(lock_);
                session_ = reply.session;
                deviceName_ = reply.deviceName;
                channels_ = reply.channels;
                state_ = State::kLoggedIn;
            }
            return kStatusLoggedIn;
        case kStatusNoUser:
        case kStatusBadPassword:
        case kStatusNoPermission:
            return reply.status;
        default:
            return kStatusConnectFailed;  // no answer the program knows
    }
}

void Connection::Serve() {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> hold(lock_);
        link = link_;
    }
    Clock::time_point heard = Clock::now();
    Clock::time_point pinged = heard;
    while (!stop_.load()) {
        Message m;
        const ReadResult r = link->Read(&m, kReadStepMs);
        if (r == ReadResult::kOk) {
            heard = Clock::now();
            if (ReadEmpty(m) && m.type == kPong)
                continue;
            if (m.type == kQueryReply && TakeReply(m))
                continue;
            break;  // malformed, or nothing a client is sent
        }
        if (r != ReadResult::kIdle)
            break;
        if (MsSince(heard) > kLinkSilenceMs)
            break;
        if (MsSince(pinged) >= kPingIntervalMs) {
            if (!link->Send(MakeEmpty(kPing)))
                break;
            pinged = Clock::now();
        }
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        state_ = State::kEnded;  // no new query starts on a lost link
    }
    Post(kStatusLinkLost);
}

bool Connection::TakeReply(const Message& m) {
    std::vector<WireItem> items;
    if (!ReadQueryReply(m, &items))
        return false;
    for (const WireItem& item : items)
        if (!item.start.Valid() || !item.end.Valid())
            return false;
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = pending_.find(m.sequence);
    if (it != pending_.end() && !it->second.done) {  // else the asker gave up waiting
        it->second.done = true;
        it->second.ok = true;
        it->second.items = std::move(items);
        changed_.notify_all();
    }
    return true;
}

void Connection::End() {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> hold(lock_);
        state_ = State::kEnded;
        for (auto& entry : pending_)
            entry.second.done = true;
        link = std::move(link_);
        changed_.notify_all();
    }
    if (link)
        link->Shutdown();
}

std::shared_ptr<Link> OpenStream(const StreamTarget& target,
                                 uint16_t openType,
                                 const OpenBody& open,
                                 uint64_t* total) {
    std::unique_ptr<Socket> socket = Socket::Connect(target.host, target.port, kConnectTimeoutMs);
    if (!socket)
        return nullptr;
    auto link = std::make_shared<Link>(std::move(socket));
    if (!link->Send(MakeOpen(openType, open)))
        return nullptr;
    Message m;
    OpenReplyBody reply;
    if (link->Read(&m, kReplyTimeoutMs) != ReadResult::kOk || !ReadOpenReply(m, &reply) ||
        reply.result != OpenResult::kOk)
        return nullptr;
    if (total)
        *total = reply.total;
    return link;
}

void Connection::Post(uint32_t status) {
    // Stop waits for this thread, so a status checked here is never posted
    // after Stop returned.
    if (!stop_.load())
        PostStatus(params_.target, status);
}

}  // namespace veknet
