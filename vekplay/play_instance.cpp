// vekplay/play_instance.cpp
#include "vekplay/play_instance.h"

#include <algorithm>
#include <new>

#include "vekplay/bmp_file.h"
#include "vekplay/frame_card.h"

namespace vekplay {

namespace {

std::atomic<int32_t> gVolume{100};

// Clock arithmetic is done on times clamped far below overflow; frame times
// themselves are reported as they came.
constexpr int64_t kMaxClock = int64_t{1} << 60;
int64_t ClockValue(uint64_t t) {
    return t > static_cast<uint64_t>(kMaxClock) ? kMaxClock : static_cast<int64_t>(t);
}

// How long a picture stands when the next frame's time says nothing useful.
constexpr int64_t kNominalFrameUs = 40000;

// A picture is left undrawn for the one that replaces it only while the last
// picture drawn has stood for less than this: a playing pane shows at least 25
// pictures a second.
constexpr int64_t kMaxUndrawnUs = 40000;

int32_t ClampVolume(int32_t v) {
    return std::clamp(v, 0, 100);
}

}  // namespace

void SetGlobalVolume(int32_t volume) {
    gVolume = ClampVolume(volume);
}

int32_t GlobalVolume() {
    return gVolume;
}

// ---- life -----------------------------------------------------------------------------

Instance::Instance(uint32_t id, InstanceKind kind, std::shared_ptr<Host> host, const InstanceOptions& options)
    : id_(id),
      kind_(kind),
      host_(std::move(host)),
      options_(options),
      clock_(host_->clock()),
      waiter_(clock_.MakeWaiter()),
      target_(host_->CreateTarget()),
      audio_(host_->CreateAudioSink()),
      queue_(options.queue) {}

Instance::~Instance() = default;

std::shared_ptr<Instance> Instance::Create(uint32_t id,
                                           InstanceKind kind,
                                           std::shared_ptr<Host> host,
                                           const InstanceOptions& options) {
    if (!host)
        return nullptr;
    std::shared_ptr<Instance> instance(new Instance(id, kind, std::move(host), options));
    if (!instance->target_ || !instance->audio_)
        return nullptr;
    if (kind == InstanceKind::kMaster) {
        instance->group_ = std::make_shared<SyncGroup>();
        instance->group_->masterWaiter = instance->waiter_;
    }
    // The thread holds the instance until it ends, so a Shutdown called from the
    // thread itself (a draw callback destroying its own instance) is safe.
    if (!instance->thread_.Start([self = instance]() mutable { RunThread(std::move(self)); }))
        return nullptr;
    return instance;
}

void Instance::RunThread(std::shared_ptr<Instance> self) {
    self->Run();
    self->waiter_->Retire();
}

void Instance::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (shutDown_)
            return;
        shutDown_ = true;
        stopping_ = true;
    }
    waiter_->Wake();
    if (!thread_.IsCurrent())
        thread_.Join();
    clip_.Stop(nullptr, nullptr);

    std::shared_ptr<SyncGroup> group;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        group = std::move(group_);
        file_.reset();
    }
    if (group) {
        std::lock_guard<std::mutex> lock(group->mutex);
        if (kind_ == InstanceKind::kMaster) {
            group->alive = false;
            group->running = false;
            group->masterWaiter.reset();
            group->WakeMembers();
        } else {
            group->ports.erase(id_);
            if (group->masterWaiter)
                group->masterWaiter->Wake();
        }
    }
}

void Instance::Run() {
    for (;;) {
        Round round;
        int64_t deadline = kNever;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_)
                return;
            deadline = PlanLocked(clock_.NowUs(), &round);
        }
        try {
            Execute(round);
        } catch (const std::bad_alloc&) {
            // Out of memory in one round: its frames are lost, play goes on.
        }
        // Notices after the round's pictures: an end comes after the last one.
        if (round.notifySet)
            for (uint32_t code : round.posts)
                host_->Post(round.notifyWindow, round.notifyMessage, code, round.notifyUser);
        if (round.Empty()) {
            // A picture left undrawn is drawn when it would stand too long, also
            // when nothing else wakes this thread (a member whose master paused).
            if (undrawn_.set)
                deadline = std::min(deadline, drawnAt_ + kMaxUndrawnUs);
            waiter_->SleepUntil(deadline);
        }
    }
}

