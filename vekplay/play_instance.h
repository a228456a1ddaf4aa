// vekplay/play_instance.h
//
// One play instance: its input (a queue of frames, or an open file), its clock
// and mode, and the render thread that decodes and shows.
//
// Kinds: file (0), stream (1) and synchronised master (4). A master has no input
// of its own: it runs the clock of its group (sync_group.h), and its members,
// stream instances, show what that clock says.
//
// The render thread plans under the instance's mutex (which frames are due,
// what to post) and does the work outside it: reading, decoding, drawing, the
// draw callback, posting notices. So the draw callback may call back into the
// library, and every call from other threads stays short. It never sends a
// message and never waits for another thread.
//
// Pacing: the clock maps wall time to media time at the mode's rate, anchored
// at the first frame after a start, a resume, a reposition or a jump (a video
// frame more than `gapUs` after the last one, or before it). Frames are taken
// when their time has come; of several due at once only the last is drawn.
// Nor is a picture drawn that the next one replaces before the screen could
// show it (the target's refresh interval), or that the next one overtook while
// it was decoded, as long as the last picture drawn is recent: a playing pane
// shows at least 25 pictures a second. Only drawn pictures are converted from
// the decoder's format. Every frame taken is decoded; when decoding falls more
// than `lateUs` behind, delta frames are skipped up to the next key frame.
//
// Code 1 (want data) is posted once per refusal episode of the queue; code 11
// when an end mark is played out, when a file's last frame has been played, and
// (master) when every member has ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "vekplay/clip_recorder.h"
#include "vekplay/frame_card.h"
#include "vekplay/frame_queue.h"
#include "vekplay/media_decoder.h"
#include "vekplay/play_file.h"
#include "vekplay/play_host.h"
#include "vekplay/play_modes.h"
#include "vekplay/sync_group.h"

namespace vekplay {

enum class InstanceKind : int32_t { kFile = 0, kStream = 1, kMaster = 4 };

inline constexpr uint32_t kCodeWantData = 1;
inline constexpr uint32_t kCodeEnd = 11;
inline constexpr int32_t kInputFull = static_cast<int32_t>(0x8007000Eu);

struct InstanceOptions {
    QueueLimits queue;
    int64_t gapUs = 3000000;   // media time jump that restarts the clock
    int64_t lateUs = 1000000;  // behind by more: skip to the next key frame
    size_t maxBatch = 8;       // frames taken in one round (of which the last due is drawn)
};

struct InstanceStats {
    uint64_t presented = 0;    // pictures drawn (decoded or card)
    uint64_t pictures = 0;     // decoded pictures drawn
    uint64_t cards = 0;        // cards drawn (frames that did not decode)
    uint64_t decoded = 0;      // video frames through the decoder
    uint64_t skipped = 0;      // video frames dropped waiting for a key frame
    uint64_t audioFrames = 0;  // audio frames played (decoded to the sink)
    uint64_t dropped = 0;      // malformed input frames dropped
};

class Instance {
  public:
    // Starts the render thread. `id` is the handle the registry gives out.
    static std::shared_ptr<Instance> Create(uint32_t id,
                                            InstanceKind kind,
                                            std::shared_ptr<Host> host,
                                            const InstanceOptions& options = {});
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Stops and joins the render thread (not when called on it), finishes a clip,
    // leaves or dissolves the sync group. No callback runs and nothing is posted
    // after it returns. Every later call does nothing.
    void Shutdown();

    uint32_t id() const { return id_; }
    InstanceKind kind() const { return kind_; }

    void SetWindow(uintptr_t window);
    void SetNotify(uintptr_t window, uint32_t message, uintptr_t user);
    void SetDrawHook(const DrawHook& hook);

    int32_t Start();
    int32_t Stop();
    int32_t SetMode(int32_t mode);
    int32_t GetMode();

    // 0 taken (or dropped as malformed), kInputFull when the queue is full; a
    // null or empty frame is the end mark.
    int32_t Input(const uint8_t* data, uint32_t length);

    int32_t OpenFile(const char* path);
    int32_t CloseFile();
    int32_t FileTimeRange(uint64_t* first, uint64_t* last);
    int32_t SetPlayedTime(uint64_t timeUs);
    uint64_t PlayedTime();

    void SetSound(bool on);
    bool sound();
    void SetVolume(int32_t volume);
    int32_t volume();

    int32_t Capture(const char* path);
    int32_t StartClip(const char* path);
    int32_t StopClip(uint64_t* first, uint64_t* last);

    // On a master: makes `member` (a stream or file instance) one of its members.
    int32_t AddMember(Instance& member);

    InstanceStats stats() const;
    // The picture shown last, or null.
    PicturePtr LastPicture();

  private:
    Instance(uint32_t id, InstanceKind kind, std::shared_ptr<Host> host, const InstanceOptions& options);

