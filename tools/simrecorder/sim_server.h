// tools/simrecorder/sim_server.h
//
// The simulated recorder: a server of VekNet's protocol (veknet/protocol.h) on
// 127.0.0.1 only, serving a RecorderContent. It is a library so that tests run
// it in their own process on a port the system picks; tools/simrecorder/main.cpp
// is the command around it.
//
// Every connection gets a thread. The first message decides what it is: a
// Login makes it a control connection (answered 101, or 103 for another user
// name, 104 for another password, or the status the options force), whose
// session number then opens play and download connections until the control
// connection ends. A control connection that says nothing for 30 s is closed.
//
// Failures on purpose:
//   refuseStatus    103, 104 or 106: every login is answered with it; 105: the
//                   connection is closed without an answer.
//   dropAfterBytes  once a login's play and download connections have carried
//                   that many frame bytes, every connection of the login is
//                   closed at once, as when the cable is pulled mid-transfer.
//   silentQueries   the control connection answers pings but never a query,
//                   as a recorder that hangs in its search yet keeps the link.
//
// Remote play follows the client's credit: at most kPlayWindow frame bytes
// are under way unacknowledged. A seek starts a new epoch at the first key
// frame at or after the position (or the next record's start), and End
// follows the last frame of the range. A download sends the frames of the
// record that starts at the asked start, then End.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "tools/simrecorder/recorder_content.h"
#include "veknet/link.h"

namespace simrecorder {

struct SimOptions {
    uint16_t port = 0;  // 0: one the system picks
    std::string user = "admin";
    std::string password = "admin";
    std::string deviceName = "SimRecorder";
    uint32_t refuseStatus = 0;
    uint64_t dropAfterBytes = 0;
    // When set, every download writes the frames it serves, back to back, to
    // "<servedDir>/chC-YYYYMMDD-HHMMSS.frames" (channel from 0, the record's
    // start) before sending them.
    std::string servedDir;
    // Downloads after the first `stallAfter` (0: none) send half of their
    // frames, then nothing more until the connection goes.
    uint32_t stallAfter = 0;
    bool silentQueries = false;
};

class SimRecorder {
  public:
    SimRecorder(SimOptions options, std::shared_ptr<RecorderContent> content);
    ~SimRecorder();
    SimRecorder(const SimRecorder&) = delete;
    SimRecorder& operator=(const SimRecorder&) = delete;

    // Listens and starts accepting; false with a reason when it cannot.
    bool Start(std::string* error);
    uint16_t Port() const { return port_; }
    // Closes every connection and waits for every thread.
    void Stop();

    // Frame bytes sent on play and download connections so far.
    uint64_t FrameBytesSent() const { return frameBytes_.load(); }
    // Connections accepted so far.
    uint64_t Accepted() const { return accepted_.load(); }
    // Connections accepted whose serving has not ended yet.
    uint64_t Serving() const { return serving_.load(); }

  private:
    struct Session;
    struct Peer {
        std::shared_ptr<veknet::Link> link;
        platform::Thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void Serve(const std::shared_ptr<veknet::Link>& link);
    void ServeControl(const std::shared_ptr<veknet::Link>& link, const veknet::Message& login);
    void ServePlay(const std::shared_ptr<veknet::Link>& link, const veknet::Message& open);
    void ServeDownload(const std::shared_ptr<veknet::Link>& link, const veknet::Message& open);
    veknet::Message Answer(const veknet::QueryBody& query, uint32_t sequence);

    // The live session of a number, with the link joined to it; null when
    // there is none (never logged in, or its control connection ended).
    std::shared_ptr<Session> JoinSession(uint32_t number, const std::shared_ptr<veknet::Link>& link);
    // Counts frame bytes a session sent; false once the session must drop.
    bool CountSent(Session& session, uint32_t bytes);
    void Drop(Session& session);
    bool Stopping() const { return stop_.load(); }

    const SimOptions options_;
    const std::shared_ptr<RecorderContent> content_;
    std::unique_ptr<veknet::Socket> listener_;
    uint16_t port_ = 0;
    bool networking_ = false;
    std::atomic<bool> stop_{false};
    platform::Thread acceptor_;
    std::atomic<uint64_t> frameBytes_{0};
    std::atomic<uint64_t> accepted_{0};
    std::atomic<uint64_t> serving_{0};
    std::atomic<uint32_t> downloads_{0};  // downloads opened so far

    // The acceptor's alone while it runs; Stop takes it over after joining it.
    std::list<std::unique_ptr<Peer>> peers_;
    std::mutex lock_;  // sessions_, nextSession_
    std::map<uint32_t, std::shared_ptr<Session>> sessions_;
    uint32_t nextSession_;
};

}  // namespace simrecorder