// ---- settings -------------------------------------------------------------------------

void Instance::SetWindow(uintptr_t window) {
    target_->SetWindow(window);
}

void Instance::SetNotify(uintptr_t window, uint32_t message, uintptr_t user) {
    std::lock_guard<std::mutex> lock(mutex_);
    notifyWindow_ = window;
    notifyMessage_ = message;
    notifyUser_ = user;
    notifySet_ = window != 0;
}

void Instance::SetDrawHook(const DrawHook& hook) {
    target_->SetDrawHook(hook);
}

void Instance::SetSound(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    sound_ = on;
    waiter_->Wake();
}

bool Instance::sound() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sound_;
}

void Instance::SetVolume(int32_t volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = ClampVolume(volume);
}

int32_t Instance::volume() {
    std::lock_guard<std::mutex> lock(mutex_);
    return volume_;
}

InstanceStats Instance::stats() const {
    std::lock_guard<std::mutex> lock(statsMutex_);
    return stats_;
}

PicturePtr Instance::LastPicture() {
    std::lock_guard<std::mutex> lock(pictureMutex_);
    return lastPicture_;
}

uint64_t Instance::PlayedTime() {
    return played_;
}

// ---- clock ----------------------------------------------------------------------------

int64_t Instance::MediaNowLocked(int64_t now) const {
    const Rate r = RateOf(mode_);
    return ClockValue(anchorMedia_) + (now - anchorWall_) * r.num / r.den;
}

int64_t Instance::WallForLocked(uint64_t mediaTime) const {
    // Rounded up: at the time returned, MediaNowLocked has reached mediaTime.
    const Rate r = RateOf(mode_);
    const int64_t media = ClockValue(mediaTime) - ClockValue(anchorMedia_);
    const int64_t scaled = media * r.den;
    return anchorWall_ + (scaled >= 0 ? (scaled + r.num - 1) / r.num : scaled / r.num);
}

void Instance::AnchorLocked(uint64_t mediaTime, int64_t now) {
    anchored_ = true;
    anchorMedia_ = mediaTime;
    anchorWall_ = now;
}

bool Instance::FlowingLocked() const {
    return started_ && IsRateMode(mode_);
}

bool Instance::SoundNowLocked() const {
    if (!sound_)
        return false;
    if (group_) {
        // Under the group lock (member planning).
        return group_->running && group_->rateMode == kModeNormal && mode_ == kModeNormal;
    }
    return FlowingLocked() && mode_ == kModeNormal;
}

// ---- control --------------------------------------------------------------------------

int32_t Instance::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = true;
    anchored_ = false;
    masterTicking_ = false;
    waiter_->Wake();
    return 0;
}

int32_t Instance::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (kind_ == InstanceKind::kMaster && group_ && masterTicking_) {
        std::lock_guard<std::mutex> g(group_->mutex);
        group_->clock = static_cast<uint64_t>(std::max<int64_t>(MediaNowLocked(clock_.NowUs()), 0));
    }
    started_ = false;
    anchored_ = false;
    masterTicking_ = false;
    waiter_->Wake();
    return 0;
}

int32_t Instance::GetMode() {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_ ? mode_ : kModeReposition;
}