    struct WorkItem {
        FramePtr frame;                  // from the queue
        std::shared_ptr<PlayFile> file;  // or from the file
        size_t index = 0;
        bool video = false;
        bool show = false;         // draw it (unless a later one in the round is drawn)
        bool sound = false;        // audio: play it
        bool resetBefore = false;  // a key frame after a gap: restart the decoder first
    };
    struct Round {
        std::vector<WorkItem> items;
        std::vector<uint32_t> posts;
        bool resetDecoder = false;
        bool stopAudio = false;
        uintptr_t notifyWindow = 0;
        uint32_t notifyMessage = 0;
        uintptr_t notifyUser = 0;
        bool notifySet = false;
        int volume = 0;
        // Play flows (solo on the clock, or a member following its group): a
        // picture the next one replaces at once may be left undrawn.
        bool mayLeaveUndrawn = false;
        int64_t plannedAt = 0;    // clock time of the planning
        uint64_t groupClock = 0;  // a member's group clock then
        bool Empty() const { return items.empty() && posts.empty() && !resetDecoder && !stopAudio; }
    };
    // A decoded frame to be drawn: the decoder's last picture, or a card.
    struct Shot {
        bool set = false;
        bool picture = false;
        CardInfo card;
    };
    // What comes next from the input.
    struct Next {
        enum Kind { kNothing, kFrame, kEnd } kind = kNothing;
        uint64_t time = 0;
        char type = 0;
        bool afterGap = false;
        void SetFrame(uint64_t t, char ty, bool gap) {
            kind = kFrame;
            time = t;
            type = ty;
            afterGap = gap;
        }
    };

    static void RunThread(std::shared_ptr<Instance> self);
    bool JoinGroup(const std::shared_ptr<SyncGroup>& group);
    void Run();

    // Under mutex_.
    int64_t PlanLocked(int64_t now, Round* round);
    int64_t PlanSoloLocked(int64_t now, Round* round);
    int64_t PlanMemberLocked(Round* round);
    int64_t PlanMasterLocked(int64_t now, Round* round);
    bool PeekLocked(Next* next);
    WorkItem TakeLocked(Round* round);
    void SkipLocked(Round* round);
    bool VideoAfterLocked(uint64_t* time);  // time of the video frame after the next one (files)
    void ConsumeVideoLocked(Round* round, uint64_t time, bool show);
    bool NextVideoLocked(Next* next);
    void ResetPositionLocked(bool atKeyFrame);
    void RepositionLocked();
    void PublishPortLocked();
    int64_t MediaNowLocked(int64_t now) const;
    int64_t WallForLocked(uint64_t mediaTime) const;
    void AnchorLocked(uint64_t mediaTime, int64_t now);
    bool FlowingLocked() const;
    bool SoundNowLocked() const;

    void Execute(Round& round);
    bool Replaced(const Round& round, int64_t now);
    void Draw(const Shot& shot, int64_t now);
    void Present(const Picture& picture);

    const uint32_t id_;
    const InstanceKind kind_;
    const std::shared_ptr<Host> host_;
    const InstanceOptions options_;
    Clock& clock_;
    const std::shared_ptr<Waiter> waiter_;
    std::unique_ptr<RenderTarget> target_;
    std::unique_ptr<AudioSink> audio_;

    std::mutex mutex_;
    bool stopping_ = false;
    bool shutDown_ = false;
    bool started_ = false;
    int32_t mode_ = kModeNormal;
    int stepsPending_ = 0;
    bool showOne_ = false;  // held: show the first frame at a new position
    bool anchored_ = false;
    uint64_t anchorMedia_ = 0;
    int64_t anchorWall_ = 0;
    bool haveLastVideo_ = false;
    uint64_t lastVideo_ = 0;     // time of the last video frame taken
    int64_t lastTakenWall_ = 0;  // clock time it was due
    bool needKey_ = true;
    bool resetPending_ = false;
    bool endReached_ = false;
    std::vector<uint32_t> pendingPosts_;
    uintptr_t notifyWindow_ = 0;
    uint32_t notifyMessage_ = 0;
    uintptr_t notifyUser_ = 0;
    bool notifySet_ = false;
    bool sound_ = false;
    int32_t volume_ = 50;
    bool audioPlaying_ = false;

    FrameQueue queue_;
    std::shared_ptr<PlayFile> file_;
    size_t cursor_ = 0;
    bool fileEndPosted_ = false;
    bool seekTargetSet_ = false;
    uint64_t seekTarget_ = 0;

    // Sync: a member's group, or the master's own.
    std::shared_ptr<SyncGroup> group_;
    bool portReanchor_ = false;
    bool portResumed_ = false;
    bool masterEndPosted_ = false;
    int64_t masterTick_ = 0;
    bool masterTicking_ = false;

    std::atomic<uint64_t> played_{0};
    ClipRecorder clip_;

    // Render thread only.
    VideoDecoder video_;
    AudioDecoder audioDecoder_;
    std::shared_ptr<Picture> spare_;
    Shot undrawn_;                     // left undrawn for a later frame that has not been taken yet
    int64_t drawnAt_ = INT64_MIN / 2;  // clock time of the last picture drawn

    std::mutex pictureMutex_;
    std::shared_ptr<Picture> lastPicture_;

    mutable std::mutex statsMutex_;
    InstanceStats stats_;

    platform::Thread thread_;
};

// One volume for all sound, 0..100 (VekPlaySetPlayVolume).
void SetGlobalVolume(int32_t volume);
int32_t GlobalVolume();

}  // namespace vekplay
