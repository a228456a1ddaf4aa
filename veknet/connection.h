// veknet/connection.h
//
// One login: the control connection to a recorder and the thread that owns
// it. The thread connects, logs in, posts the outcome, and then reads every
// message that arrives (pongs, query replies) and pings the recorder every
// kPingIntervalMs. The link counts as lost when the recorder ends the
// connection, sends anything malformed or unexpected, or stays silent for
// kLinkSilenceMs; status 2 is posted then, once.
//
// Queries are made on the caller's thread: the request is sent under a
// sequence number and the caller waits for the thread to hand over the reply
// with that number, whose items were checked already. Several callers may
// query at once. The caller is usually a window's thread, which makes several
// queries back to back and answers nothing meanwhile, so the waits of a login
// draw on one allowance of kQueryWaitMs: it runs down while any query waits
// and builds up again while none does. A query whose reply has not come when
// the allowance is used up loses the link (status 2, as above), and every
// later query of the login fails at once; so a run of queries keeps its
// caller waiting little more than kQueryWaitMs in all, whatever the recorder
// does.
//
// Stop ends the thread and waits for it; no status is posted after it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "veknet/link.h"
#include "veknet/protocol.h"
#include "veknet/status_post.h"

namespace veknet {

inline constexpr uint32_t kConnectTimeoutMs = 5000;
inline constexpr uint32_t kReplyTimeoutMs = 10000;  // a login's or a stream's opening reply
inline constexpr uint32_t kQueryWaitMs = 3000;
inline constexpr uint32_t kPingIntervalMs = 2000;
inline constexpr uint32_t kLinkSilenceMs = 6000;

struct LoginParams {
    std::string host;
    uint16_t port = 0;
    std::string user;
    std::string password;
    StatusTarget target;
};

// Where the play and download connections of a login go.
struct StreamTarget {
    std::string host;
    uint16_t port = 0;
    uint32_t session = 0;
};

// A play or download connection of a login: connects to the target, sends the
// open message (kPlayOpen or kDownloadOpen) and waits for the recorder to
// accept it; *total (when given) is the record's size the recorder announced.
// Null when it cannot connect or the recorder refuses.
std::shared_ptr<Link> OpenStream(const StreamTarget& target,
                                 uint16_t openType,
                                 const OpenBody& open,
                                 uint64_t* total = nullptr);

class Connection : public std::enable_shared_from_this<Connection> {
  public:
    explicit Connection(LoginParams params);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Starts the login thread; false when no thread could be made.
    bool Start();
    void Stop();

    // False unless logged in with the link up.
    bool GetStreamTarget(StreamTarget* out) const;
    bool GetDeviceInfo(std::string* name, uint8_t* channels) const;
    // Sends a query and waits for its reply; false when not logged in, the
    // link fails, or no reply came within the allowance (the link is lost then).
    bool Query(const QueryBody& query, std::vector<WireItem>* items);

  private:
    enum class State { kConnecting, kLoggedIn, kEnded };
    struct Pending {
        bool done = false;
        bool ok = false;
        std::vector<WireItem> items;
    };

    void Run();
    // Connects and logs in; the status to post.
    uint32_t LogIn();
    void Serve();
    // A reply that arrived: false when it is malformed.
    bool TakeReply(const Message& m);
    // Brings the query allowance up to now (under lock_).
    void SettleAllowance(std::chrono::steady_clock::time_point now);
    void End();
    void Post(uint32_t status);

    const LoginParams params_;
    std::atomic<bool> stop_{false};
    platform::Thread worker_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    State state_ = State::kConnecting;
    std::shared_ptr<Link> link_;
    uint32_t session_ = 0;
    std::string deviceName_;
    uint8_t channels_ = 0;
    uint32_t nextSequence_ = 0;
    std::map<uint32_t, Pending> pending_;
    int waiting_ = 0;  // queries waiting for their replies
    std::chrono::steady_clock::duration allowance_ = std::chrono::milliseconds(kQueryWaitMs);
    std::chrono::steady_clock::time_point settled_ = std::chrono::steady_clock::now();
};

}  // namespace veknet