int32_t Instance::SetMode(int32_t mode) {
    if (!IsKnownMode(mode))
        return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    const int64_t now = clock_.NowUs();
    const bool wasHeld = mode_ == kModePause || mode_ == kModeStep;
    if (mode == kModeReposition) {
        RepositionLocked();
        waiter_->Wake();
        return 0;
    }
    if (kind_ == InstanceKind::kMaster && group_) {
        std::lock_guard<std::mutex> g(group_->mutex);
        if (masterTicking_)
            group_->clock = static_cast<uint64_t>(std::max<int64_t>(MediaNowLocked(now), 0));
        masterTicking_ = false;
    }
    if (mode == kModeStep) {
        stepsPending_ = std::min(stepsPending_ + 1, 1000);
        anchored_ = false;
    } else if (mode == kModePause) {
        stepsPending_ = 0;
        anchored_ = false;
    } else {
        stepsPending_ = 0;
        if (wasHeld)
            anchored_ = false;
        else if (anchored_)
            AnchorLocked(static_cast<uint64_t>(std::max<int64_t>(MediaNowLocked(now), 0)), now);
    }
    mode_ = mode;
    if (group_ && kind_ != InstanceKind::kMaster) {
        std::lock_guard<std::mutex> g(group_->mutex);
        auto it = group_->ports.find(id_);
        if (it != group_->ports.end()) {
            const bool held = mode == kModePause || mode == kModeStep;
            if (wasHeld && !held)
                it->second.resumed = true;
            it->second.held = held;
            if (group_->masterWaiter)
                group_->masterWaiter->Wake();
        }
    }
    waiter_->Wake();
    return 0;
}

// Play leaves its old position: the decoder starts afresh (with the next key
// frame unless play goes on from one), the clock takes its time from the next
// frame, and no end has been reached.
void Instance::ResetPositionLocked(bool atKeyFrame) {
    needKey_ = !atKeyFrame;
    resetPending_ = true;
    anchored_ = false;
    haveLastVideo_ = false;
    endReached_ = false;
    seekTargetSet_ = false;
}

void Instance::RepositionLocked() {
    bool wantData = false;
    queue_.Flush(&wantData);
    if (wantData)
        pendingPosts_.push_back(kCodeWantData);
    ResetPositionLocked(false);
    // Held still: the first picture at the new position is shown all the same.
    const bool inGroup = kind_ == InstanceKind::kMaster || group_ != nullptr;
    showOne_ = inGroup ? (mode_ == kModePause || mode_ == kModeStep) : !FlowingLocked();
    if (kind_ == InstanceKind::kMaster && group_) {
        std::lock_guard<std::mutex> g(group_->mutex);
        group_->clockValid = false;
        masterTicking_ = false;
    } else if (group_) {
        std::lock_guard<std::mutex> g(group_->mutex);
        auto it = group_->ports.find(id_);
        if (it != group_->ports.end()) {
            it->second.reanchor = true;
            it->second.hasNext = false;
            it->second.ended = false;
        }
        if (group_->masterWaiter)
            group_->masterWaiter->Wake();
    }
}

int32_t Instance::Input(const uint8_t* data, uint32_t length) {
    if (kind_ == InstanceKind::kMaster)
        return -1;
    if (!data || length == 0) {
        queue_.PushEnd();
        waiter_->Wake();
        return 0;
    }
    auto frame = std::make_shared<Frame>();
    if (ParseFrame(data, length, frame.get()) != FrameCheck::kOk) {
        std::lock_guard<std::mutex> lock(statsMutex_);
        stats_.dropped++;
        return 0;
    }
    if (!queue_.Push(std::move(frame)))
        return kInputFull;
    waiter_->Wake();
    return 0;
}

// ---- files ----------------------------------------------------------------------------

int32_t Instance::OpenFile(const char* path) {
    if (kind_ == InstanceKind::kMaster)
        return -1;
    std::string why;
    std::shared_ptr<PlayFile> file = PlayFile::Open(path, &why);
    if (!file)
        return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = std::move(file);
    cursor_ = 0;
    fileEndPosted_ = false;
    ResetPositionLocked(false);
    played_ = 0;
    waiter_->Wake();
    return 0;
}

int32_t Instance::CloseFile() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_)
        return -1;
    file_.reset();
    cursor_ = 0;
    played_ = 0;
    waiter_->Wake();
    return 0;
}

int32_t Instance::FileTimeRange(uint64_t* first, uint64_t* last) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint64_t f = 0, l = 0;
    if (!file_ || !file_->TimeRange(&f, &l))
        return -1;
    if (first)
        *first = f;
    if (last)
        *last = l;
    return 0;
}

