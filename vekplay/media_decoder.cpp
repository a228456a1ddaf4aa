// vekplay/media_decoder.cpp
#include "vekplay/media_decoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "platform/le_bytes.h"

namespace vekplay {

void InitMediaLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// ---- video ----------------------------------------------------------------------------

VideoDecoder::VideoDecoder() {
    InitMediaLibraries();
}

VideoDecoder::~VideoDecoder() {
    avcodec_free_context(&context_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    av_frame_free(&last_);
    sws_freeContext(scaler_);
}

bool VideoDecoder::Open() {
    if (context_)
        return true;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (!codec)
        return false;
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    last_ = av_frame_alloc();
    if (!context_ || !packet_ || !frame_ || !last_)
        return false;
    // One thread: threads across frames would hold pictures back (one per
    // extra thread), and the picture shown must be the frame's; threads across
    // the slices of a picture made no stream faster here (704x576 in 4 slices).
    context_->thread_count = 1;
    context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (avcodec_open2(context_, codec, nullptr) < 0) {
        avcodec_free_context(&context_);
        return false;
    }
    return true;
}

void VideoDecoder::Reset() {
    if (context_)
        avcodec_flush_buffers(context_);
    if (last_)
        av_frame_unref(last_);
}

DecodeResult VideoDecoder::Decode(const Frame& frame, Picture* out) {
    if (!Open())
        return DecodeResult::kError;
    const uint32_t size = frame.payloadSize();
    if (size == 0)
        return DecodeResult::kError;
    input_.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    std::memcpy(input_.data(), frame.payload(), size);
    std::memset(input_.data() + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);

    av_packet_unref(packet_);
    packet_->data = input_.data();
    packet_->size = static_cast<int>(size);
    packet_->pts = ++serial_;
    if (frame.IsKey())
        packet_->flags |= AV_PKT_FLAG_KEY;
    int rc = avcodec_send_packet(context_, packet_);
    packet_->data = nullptr;
    packet_->size = 0;
    if (rc == AVERROR(EAGAIN)) {
        // Pictures were left inside: take them out and try once more.
        while (avcodec_receive_frame(context_, frame_) == 0)
            av_frame_unref(frame_);
        packet_->data = input_.data();
        packet_->size = static_cast<int>(size);
        rc = avcodec_send_packet(context_, packet_);
        packet_->data = nullptr;
        packet_->size = 0;
    }
    if (rc < 0)
        return DecodeResult::kError;

    bool got = false;
    bool damaged = false;
    while (avcodec_receive_frame(context_, frame_) == 0) {
        got = true;
        // A picture size from a hostile stream is not converted: the frame counts as damaged.
        damaged = frame_->decode_error_flags != 0 || (frame_->flags & AV_FRAME_FLAG_CORRUPT) != 0 ||
                  frame_->width <= 0 || frame_->height <= 0 || frame_->width > kMaxPictureWidth ||
                  frame_->height > kMaxPictureHeight;
        av_frame_unref(last_);
        if (!damaged) {
            av_frame_move_ref(last_, frame_);
            lastTime_ = frame.time();
        }
        av_frame_unref(frame_);
    }
    if (!got)
        return DecodeResult::kNoPicture;
    if (damaged)
        return DecodeResult::kError;
    if (out && !ConvertLast(out))
        return DecodeResult::kError;
    return DecodeResult::kPicture;
}

bool VideoDecoder::ConvertLast(Picture* out) {
    if (!last_ || !last_->data[0] || !Convert(last_, out))
        return false;
    out->time = lastTime_;
    out->card = false;
    return true;
}

bool VideoDecoder::Convert(const AVFrame* frame, Picture* out) {
    scaler_ = sws_getCachedContext(scaler_, frame->width, frame->height,
                                   static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                   AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler_)
        return false;
    if (out->width != frame->width || out->height != frame->height || out->pixels.empty())
        out->Allocate(frame->width, frame->height);
    uint8_t* planes[4] = {out->pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(out->stride), 0, 0, 0};
    return sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides) ==
           frame->height;
}

// ---- audio ----------------------------------------------------------------------------

AudioDecoder::AudioDecoder() {
    InitMediaLibraries();
}

AudioDecoder::~AudioDecoder() {
    Close();
}

void AudioDecoder::Close() {
    avcodec_free_context(&context_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    codec_ = -1;
}

bool AudioDecoder::Prepare(int codec, int rate, int channels, int blockData) {
    if (codec == codec_ && rate == rate_ && channels == channels_ && blockData == blockData_)
        return context_ != nullptr || codec == 0;
    Close();
    codec_ = codec;
    rate_ = rate;
    channels_ = channels;
    blockData_ = blockData;
    if (codec == 0)
        return true;  // PCM, converted here
    AVCodecID id = AV_CODEC_ID_NONE;
    int bits = 0;
    switch (codec) {
        case 1:
            id = AV_CODEC_ID_PCM_ALAW;
            break;
        case 2:
            id = AV_CODEC_ID_PCM_MULAW;
            break;
        case 3:
            id = AV_CODEC_ID_ADPCM_IMA_WAV;
            bits = 4;
            break;
        case 4:
        case 5:
        case 6:
        case 7:
            id = AV_CODEC_ID_ADPCM_G726;
            bits = codec - 2;
            break;
        default:
            return false;
    }
    const AVCodec* decoder = avcodec_find_decoder(id);
    if (!decoder)
        return false;
    context_ = avcodec_alloc_context3(decoder);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!context_ || !packet_ || !frame_) {
        Close();
        return false;
    }
    context_->sample_rate = rate;
    av_channel_layout_default(&context_->ch_layout, channels);
    context_->bits_per_coded_sample = bits;
    context_->block_align = blockData;
    if (avcodec_open2(context_, decoder, nullptr) < 0) {
        avcodec_free_context(&context_);
        return false;
    }
    return true;
}

bool AudioDecoder::DecodeBlock(const uint8_t* data, size_t size, AudioSamples* out) {
    input_.assign(data, data + size);
    input_.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    av_packet_unref(packet_);
    packet_->data = input_.data();
    packet_->size = static_cast<int>(size);
    const int rc = avcodec_send_packet(context_, packet_);
    packet_->data = nullptr;
    packet_->size = 0;
    if (rc < 0)
        return false;
    bool got = false;
    while (avcodec_receive_frame(context_, frame_) == 0) {
        const int ch = std::max(1, frame_->ch_layout.nb_channels);
        const int n = frame_->nb_samples;
        const auto fmt = static_cast<AVSampleFormat>(frame_->format);
        for (int i = 0; i < n; i++) {
            for (int c = 0; c < ch; c++) {
                float v = 0;
                switch (fmt) {
                    case AV_SAMPLE_FMT_S16:
                        v = reinterpret_cast<const int16_t*>(frame_->data[0])[i * ch + c];
                        break;
                    case AV_SAMPLE_FMT_S16P:
                        v = reinterpret_cast<const int16_t*>(frame_->extended_data[c])[i];
                        break;
                    case AV_SAMPLE_FMT_FLT:
                        v = reinterpret_cast<const float*>(frame_->data[0])[i * ch + c] * 32767.0f;
                        break;
                    case AV_SAMPLE_FMT_FLTP:
                        v = reinterpret_cast<const float*>(frame_->extended_data[c])[i] * 32767.0f;
                        break;
                    default:
                        break;
                }
                out->samples.push_back(static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)));
            }
        }
        got = got || n > 0;
        av_frame_unref(frame_);
    }
    return got;
}

