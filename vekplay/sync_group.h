// vekplay/sync_group.h
//
// What a synchronised master and its members share. The master owns the group
// and runs its clock; each member publishes, in its port, what it holds, and
// shows the frames whose time is at or before the clock.
//
// The clock advances only while every member that has not ended holds a frame
// to show next and is not holding still (paused or stepping on its own): it
// waits for a starved member instead of skipping past it. When every member's
// next frame lies more than the gap ahead, the clock jumps to the earliest. A
// member that repositions makes the clock start again from the earliest next
// frame of all members; a member that steps on its own and then plays again
// makes the clock resume from the latest frame it showed.
//
// Locking: an instance takes its own mutex, then the group's, never the other
// way round; the master never takes a member's mutex. Wake calls are made
// under the group mutex (a waiter's own lock is a leaf).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "vekplay/play_clock.h"

namespace vekplay {

struct SyncPort {
    std::shared_ptr<Waiter> waiter;  // the member's render thread
    bool hasNext = false;            // a frame is queued
    uint64_t nextTime = 0;           // its time
    bool ended = false;              // its end mark played out and nothing follows
    bool held = false;               // paused or stepping on its own
    bool shown = false;              // it showed a video frame
    uint64_t lastShown = 0;          // time of that frame
    bool reanchor = false;           // it repositioned: the clock restarts
    bool resumed = false;            // it left a hold: the clock resumes from lastShown
};

struct SyncGroup {
    std::mutex mutex;
    bool alive = true;  // false once the master is gone
    std::shared_ptr<Waiter> masterWaiter;
    bool clockValid = false;
    uint64_t clock = 0;                  // media microseconds
    bool running = false;                // the master plays (started, at a rate)
    int rateMode = 1;                    // the master's rate mode, for sound
    std::map<uint32_t, SyncPort> ports;  // by member instance id

    // Under `mutex`.
    void WakeMembers() {
        for (auto& entry : ports)
            if (entry.second.waiter)
                entry.second.waiter->Wake();
    }
};

}  // namespace vekplay
