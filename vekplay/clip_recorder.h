// vekplay/clip_recorder.h
//
// Local clip recording: the frames an instance plays, from the next key frame
// on, go through the program's AVI writer into the clip file (a ".mp4" name
// holds AVI data too, as everywhere in this program). Start and Stop come from
// the GUI thread, Feed from the render thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "vekplay/frame.h"

class CVekAviFileWirte;

namespace vekplay {

class ClipRecorder {
  public:
    ClipRecorder();
    ~ClipRecorder();
    ClipRecorder(const ClipRecorder&) = delete;
    ClipRecorder& operator=(const ClipRecorder&) = delete;

    // Finishes a clip still running, then opens `path`. False when it cannot be
    // created.
    bool Start(const char* path);
    // Hands a frame that was played to the clip (nothing when none runs).
    void Feed(const Frame& frame);
    // Finishes the clip. `first` and `last` (either may be null) receive the
    // times of the first and last frame it holds, 0 when it holds none. False
    // when no clip was running or the file could not be finished.
    bool Stop(uint64_t* first, uint64_t* last);
    bool active() const;

  private:
    mutable std::mutex mutex_;
    std::unique_ptr<CVekAviFileWirte> writer_;
    bool keySeen_ = false;
    uint64_t first_ = 0;
    uint64_t last_ = 0;
};

}  // namespace vekplay
