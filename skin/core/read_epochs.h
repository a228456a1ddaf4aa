// skin/core/read_epochs.h
//
// plym::ReadEpochs: threads read a shared object without a lock while one
// writer replaces it. A reader enters before it loads the object's pointer
// and leaves when it is done with the object; the writer first unpublishes
// the old object (stores the new pointer, or none), then Retire returns once
// every reader that could have loaded the old pointer has left, and the old
// object may go. Readers entering during the wait belong to the next epoch
// and are not waited for, so a stream of readers never holds the writer up.
// One writer at a time; any number of readers, which never wait.
#pragma once

#include <atomic>

namespace plym {

class ReadEpochs {
  public:
    // The epoch the reader is counted in, for Leave.
    unsigned Enter();
    void Leave(unsigned epoch);
    // Ends the current epoch and waits until its readers have left.
    void Retire();

  private:
    std::atomic<unsigned> epoch_{0};
    std::atomic<int> readers_[2] = {};
};

// A reader's stay, from construction to destruction.
class ReadEpochScope {
  public:
    explicit ReadEpochScope(ReadEpochs& epochs) : epochs_(epochs), epoch_(epochs.Enter()) {}
    ~ReadEpochScope() { epochs_.Leave(epoch_); }
    ReadEpochScope(const ReadEpochScope&) = delete;
    ReadEpochScope& operator=(const ReadEpochScope&) = delete;

  private:
    ReadEpochs& epochs_;
    unsigned epoch_;
};

}  // namespace plym