int32_t Instance::SetPlayedTime(uint64_t timeUs) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_)
        return -1;
    const size_t key = file_->KeyFrameAtOrBefore(timeUs);
    if (key == PlayFile::kNone)
        return -1;
    cursor_ = key;
    fileEndPosted_ = false;
    ResetPositionLocked(true);
    seekTargetSet_ = true;
    seekTarget_ = std::max(timeUs, file_->frames()[key].time);
    showOne_ = !FlowingLocked();
    waiter_->Wake();
    return 0;
}

// ---- snapshots and clips --------------------------------------------------------------

int32_t Instance::Capture(const char* path) {
    const PicturePtr picture = LastPicture();
    if (!picture || !path)
        return -1;
    return WriteBmp24(path, *picture) ? 0 : -1;
}

int32_t Instance::StartClip(const char* path) {
    if (kind_ == InstanceKind::kMaster)
        return -1;
    return clip_.Start(path) ? 0 : -1;
}

int32_t Instance::StopClip(uint64_t* first, uint64_t* last) {
    return clip_.Stop(first, last) ? 0 : -1;
}

// ---- sync -----------------------------------------------------------------------------

int32_t Instance::AddMember(Instance& member) {
    if (kind_ != InstanceKind::kMaster || member.kind_ == InstanceKind::kMaster || &member == this)
        return -1;
    std::shared_ptr<SyncGroup> group;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (shutDown_)
            return -1;
        group = group_;
    }
    return member.JoinGroup(group) ? 0 : -1;
}

bool Instance::JoinGroup(const std::shared_ptr<SyncGroup>& group) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutDown_ || !group)
        return false;
    if (group_ && group_ != group) {
        std::lock_guard<std::mutex> g(group_->mutex);
        group_->ports.erase(id_);
        if (group_->masterWaiter)
            group_->masterWaiter->Wake();
    }
    std::lock_guard<std::mutex> g(group->mutex);
    if (!group->alive) {
        group_.reset();
        return false;
    }
    group_ = group;
    SyncPort& port = group->ports[id_];
    port = SyncPort{};
    port.waiter = waiter_;
    port.reanchor = true;  // the clock starts again with this member in it
    port.held = mode_ == kModePause || mode_ == kModeStep;
    if (group->masterWaiter)
        group->masterWaiter->Wake();
    anchored_ = false;
    waiter_->Wake();
    return true;
}

// ---- planning (render thread, under mutex_) -------------------------------------------

bool Instance::PeekLocked(Next* next) {
    *next = Next{};
    if (file_) {
        if (cursor_ >= file_->count())
            return false;
        const FileFrame& f = file_->frames()[cursor_];
        next->SetFrame(f.time, f.type, false);
        return true;
    }
    QueueItem item;
    if (!queue_.Front(&item))
        return false;
    if (!item.frame) {
        next->kind = Next::kEnd;
        return true;
    }
    next->SetFrame(item.frame->time(), item.frame->type(), item.afterGap);
    return true;
}

Instance::WorkItem Instance::TakeLocked(Round* round) {
    WorkItem w;
    if (file_) {
        w.file = file_;
        w.index = cursor_++;
        w.video = file_->frames()[w.index].type != 'A';
        return w;
    }
    QueueItem item;
    bool wantData = false;
    if (queue_.Pop(&item, &wantData)) {
        w.frame = std::move(item.frame);
        w.video = w.frame && w.frame->IsVideo();
    }
    if (wantData)
        round->posts.push_back(kCodeWantData);
    return w;
}

// Drops the next frame unshown (a frame that cannot be decoded without the key
// frame it depends on, or one too late to show) and counts it.
void Instance::SkipLocked(Round* round) {
    TakeLocked(round);
    std::lock_guard<std::mutex> lock(statsMutex_);
    stats_.skipped++;
}

bool Instance::VideoAfterLocked(uint64_t* time) {
    if (!file_)
        return false;
    const auto& frames = file_->frames();
    for (size_t i = cursor_ + 1; i < frames.size(); i++) {
        if (frames[i].type != 'A') {
            *time = frames[i].time;
            return true;
        }
    }
    return false;
}

