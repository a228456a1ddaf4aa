// media/convert_engine.h
//
// The work of the .264-to-AVI converter without its dialog: a raw recorder
// stream file (frames back to back) is read in blocks of 327,680 bytes and fed
// to the AVI writer, with progress in per mille and the milliseconds elapsed
// after every block, until the end of the file or a stop request.
//
// The dialog drives a C264ToAviEngine: Start runs the conversion on a worker
// thread; Stop asks it to end after the block it is writing; Wait joins it. The
// callbacks run on the worker thread (the dialog posts messages from them) and
// the engine never touches a window. Every conversion that starts ends with
// exactly one call of the finished callback, whatever happened: the source is
// closed and the output finished or never created by then.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/sync.h"

inline constexpr uint32_t kConvertBlockSize = 0x50000;  // 327,680

enum class ConvertResult {
    Done,         // the whole source was read and the AVI file is complete
    Stopped,      // stopped on request; the AVI file is finished as far as written
    SourceError,  // the source could not be opened or read
    OutputError,  // the AVI file could not be created
    WriteError,   // a write of the AVI file failed: it is incomplete
};

struct ConvertReport {
    ConvertResult result = ConvertResult::Done;
    uint64_t sourceSize = 0;  // bytes, as measured when the source was opened
    uint64_t bytesRead = 0;
    uint64_t elapsedMs = 0;
};

// Per mille of `done` out of `total`: 1000 only once done reaches total; 1000
// for an empty total.
int ProgressPerMille(uint64_t done, uint64_t total);

class C264ToAviEngine {
  public:
    using ProgressFn = std::function<void(int perMille, uint64_t elapsedMs)>;
    using FinishedFn = std::function<void(const ConvertReport&)>;

    C264ToAviEngine() = default;
    // Stops and joins a running conversion.
    ~C264ToAviEngine();
    C264ToAviEngine(const C264ToAviEngine&) = delete;
    C264ToAviEngine& operator=(const C264ToAviEngine&) = delete;

    // Starts converting on a worker thread. False (nothing started) when a path
    // is empty, a conversion is still running, or no thread can be created. A
    // finished conversion's thread is joined first.
    bool Start(const std::string& source,
               const std::string& destination,
               ProgressFn progress,
               FinishedFn finished);
    // The stop flag: the worker ends after the block it is writing.
    void Stop() { stop_.store(true); }
    // Waits for the worker; returns at once when none runs.
    void Wait();
    bool Running() const { return running_.load(); }

    // One whole conversion on the calling thread. `stop` is read between blocks;
    // `progress` may be empty.
    static ConvertReport Convert(const char* source,
                                 const char* destination,
                                 const std::atomic<bool>& stop,
                                 const ProgressFn& progress);

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    platform::Thread worker_;
};
