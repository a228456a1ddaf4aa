// media/avi_file_writer.cpp
#include "media/avi_file_writer.h"

#include <cstring>

using media::frame_header;
using media::kFrameHeaderSize;

namespace {

// Bits per sample of an audio stream. The frame header gives them (twice over,
// at +37) for codec 1; for the other codecs they follow from the format, with
// the header's value for plain PCM and for formats of no known width.
uint32_t AudioBits(uint8_t codec, uint32_t formatTag, uint8_t twiceBits) {
    const uint32_t given = twiceBits / 2u;
    if (codec == 1)
        return given;
    switch (formatTag) {
        case 6:  // A-law
        case 7:  // mu-law
            return 8;
        case 0x61:
        case 0x64:  // ADPCM
            return 4;
        case 1:
            return given ? given : 16;
        default:
            return given;
    }
}

}  // namespace

CVekAviFileWirte::CVekAviFileWirte() : cutter_(/*typed=*/false) {}

CVekAviFileWirte::~CVekAviFileWirte() {
    if (avi_)
        Close();
}

int CVekAviFileWirte::Open(const char* path) {
    if (avi_)
        Close();
    avi_ = AviOpenOutput(path);
    if (!avi_)
        return 0;
    failed_ = false;
    cutter_.WaitForKeyFrame();
    return 1;
}

void CVekAviFileWirte::Write(const unsigned char* data, unsigned len, unsigned scanStart) {
    if (!avi_)
        return;
    cutter_.Feed(data, len, scanStart,
                 [this](const uint8_t* frame, uint32_t size, bool) { WriteFrame(frame, size); });
}

void CVekAviFileWirte::WriteFrame(const uint8_t* frame, uint32_t size) {
    const uint8_t type = media::FrameTypeAt(frame);
    const uint32_t payload = size - kFrameHeaderSize;
    if (type == media::kFrameKey || type == media::kFrameVideo) {
        const bool key = type == media::kFrameKey;
        if (avi_->tally.videoFrames == 0 && key) {
            const frame_header h = media::decode_frame_header(frame);
            AviSetVideo(avi_, h.width, h.height, h.fps, "H264", 12);
        }
        if (AviWriteFrame(avi_, frame + kFrameHeaderSize, payload, key, frame, kFrameHeaderSize) != 0)
            failed_ = true;
    } else if (type == media::kFrameAudio) {
        WriteAudioFrame(frame, payload);
    }
}

void CVekAviFileWirte::WriteAudioFrame(const uint8_t* frame, uint32_t payload) {
    if (avi_->tally.videoFrames == 0)
        return;                                           // audio before the first video chunk is dropped
    const uint32_t block = platform::GetU16(frame + 38);  // one block with its 4-byte prefix
    if (block < kAviMinAudioBlock || block > payload)
        return;
    if (avi_->tally.audioBytes == 0) {
        const frame_header h = media::decode_frame_header(frame);
        const uint32_t format = AviAudioFormatTag(h.codec);
        const uint32_t channels = h.audio_channels;
        const uint32_t rate = h.audio_rate;
        const uint32_t bits = AudioBits(h.codec, format, h.audio_bits2);
        AviSetAudio(avi_, static_cast<int>(channels), rate, static_cast<int>(bits),
                    static_cast<int>(block - 4), static_cast<uint64_t>(bits) * rate * channels,
                    static_cast<int>(format));
    }
    // Trailer: the frame header with the block size as its length, the block's
    // 4-byte prefix, 4 zero bytes.
    uint8_t trailer[kAviAudioTrailer] = {};
    std::memcpy(trailer, frame, kFrameHeaderSize);
    media::PutFramePayloadSize(trailer, block);
    const uint8_t* data = frame + kFrameHeaderSize;
    const uint32_t count = payload / block;
    for (uint32_t k = 0; k < count; k++) {
        const uint8_t* b = data + static_cast<size_t>(k) * block;
        std::memcpy(trailer + kFrameHeaderSize, b, 4);
        if (AviWriteAudio(avi_, b + 4, block - 4, trailer, kAviAudioTrailer) != 0) {
            failed_ = true;
            break;
        }
    }
}

int CVekAviFileWirte::Close() {
    bool ok = true;
    if (avi_) {
        ok = AviClose(avi_) == 0 && !failed_;
        avi_ = nullptr;
    }
    cutter_.Reset();
    failed_ = false;
    return ok ? 1 : 0;
}
