// vekplay/media_decoder.h
//
// Decoding through FFmpeg's libavcodec: H.264 video to 24-bit pictures (the
// layout of Picture), and the recorder's audio blocks to 16-bit samples.
//
// Video: one decoder per instance, single-threaded and without output delay,
// so the picture that comes out belongs to the frame that went in. A frame the
// decoder refuses or flags as damaged gives kError; a frame it takes without a
// picture (for example before the first key frame) gives kNoPicture. It keeps the
// last picture that came out as it came (no copy); it is converted to 24 bits
// only when asked for, so pictures that are never drawn cost no conversion.
//
// Audio: an audio frame's payload is a run of blocks of the size its header
// gives (u16 at +38), each a 4-byte prefix and the coded data. The codec byte
// picks the decoder: 0 16-bit PCM, 1 A-law, 2 mu-law, 3 IMA ADPCM, 4..7 G.726
// at 2..5 bits per sample; other codecs are not decoded.
#pragma once

#include <cstdint>
#include <vector>

#include "vekplay/frame.h"
#include "vekplay/picture.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace vekplay {

// Quietens libavcodec's own logging (once per process).
void InitMediaLibraries();

enum class DecodeResult { kPicture, kNoPicture, kError };

// Larger pictures (8K and beyond) are not converted: their frames count as damaged.
inline constexpr int kMaxPictureWidth = 7680;
inline constexpr int kMaxPictureHeight = 4320;

class VideoDecoder {
  public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Decodes a video frame. With `out`, a picture that came out is converted
    // into it (out->time is the frame's time).
    DecodeResult Decode(const Frame& frame, Picture* out);
    // Converts the picture of the last frame that decoded to kPicture into
    // `out` (out->time is that frame's time). False when there is none since
    // the last Reset, or the conversion failed.
    bool ConvertLast(Picture* out);
    // Drops every reference picture: the next picture comes from a key frame.
    void Reset();

  private:
    bool Open();
    bool Convert(const AVFrame* frame, Picture* out);

    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* last_ = nullptr;  // the last good picture, held as decoded
    uint64_t lastTime_ = 0;
    SwsContext* scaler_ = nullptr;
    std::vector<uint8_t> input_;  // payload with the zero padding the decoder reads past
    int64_t serial_ = 0;
};

struct AudioSamples {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
};

class AudioDecoder {
  public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Decodes the blocks of an audio frame, appending to out->samples. False when
    // the codec is not supported or nothing decoded.
    bool Decode(const Frame& frame, AudioSamples* out);

  private:
    bool Prepare(int codec, int rate, int channels, int blockData);
    bool DecodeBlock(const uint8_t* data, size_t size, AudioSamples* out);
    void Close();

    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int codec_ = -1, rate_ = 0, channels_ = 0, blockData_ = 0;
    std::vector<uint8_t> input_;
};

}  // namespace vekplay
