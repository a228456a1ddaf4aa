// tools/simrecorder/image_content.h
//
// A recorder disk image served through VKFS, as the program itself reads a
// disk: one day search over every date the recorder's clock can hold lists
// the records of channels 0..3 (into the export tables), and a record's
// bytes come from an export of it, cut into frames. VKFS serves one disk per
// process, and its calls are made here one at a time; the frames of the last
// few records read are kept.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "tools/simrecorder/recorder_content.h"
#include "vkfs/vkfs_api.h"

namespace simrecorder {

inline constexpr uint32_t kImageChannels = 4;

class ImageContent final : public RecorderContent {
  public:
    // Opens the image (a file, "\\.\PhysicalDriveN", or "mem:NAME") and lists
    // its records; null with a reason when VKFS cannot read it.
    static std::unique_ptr<ImageContent> Open(const std::string& path, std::string* error);
    ~ImageContent() override;

    uint32_t ChannelCount() const override { return kImageChannels; }
    std::vector<RecordEntry> Records(uint32_t channel) override;
    // The data length of the record's event.
    uint32_t Length(uint32_t channel, size_t index) override;
    std::shared_ptr<const RecordFrames> Frames(uint32_t channel, size_t index) override;

  private:
    explicit ImageContent(FSDiskHandle disk) : disk_(disk) {}
    bool List(std::string* error);
    std::shared_ptr<const RecordFrames> Export(const RecordEntry& record);

    const FSDiskHandle disk_;
    std::mutex lock_;  // every VKFS call, and the members below
    std::vector<RecordEntry> records_[kImageChannels];
    std::vector<RecTime> starts_[kImageChannels];  // the records' starts as VKFS gave them
    std::vector<uint32_t> lengths_[kImageChannels];
    struct Kept {
        uint32_t channel;
        size_t index;
        std::shared_ptr<const RecordFrames> frames;
    };
    std::deque<Kept> kept_;
};

}  // namespace simrecorder
