// veknet/record_play.h
//
// One remote play: a connection of its own to the recorder, a reader thread
// and a delivery thread.
//
// The reader thread takes the recorder's frames into a queue. The recorder
// keeps at most kPlayWindow bytes under way that the client has not handed
// on (PlayCredit), so the queue is bounded however long delivery pauses, and
// the reader keeps reading - a paused play still notices the link going.
//
// The delivery thread hands queued frames to the data callback in order.
// When the callback answers 0 the frame stays at the head of the queue and
// delivery pauses; RequestData resumes it with that same frame. (The pane
// hands every frame straight to the decoder, which refuses one when its
// buffer is full and asks for data once it has room: offering the refused
// frame first loses no frame, where a dropped delta frame would spoil the
// picture up to the next key frame.)
//
// A request for data that comes while the callback that refuses is still
// running is not lost: the refused frame is offered again at once.
//
// Reposition sends the recorder a seek under a new epoch number, drops every
// frame queued or still under way from the old epoch, waits for a callback
// running with an old frame to return (unless it is called from inside it),
// and holds delivery until Replay: no frame from before the position is
// handed on after it returns. After the last frame of the range, and when the link is lost,
// the callback gets (NULL, 0) once, so a player knows that no more comes.
//
// Stop ends both threads and waits for them (a stop from inside the data
// callback cannot wait for its own thread: the callback running is the last).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "veknet/connection.h"
#include "veknet/link.h"
#include "veknet/veknet_api.h"

namespace veknet {

// Frame bytes handed on before the client tells the recorder about them.
inline constexpr uint32_t kCreditStep = 64 * 1024;

struct PlayParams {
    uint32_t channel = 0;
    WireTime start;
    WireTime end;
    NetDataCallback callback = nullptr;
    uintptr_t user = 0;
};

class RecordPlay : public std::enable_shared_from_this<RecordPlay> {
  public:
    // Connects, asks for the play and waits for the answer; null when the
    // recorder cannot be reached or refuses (nothing recorded in the range).
    static std::shared_ptr<RecordPlay> Open(const StreamTarget& target, const PlayParams& params);
    ~RecordPlay();
    RecordPlay(const RecordPlay&) = delete;
    RecordPlay& operator=(const RecordPlay&) = delete;

    bool Start();
    void RequestData();
    void Reposition(const WireTime& position, const WireTime& end);
    void Replay();
    void Stop();

  private:
    RecordPlay(std::shared_ptr<Link> link, const PlayParams& params);

    void ReadLoop();
    void DeliverLoop();
    // What the delivery thread may hand on now.
    bool Deliverable() const;
    void Credit(uint32_t epoch, uint32_t bytes);

    const std::shared_ptr<Link> link_;
    const PlayParams params_;
    platform::Thread reader_;
    platform::Thread deliverer_;

    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    uint32_t epoch_ = 0;
    std::deque<std::vector<uint8_t>> queue_;
    uint64_t queued_ = 0;    // bytes in the queue
    uint32_t unacked_ = 0;   // bytes handed on, not yet credited
    bool paused_ = false;    // the callback refused the head of the queue
    uint64_t requests_ = 0;  // RequestData calls so far
    bool inCallback_ = false;
    bool holding_ = false;  // between Reposition and Replay
    bool ended_ = false;    // the recorder sent End for this epoch, or the link is gone
    bool endHanded_ = false;
    bool lost_ = false;
};

}  // namespace veknet
