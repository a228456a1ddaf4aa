// tools/framestream.cpp
#include "tools/framestream.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "media/frame_header.h"

namespace vektools {

// ---- random numbers -------------------------------------------------------------

uint64_t Rng::Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint32_t Rng::Range(uint32_t lo, uint32_t hi) {
    if (hi <= lo)
        return lo;
    const uint64_t span = static_cast<uint64_t>(hi) - lo + 1;
    return lo + static_cast<uint32_t>(Next() % span);
}

uint8_t Rng::PayloadByte() {
    for (;;) {
        const uint8_t b = static_cast<uint8_t>(Next() >> 56);
        if (b != 0 && b != 'V')
            return b;
    }
}

uint64_t MixSeed(std::initializer_list<uint64_t> parts) {
    uint64_t h = 0x6a09e667f3bcc909ULL;
    for (uint64_t p : parts) {
        Rng r(h ^ p);
        h = r.Next();
    }
    return h;
}

// ---- audio timing ---------------------------------------------------------------

uint32_t AudioParams::SamplesPerBlock() const {
    const uint32_t data = block > 4 ? block - 4u : 0u;
    const uint32_t perSample =
        static_cast<uint32_t>(std::max<uint32_t>(bits, 1)) * std::max<uint8_t>(channels, 1);
    return std::max<uint32_t>(data * 8 / perSample, 1);
}

uint64_t AudioParams::FrameDurationUs() const {
    const uint64_t samples = static_cast<uint64_t>(SamplesPerBlock()) * std::max<uint16_t>(blocksPerFrame, 1);
    return std::max<uint64_t>(samples * 1000000 / std::max<uint32_t>(rate, 1), 1);
}

// ---- stream ---------------------------------------------------------------------

namespace {

struct Planned {
    char type;
    uint64_t timeUs;
    uint32_t videoIndex;  // for video frames
};

bool IsKeyFrame(const StreamSpec& s, uint32_t videoIndex) {
    if (s.accessUnits && !s.accessUnits->empty())
        return (*s.accessUnits)[videoIndex % s.accessUnits->size()].idr;
    if (videoIndex < s.leadingP)
        return false;
    const uint32_t j = videoIndex - s.leadingP;
    if (s.keysPerSecond) {
        if (j == 0)
            return true;
        const uint64_t rate = s.fps ? s.fps : 25;
        return (static_cast<uint64_t>(j) * s.keysPerSecond) / rate !=
               (static_cast<uint64_t>(j - 1) * s.keysPerSecond) / rate;
    }
    if (s.gop == 0)
        return j == 0;
    return j % s.gop == 0;
}

std::vector<Planned> PlanFrames(const StreamSpec& s) {
    std::vector<Planned> video;
    const uint64_t interval = s.FrameIntervalUs();
    for (uint32_t i = 0; i < s.videoFrames; i++) {
        const uint64_t t = s.startUs + (s.fps ? static_cast<uint64_t>(i) * 1000000 / s.fps : i * interval);
        video.push_back({IsKeyFrame(s, i) ? 'I' : 'P', t, i});
    }
    if (!s.audio)
        return video;

    const uint64_t videoEnd = s.startUs + (s.fps ? static_cast<uint64_t>(s.videoFrames) * 1000000 / s.fps
                                                 : static_cast<uint64_t>(s.videoFrames) * interval);
    const uint64_t audioStart = s.startUs > s.audioLeadUs ? s.startUs - s.audioLeadUs : 0;
    const uint64_t duration = s.audioParams.FrameDurationUs();
    std::vector<Planned> all;
    size_t v = 0;
    for (uint64_t k = 0;; k++) {
        const uint64_t t = audioStart + k * duration;
        if (t >= videoEnd)
            break;
        while (v < video.size() && video[v].timeUs <= t)
            all.push_back(video[v++]);
        all.push_back({'A', t, 0});
    }
    while (v < video.size())
        all.push_back(video[v++]);
    return all;
}

void PutMarker(uint8_t* p, size_t room, uint8_t channel, uint32_t number, uint64_t timeUs) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "MK c=%03u n=%07u t=%" PRIu64 ";",
                                static_cast<unsigned>(channel), static_cast<unsigned>(number), timeUs);
    if (n > 0)
        std::memcpy(p, text, std::min(room, static_cast<size_t>(n)));
}

void FillPayload(const StreamSpec& s, const FrameRecord& f, uint32_t videoIndex, Rng& rng, uint8_t* p) {
    const size_t size = f.size;
    if (f.type != 'A' && s.accessUnits && !s.accessUnits->empty()) {
        const AccessUnit& au = (*s.accessUnits)[videoIndex % s.accessUnits->size()];
        std::memcpy(p, au.bytes.data(), std::min(size, au.bytes.size()));
        return;
    }
    for (size_t i = 0; i < size; i++)
        p[i] = rng.PayloadByte();

    size_t markerAt = 0;
    if (f.type == 'A') {
        const size_t block = s.audioParams.block;
        if (block >= 4) {
            const uint16_t half = static_cast<uint16_t>((block - 4) / 2);
            for (size_t at = 0; at + 4 <= size; at += block) {
                p[at + 0] = 0x00;
                p[at + 1] = 0x01;
                p[at + 2] = static_cast<uint8_t>(half);
                p[at + 3] = static_cast<uint8_t>(half >> 8);
                if (block == 4)
                    break;
            }
            markerAt = 4;
        }
    } else {
        const uint8_t nal[5] = {0, 0, 0, 1, static_cast<uint8_t>(f.type == 'I' ? 0x65 : 0x41)};
        std::memcpy(p, nal, std::min(size, sizeof nal));
        markerAt = sizeof nal;
    }
    if (size > markerAt)
        PutMarker(p + markerAt, size - markerAt, s.channel, f.number, f.timeUs);
}

}  // namespace

