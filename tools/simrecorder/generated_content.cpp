// tools/simrecorder/generated_content.cpp
#include "tools/simrecorder/generated_content.h"

#include <algorithm>

#include "tools/framestream.h"

namespace simrecorder {

namespace {

constexpr int32_t kTypes[] = {1, 2, 4, 8};

veknet::WireTime At(const veknet::WireTime& day, int64_t secondsIntoDay) {
    veknet::WireTime midnight = day;
    midnight.hour = midnight.minute = midnight.second = 0;
    return veknet::WireTime::FromSeconds(midnight.Seconds() + secondsIntoDay);
}

}  // namespace

GeneratedContent::GeneratedContent(GeneratedTable table) : table_(std::move(table)), days_(table_.days) {
    std::sort(days_.begin(), days_.end(),
              [](const veknet::WireTime& a, const veknet::WireTime& b) { return a.Seconds() < b.Seconds(); });
}

std::vector<RecordEntry> GeneratedContent::Records(uint32_t channel) {
    std::vector<RecordEntry> records;
    if (channel >= table_.channels)
        return records;
    for (const veknet::WireTime& day : days_) {
        for (uint32_t i = 0; i < table_.recordsPerDay; i++) {
            RecordEntry r;
            r.channel = channel;
            const int64_t at = 9 * 3600 + int64_t{i} * 7200 + int64_t{channel} * 300;
            r.start = At(day, at);
            r.end = At(day, at + table_.seconds);
            r.type = kTypes[(i + channel) % 4];
            records.push_back(r);
        }
    }
    return records;
}

uint32_t GeneratedContent::Length(uint32_t channel, size_t index) {
    const std::shared_ptr<const RecordFrames> frames = Frames(channel, index);
    return frames ? static_cast<uint32_t>(frames->TotalBytes()) : 0;
}

std::shared_ptr<const RecordFrames> GeneratedContent::Frames(uint32_t channel, size_t index) {
    if (channel >= table_.channels || index >= days_.size() * table_.recordsPerDay)
        return nullptr;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = built_.find({channel, index});
        if (it != built_.end())
            return it->second;
    }
    std::shared_ptr<const RecordFrames> frames = Build(channel, index);
    std::lock_guard<std::mutex> hold(lock_);
    return built_.emplace(std::make_tuple(channel, index), frames).first->second;
}

std::shared_ptr<const RecordFrames> GeneratedContent::Build(uint32_t channel, size_t index) {
    const size_t dayIndex = index / table_.recordsPerDay;
    const uint32_t number = static_cast<uint32_t>(index % table_.recordsPerDay);
    const int64_t at = 9 * 3600 + int64_t{number} * 7200 + int64_t{channel} * 300;

    vektools::StreamSpec recipe;
    recipe.seed = static_cast<uint32_t>(vektools::MixSeed({table_.seed, channel, dayIndex, number}));
    recipe.channel = static_cast<uint8_t>(channel);
    recipe.startUs = static_cast<uint64_t>(At(days_[dayIndex], at).Seconds()) * 1000000u;
    recipe.fps = table_.fps;
    recipe.gop = table_.fps;
    recipe.videoFrames = table_.seconds * table_.fps;
    recipe.audio = table_.audio;
    recipe.audioParams.block = 164;  // 20 ms of 8 kHz A-law and the block prefix
    recipe.audioParams.codec = 1;
    const vektools::Stream stream = vektools::BuildStream(recipe);
    return std::make_shared<RecordFrames>(CutFrames(stream.bytes.data(), stream.bytes.size()));
}

}  // namespace simrecorder