// The next video frame to be taken, past audio frames.
bool Instance::NextVideoLocked(Next* next) {
    *next = Next{};
    if (file_) {
        const auto& frames = file_->frames();
        for (size_t i = cursor_; i < frames.size(); i++) {
            if (frames[i].type != 'A') {
                next->SetFrame(frames[i].time, frames[i].type, false);
                return true;
            }
        }
        return false;
    }
    QueueItem item;
    if (!queue_.FrontVideo(&item))
        return false;
    next->SetFrame(item.frame->time(), item.frame->type(), item.afterGap);
    return true;
}

void Instance::ConsumeVideoLocked(Round* round, uint64_t time, bool show) {
    WorkItem w = TakeLocked(round);
    w.show = show;
    if (needKey_) {
        // Only a key frame gets here while waiting for one.
        needKey_ = false;
        w.resetBefore = true;
    }
    round->items.push_back(std::move(w));
    lastVideo_ = time;
    haveLastVideo_ = true;
}

int64_t Instance::PlanLocked(int64_t now, Round* round) {
    if (resetPending_) {
        round->resetDecoder = true;
        resetPending_ = false;
    }
    round->posts = std::move(pendingPosts_);
    pendingPosts_.clear();
    round->notifyWindow = notifyWindow_;
    round->notifyMessage = notifyMessage_;
    round->notifyUser = notifyUser_;
    round->notifySet = notifySet_;
    round->volume = volume_ * GlobalVolume() / 100;
    round->plannedAt = now;

    // End marks are played out as soon as everything in front of them is.
    if (kind_ != InstanceKind::kMaster && !file_) {
        Next next;
        while (PeekLocked(&next) && next.kind == Next::kEnd) {
            TakeLocked(round);
            round->posts.push_back(kCodeEnd);
            endReached_ = true;
        }
    }

    if (kind_ == InstanceKind::kMaster)
        return PlanMasterLocked(now, round);
    if (group_) {
        bool alive = false;
        {
            std::lock_guard<std::mutex> g(group_->mutex);
            alive = group_->alive;
        }
        if (alive)
            return PlanMemberLocked(round);
        group_.reset();  // the master is gone: play on alone
    }
    return PlanSoloLocked(now, round);
}

int64_t Instance::PlanSoloLocked(int64_t now, Round* round) {
    const bool flowing = FlowingLocked();
    const bool sound = SoundNowLocked();
    round->mayLeaveUndrawn = flowing;
    if (audioPlaying_ && !sound) {
        round->stopAudio = true;
        audioPlaying_ = false;
    }
    const int64_t gap = options_.gapUs;
    for (size_t taken = 0; taken < options_.maxBatch;) {
        Next next;
        if (!PeekLocked(&next)) {
            // Starved: the clock waits, and the next frame is shown when it comes.
            if (flowing)
                anchored_ = false;
            if (file_ && cursor_ >= file_->count() && !fileEndPosted_) {
                fileEndPosted_ = true;
                round->posts.push_back(kCodeEnd);
            }
            return kNever;
        }
        if (next.kind == Next::kEnd) {
            TakeLocked(round);
            round->posts.push_back(kCodeEnd);
            endReached_ = true;
            continue;
        }
        const bool stepping = !flowing && (stepsPending_ > 0 || showOne_);
        if (!flowing && !stepping)
            return kNever;
        endReached_ = false;
        if (next.afterGap)
            needKey_ = true;

        if (next.type == 'A') {
            bool due = stepping || !anchored_ || seekTargetSet_;
            if (!due) {
                const int64_t m = MediaNowLocked(now);
                const int64_t t = ClockValue(next.time);
                due = t <= m || t > m + gap || t + gap < m;
                if (!due)
                    return WallForLocked(next.time);
            }
            WorkItem w = TakeLocked(round);
            w.sound = sound && !stepping && !seekTargetSet_;
            audioPlaying_ = audioPlaying_ || w.sound;
            round->items.push_back(std::move(w));
            taken++;
            continue;
        }

        if (needKey_ && next.type != 'I') {
            SkipLocked(round);
            continue;
        }
        if (seekTargetSet_) {
            // Decode from the key frame up to the target without showing.
            uint64_t after = 0;
            if (VideoAfterLocked(&after) && after <= seekTarget_) {
                ConsumeVideoLocked(round, next.time, false);
                taken++;
                continue;
            }
            seekTargetSet_ = false;
        }
        if (stepping) {
            ConsumeVideoLocked(round, next.time, true);
            if (stepsPending_ > 0)
                stepsPending_--;
            showOne_ = false;
            anchored_ = false;
            return now;
        }
        const bool jump = !anchored_ || !haveLastVideo_ || next.time < lastVideo_ ||
                          ClockValue(next.time) > ClockValue(lastVideo_) + gap;
        if (jump) {
            // The picture before a jump still stands for a frame's time.
            const Rate r = RateOf(mode_);
            const int64_t after = haveLastVideo_ ? lastTakenWall_ + kNominalFrameUs * r.den / r.num : now;
            AnchorLocked(next.time, std::max(now, after));
        }
        const int64_t due = WallForLocked(next.time);
        if (due > now)
            return due;
        if (now - due > options_.lateUs && next.type == 'P') {
            needKey_ = true;
            SkipLocked(round);
            continue;
        }
        ConsumeVideoLocked(round, next.time, true);
        lastTakenWall_ = due;
        showOne_ = false;
        taken++;
    }
    return now;
}