Stream BuildStream(const StreamSpec& s) {
    Stream out;
    const std::vector<Planned> plan = PlanFrames(s);
    out.frames.reserve(plan.size());

    // Sizes first, so the buffer is allocated once.
    uint64_t total = 0;
    for (uint32_t n = 0; n < plan.size(); n++) {
        const Planned& pl = plan[n];
        Rng rng(MixSeed({s.seed, s.channel, n}));
        FrameRecord f;
        f.number = n;
        f.type = pl.type;
        f.timeUs = pl.timeUs;
        f.extUnits = s.extUnits;
        if (pl.type == 'A') {
            f.size = static_cast<uint32_t>(s.audioParams.block) *
                     std::max<uint16_t>(s.audioParams.blocksPerFrame, 1);
        } else if (s.accessUnits && !s.accessUnits->empty()) {
            f.size =
                static_cast<uint32_t>((*s.accessUnits)[pl.videoIndex % s.accessUnits->size()].bytes.size());
        } else if (pl.type == 'I') {
            f.size = rng.Range(s.iMin, s.iMax);
        } else {
            f.size = rng.Range(s.pMin, s.pMax);
        }
        for (const SizeOverride& o : s.sizes)
            if (o.frame == n)
                f.size = o.payload;
        if (s.junkEvery && n > 0 && n % s.junkEvery == 0)
            f.junkBefore = s.junkLength;
        f.space = media::frame_space(f.size, f.extUnits);
        total += f.junkBefore;
        f.offset = total;
        total += f.space;
        out.frames.push_back(f);
    }

    out.bytes.assign(total, 0);
    for (uint32_t n = 0; n < plan.size(); n++) {
        const FrameRecord& f = out.frames[n];
        Rng rng(MixSeed({s.seed, s.channel, n, 0x7061796c6f6164ULL}));
        uint8_t* at = out.bytes.data() + f.offset;
        for (uint32_t j = 0; j < f.junkBefore; j++)
            *(at - f.junkBefore + j) = rng.PayloadByte();

        media::frame_header h;
        h.magic = media::kMagicFrame;
        h.type = static_cast<uint8_t>(f.type);
        h.channel = s.channel;
        h.ext_units = f.extUnits;
        h.size = f.size;
        h.time_us = f.timeUs;
        if (f.type == 'A') {
            h.codec = s.audioParams.codec;
            h.audio_rate = s.audioParams.rate;
            h.audio_channels = s.audioParams.channels;
            h.audio_bits2 = static_cast<uint8_t>(s.audioParams.bits * 2);
            h.audio_block = s.audioParams.block;
        } else {
            h.codec = s.videoCodec;
            h.width = s.width;
            h.height = s.height;
            h.fps = s.fps;
        }
        media::encode_frame_header(h, at);

        FillPayload(s, f, plan[n].videoIndex, rng, at + media::kFrameHeaderSize);
        // Padding stays zero; the extension follows it.
        uint8_t* ext = at + (f.space - static_cast<uint64_t>(f.extUnits) * 8);
        for (uint32_t j = 0; j < f.extUnits * 8u; j++)
            ext[j] = static_cast<uint8_t>(0xE0 | (j & 0x0F));
    }
    return out;
}

bool ParseMarker(const uint8_t* payload, size_t size, Marker* out) {
    static const char kTag[] = "MK c=";
    const size_t tagLength = sizeof kTag - 1;
    const size_t limit = std::min<size_t>(size, 16);
    for (size_t at = 0; at + tagLength <= limit; at++) {
        if (std::memcmp(payload + at, kTag, tagLength) != 0)
            continue;
        char text[64] = {};
        std::memcpy(text, payload + at, std::min(size - at, sizeof text - 1));
        unsigned channel = 0, number = 0;
        unsigned long long time = 0;
        if (std::sscanf(text, "MK c=%u n=%u t=%llu;", &channel, &number, &time) != 3)
            return false;
        if (!std::strchr(text, ';'))
            return false;
        out->channel = channel;
        out->number = number;
        out->timeUs = time;
        return true;
    }
    return false;
}

// ---- manifests --------------------------------------------------------------------

void WriteStreamManifestText(std::ostream& out, const std::vector<FrameRecord>& frames) {
    out << "# number offset type size time_us space ext junk_before\n";
    char line[160];
    for (const FrameRecord& f : frames) {
        std::snprintf(line, sizeof line, "%u %" PRIu64 " %c %u %" PRIu64 " %" PRIu64 " %u %u\n", f.number,
                      f.offset, f.type, f.size, f.timeUs, f.space, static_cast<unsigned>(f.extUnits),
                      f.junkBefore);
        out << line;
    }
}

void WriteStreamManifestJson(std::ostream& out, const std::vector<FrameRecord>& frames) {
    out << "{\"frames\":[";
    char line[200];
    for (size_t i = 0; i < frames.size(); i++) {
        const FrameRecord& f = frames[i];
        std::snprintf(line, sizeof line,
                      "%s\n{\"number\":%u,\"offset\":%" PRIu64
                      ",\"type\":\"%c\",\"size\":%u,\"time_us\":%" PRIu64 ",\"space\":%" PRIu64
                      ",\"ext\":%u,\"junk_before\":%u}",
                      i ? "," : "", f.number, f.offset, f.type, f.size, f.timeUs, f.space,
                      static_cast<unsigned>(f.extUnits), f.junkBefore);
        out << line;
    }
    out << "\n]}\n";
}

}  // namespace vektools
