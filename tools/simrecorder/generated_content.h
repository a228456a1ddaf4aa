// tools/simrecorder/generated_content.h
//
// A recorder made up from a table: on each of the given days, every channel
// has `recordsPerDay` records of `seconds` seconds, record i of channel c
// starting at 09:00:00 + i x 2 h + c x 5 min. Record types go round 1, 2, 4, 8
// (by i + c). The frames are mkstream's (tools/framestream.h): `fps` frames a
// second with a key frame every second, G.711 A-law audio when asked for,
// each record seeded by its day, channel and number, so the same table
// always serves the same bytes. A record's frames are built when first
// asked for (its length included) and kept.
#pragma once

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "tools/simrecorder/recorder_content.h"

namespace simrecorder {

struct GeneratedTable {
    std::vector<veknet::WireTime> days;  // dates; the time of day is not used
    uint32_t channels = 4;
    uint32_t recordsPerDay = 3;
    uint32_t seconds = 10;
    uint8_t fps = 25;
    bool audio = true;
    uint32_t seed = 1;
};

class GeneratedContent final : public RecorderContent {
  public:
    explicit GeneratedContent(GeneratedTable table);

    uint32_t ChannelCount() const override { return table_.channels; }
    std::vector<RecordEntry> Records(uint32_t channel) override;
    // What the record's frames come to: the record is built to know it.
    uint32_t Length(uint32_t channel, size_t index) override;
    std::shared_ptr<const RecordFrames> Frames(uint32_t channel, size_t index) override;

  private:
    std::shared_ptr<const RecordFrames> Build(uint32_t channel, size_t index);

    const GeneratedTable table_;
    std::vector<veknet::WireTime> days_;  // in date order
    std::mutex lock_;
    std::map<std::tuple<uint32_t, size_t>, std::shared_ptr<const RecordFrames>> built_;
};

}  // namespace simrecorder