int64_t Instance::PlanMemberLocked(Round* round) {
    std::lock_guard<std::mutex> g(group_->mutex);
    SyncPort& port = group_->ports[id_];
    const bool held = mode_ == kModePause || mode_ == kModeStep;
    const bool sound = SoundNowLocked() && !held;
    if (audioPlaying_ && !sound) {
        round->stopAudio = true;
        audioPlaying_ = false;
    }
    const bool stepping = held && (stepsPending_ > 0 || showOne_);
    const bool following = !held && group_->clockValid && !port.reanchor;
    const uint64_t clock = group_->clock;
    round->mayLeaveUndrawn = following;
    round->groupClock = clock;

    for (size_t taken = 0; (stepping || following) && taken < options_.maxBatch;) {
        Next next;
        if (!PeekLocked(&next))
            break;
        if (next.kind == Next::kEnd) {
            TakeLocked(round);
            round->posts.push_back(kCodeEnd);
            endReached_ = true;
            continue;
        }
        if (following && next.time > clock)
            break;
        endReached_ = false;
        if (next.afterGap)
            needKey_ = true;
        if (next.type == 'A') {
            WorkItem w = TakeLocked(round);
            w.sound = sound && following;
            audioPlaying_ = audioPlaying_ || w.sound;
            round->items.push_back(std::move(w));
            taken++;
            continue;
        }
        if (needKey_ && next.type != 'I') {
            SkipLocked(round);
            continue;
        }
        ConsumeVideoLocked(round, next.time, true);
        taken++;
        if (stepping) {
            if (stepsPending_ > 0)
                stepsPending_--;
            showOne_ = false;
            break;
        }
    }

    // Tell the master what this member holds now.
    Next front;
    const bool has = PeekLocked(&front) && front.kind == Next::kFrame;
    const SyncPort before = port;
    port.waiter = waiter_;
    port.hasNext = has;
    port.nextTime = has ? front.time : 0;
    port.ended = endReached_ && !has;
    port.held = held;
    port.shown = haveLastVideo_;
    port.lastShown = lastVideo_;
    if (before.hasNext != port.hasNext || before.nextTime != port.nextTime || before.ended != port.ended ||
        before.held != port.held || before.lastShown != port.lastShown) {
        if (group_->masterWaiter)
            group_->masterWaiter->Wake();
    }
    return kNever;
}