bool AudioDecoder::Decode(const Frame& frame, AudioSamples* out) {
    const media::frame_header& h = frame.header;
    const int rate = h.audio_rate >= 1000 && h.audio_rate <= 192000 ? static_cast<int>(h.audio_rate) : 8000;
    const int channels = h.audio_channels == 2 ? 2 : 1;
    const uint32_t size = frame.payloadSize();
    // Blocks of the header's size; a size that cannot be one makes the whole
    // payload one block without a prefix.
    uint32_t block = h.audio_block;
    uint32_t prefix = 4;
    if (block <= prefix || block > size) {
        block = size;
        prefix = 0;
    }
    if (block == 0)
        return false;
    if (!Prepare(h.codec, rate, channels, static_cast<int>(block - prefix)))
        return false;
    out->rate = rate;
    out->channels = channels;
    bool any = false;
    for (uint32_t at = 0; at + block <= size; at += block) {
        const uint8_t* data = frame.payload() + at + prefix;
        const size_t length = block - prefix;
        if (codec_ == 0) {
            const bool eightBit = h.audio_bits2 == 16;  // twice 8 bits per sample
            if (eightBit) {
                for (size_t i = 0; i < length; i++)
                    out->samples.push_back(static_cast<int16_t>((data[i] - 128) * 256));
            } else {
                for (size_t i = 0; i + 1 < length; i += 2)
                    out->samples.push_back(static_cast<int16_t>(platform::GetU16(data + i)));
            }
            any = any || length > 0;
        } else {
            any = DecodeBlock(data, length, out) || any;
        }
    }
    return any;
}

}  // namespace vekplay
