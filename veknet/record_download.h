// veknet/record_download.h
//
// One download: a connection of its own that carries one record's frames,
// and a thread that writes them to the target file and reports progress.
//
// A ".avi" target goes through the program's AVI writer; any other target
// gets the frames back to back, each its 40-byte header and payload as the
// recorder sent it (what the converter and the file player read as ".264").
//
// Events: VEKNET_DOWNLOAD_PROGRESS with the percentage of the record's bytes
// received whenever it rises (100 only once the file is complete), then
// exactly one VEKNET_DOWNLOAD_END whose value is VEKNET_DOWNLOAD_OK or the
// reason it failed: the link went (the recorder ended the connection, sent
// something malformed, or sent nothing for kDownloadSilenceMs), or the file
// could not be written whole. A file that failed is left as far as it got.
//
// Stop ends the thread and waits for it: no event after it returns, and no
// end event for a download stopped before it ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sync.h"
#include "veknet/connection.h"
#include "veknet/link.h"
#include "veknet/veknet_api.h"

namespace veknet {

inline constexpr uint32_t kDownloadSilenceMs = 15000;

struct DownloadParams {
    uint32_t channel = 0;
    WireTime start;
    WireTime end;
    std::string path;
    NetDownloadCallback callback = nullptr;
    uintptr_t user = 0;
};

// Where the frames go.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual bool Write(const uint8_t* frame, uint32_t size) = 0;
    // Finishes the file; false when some write failed.
    virtual bool Close() = 0;
};
// Creates the target file for `path` (AVI or raw frames, by its name); null
// when it cannot be created.
std::unique_ptr<FrameSink> CreateFrameSink(const std::string& path);

class RecordDownload : public std::enable_shared_from_this<RecordDownload> {
  public:
    // Connects, asks for the record and creates the target file; null when
    // the recorder cannot be reached, refuses, or the file cannot be made.
    static std::shared_ptr<RecordDownload> Open(const StreamTarget& target, const DownloadParams& params);
    ~RecordDownload();
    RecordDownload(const RecordDownload&) = delete;
    RecordDownload& operator=(const RecordDownload&) = delete;

    bool Start();
    void Stop();

  private:
    RecordDownload(std::shared_ptr<Link> link,
                   const DownloadParams& params,
                   uint64_t total,
                   std::unique_ptr<FrameSink> sink);
    void Run();
    // The result of the transfer (VEKNET_DOWNLOAD_*); -1 when stopped.
    int32_t Transfer();
    void Event(int32_t code, int32_t value);

    const std::shared_ptr<Link> link_;
    const DownloadParams params_;
    const uint64_t total_;
    std::unique_ptr<FrameSink> sink_;
    std::atomic<bool> stop_{false};
    platform::Thread worker_;
};

}  // namespace veknet