int64_t Instance::PlanMasterLocked(int64_t now, Round* round) {
    SyncGroup& g = *group_;
    std::lock_guard<std::mutex> lock(g.mutex);
    g.rateMode = mode_;
    // Whatever moves the clock below, the members hear of it.
    struct WakeOnChange {
        SyncGroup& g;
        const uint64_t clock;
        const bool valid;
        ~WakeOnChange() {
            if (g.clock != clock || g.clockValid != valid)
                g.WakeMembers();
        }
    } wakeOnChange{g, g.clock, g.clockValid};

    bool allEnded = !g.ports.empty();
    bool ready = true;
    bool reanchor = false;
    uint64_t minNext = UINT64_MAX;
    for (auto& entry : g.ports) {
        SyncPort& port = entry.second;
        if (port.resumed) {
            // A member played on after stepping alone: go on from its picture.
            if (g.clockValid && port.shown && port.lastShown > g.clock)
                g.clock = port.lastShown;
            port.resumed = false;
            masterTicking_ = false;
        }
        if (port.ended)
            continue;
        allEnded = false;
        reanchor = reanchor || port.reanchor;
        if (port.held || !port.hasNext)
            ready = false;
        else
            minNext = std::min(minNext, port.nextTime);
    }
    if (allEnded) {
        if (!masterEndPosted_) {
            masterEndPosted_ = true;
            round->posts.push_back(kCodeEnd);
        }
        g.running = false;
        masterTicking_ = false;
        return kNever;
    }
    masterEndPosted_ = false;

    const bool run = started_ && IsRateMode(mode_);
    if ((!g.clockValid || reanchor) && ready && minNext != UINT64_MAX && (run || stepsPending_ > 0)) {
        g.clock = minNext;
        g.clockValid = true;
        for (auto& entry : g.ports)
            entry.second.reanchor = false;
        masterTicking_ = false;
        g.WakeMembers();
    }
    if (g.clockValid)
        played_ = g.clock;

    g.running = run && g.clockValid;
    if (!g.clockValid || !ready) {
        masterTicking_ = false;  // wait for the starved or held member
        return kNever;
    }
    if (stepsPending_ > 0) {
        stepsPending_--;
        if (minNext > g.clock)
            g.clock = minNext;
        played_ = g.clock;
        masterTicking_ = false;
        g.WakeMembers();
        return kNever;
    }
    if (!run) {
        masterTicking_ = false;
        return kNever;
    }
    if (!masterTicking_) {
        masterTicking_ = true;
        AnchorLocked(g.clock, now);
    }
    int64_t c = std::max(MediaNowLocked(now), ClockValue(g.clock));
    if (ClockValue(minNext) > c + options_.gapUs) {
        c = ClockValue(minNext);  // nothing to show for a while: jump over the gap
        AnchorLocked(minNext, now);
    }
    if (static_cast<uint64_t>(c) != g.clock) {
        g.clock = static_cast<uint64_t>(c);
        played_ = g.clock;
        g.WakeMembers();
    }
    if (ClockValue(minNext) > c)
        return WallForLocked(minNext);
    return kNever;  // members take their frames and report back
}

// ---- work (render thread, no lock held) -----------------------------------------------

void Instance::Execute(Round& round) {
    if (round.resetDecoder) {
        video_.Reset();
        undrawn_ = Shot{};
    }
    if (round.stopAudio)
        audio_->Stop();

    size_t lastShown = round.items.size();
    bool video = false;
    for (size_t i = 0; i < round.items.size(); i++) {
        video = video || round.items[i].video;
        if (round.items[i].video && round.items[i].show)
            lastShown = i;
    }
    // A picture left undrawn is drawn as soon as the frame that was to replace
    // it is not coming in time after all (play was paused, say).
    if (undrawn_.set && !video && !Replaced(round, round.plannedAt)) {
        Draw(undrawn_, round.plannedAt);
        undrawn_ = Shot{};
    }

    for (size_t i = 0; i < round.items.size(); i++) {
        WorkItem& item = round.items[i];
        Frame local;
        const Frame* frame = item.frame.get();
        if (item.file) {
            if (!item.file->Read(item.index, &local))
                continue;
            frame = &local;
        }
        if (!frame)
            continue;
        clip_.Feed(*frame);
        if (!frame->IsVideo()) {
            if (item.sound) {
                AudioSamples samples;
                if (audioDecoder_.Decode(*frame, &samples) && !samples.samples.empty()) {
                    audio_->Play(samples.samples.data(), samples.samples.size(), samples.rate,
                                 samples.channels, round.volume);
                    std::lock_guard<std::mutex> lock(statsMutex_);
                    stats_.audioFrames++;
                }
            }
            continue;
        }
        if (item.resetBefore)
            video_.Reset();
        const DecodeResult result = video_.Decode(*frame, nullptr);
        undrawn_ = Shot{};  // the decoder holds this frame's picture now
        {
            std::lock_guard<std::mutex> lock(statsMutex_);
            stats_.decoded++;
        }
        if (i != lastShown)
            continue;
        Shot shot;
        shot.set = true;
        shot.picture = result == DecodeResult::kPicture;
        shot.card.channel = frame->header.channel;
        shot.card.type = frame->type();
        shot.card.timeUs = frame->time();
        shot.card.size = frame->payloadSize();
        shot.card.width = frame->header.width;
        shot.card.height = frame->header.height;
        const int64_t now = round.mayLeaveUndrawn ? clock_.NowUs() : round.plannedAt;
        if (Replaced(round, now))
            undrawn_ = shot;
        else
            Draw(shot, now);
    }
}

// Whether the picture of the last frame decoded is replaced by the next one
// before anyone could see it, so it is not drawn (nor converted): the next
// frame is due before the screen shows another picture after the last one
// drawn, or it came due while this round decoded. Never once the last picture
// drawn has stood for kMaxUndrawnUs, nor when the next frame was due when the
// round was planned (it was not taken then: play does not flow on), nor when
// it will not be decoded in turn (after lost frames, or across a jump in time).
bool Instance::Replaced(const Round& round, int64_t now) {
    if (!round.mayLeaveUndrawn || now - drawnAt_ >= kMaxUndrawnUs)
        return false;
    const int64_t refresh = target_->RefreshUs();
    std::lock_guard<std::mutex> lock(mutex_);
    Next next;
    if (stopping_ || !NextVideoLocked(&next) || next.afterGap || (needKey_ && next.type != 'I'))
        return false;
    if (!haveLastVideo_ || next.time < lastVideo_ ||
        ClockValue(next.time) > ClockValue(lastVideo_) + options_.gapUs)
        return false;
    int64_t due = 0;  // clock time the next frame is due at
    if (group_) {
        std::lock_guard<std::mutex> g(group_->mutex);
        if (!group_->alive || !group_->running || mode_ == kModePause || mode_ == kModeStep ||
            next.time <= round.groupClock)
            return false;
        const Rate r = RateOf(group_->rateMode);
        const int64_t ahead = ClockValue(next.time) - ClockValue(group_->clock);
        due = now + std::max<int64_t>(ahead, 0) * r.den / r.num;
    } else {
        if (!FlowingLocked() || !anchored_)
            return false;
        due = WallForLocked(next.time);
        if (due <= round.plannedAt)
            return false;
    }
    return due <= now || (refresh > 0 && due <= drawnAt_ + refresh);
}

void Instance::Draw(const Shot& shot, int64_t now) {
    drawnAt_ = now;
    if (!spare_ || spare_.use_count() > 1)
        spare_ = std::make_shared<Picture>();
    const bool picture = shot.picture && video_.ConvertLast(spare_.get());
    if (!picture)
        DrawCard(shot.card, spare_.get());
    spare_->time = shot.card.timeUs;
    {
        std::lock_guard<std::mutex> lock(statsMutex_);
        if (picture)
            stats_.pictures++;
        else
            stats_.cards++;
    }
    Present(*spare_);
    played_ = shot.card.timeUs;
}

void Instance::Present(const Picture& picture) {
    target_->Present(picture);
    {
        std::lock_guard<std::mutex> lock(pictureMutex_);
        std::swap(lastPicture_, spare_);
    }
    std::lock_guard<std::mutex> lock(statsMutex_);
    stats_.presented++;
}

}  // namespace vekplay
