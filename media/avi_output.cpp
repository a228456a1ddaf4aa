// media/avi_output.cpp
#include "media/avi_output.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <new>

#include "media/frame_header.h"
#include "platform/le_bytes.h"

using media::FrameTimeUs;
using media::kFrameHeaderSize;
using platform::FourCC;
using platform::PutU16;
using platform::PutU32;
using platform::PutU64;

namespace {

std::atomic<int> g_aviError{kAviErrNone};

int Fail(int error) {
    g_aviError.store(error, std::memory_order_relaxed);
    return -1;
}

constexpr uint32_t kTagVideoKey = FourCC("00db");
constexpr uint32_t kTagVideo = FourCC("00dc");
constexpr uint32_t kTagAudio = FourCC("01wb");
constexpr uint32_t kHeaderVideoOnly = 212;
constexpr uint32_t kHeaderWithAudio = 320;
constexpr uint32_t kAudioTrailer = 48;

void PutTag(uint8_t* p, const char (&tag)[5]) {
    PutU32(p, FourCC(tag));
}

// Little-endian words of the chunks and their index entries, written millions
// of times: one store each on a little-endian host.
inline void StoreLe32(uint8_t* p, uint32_t v) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(p, &v, sizeof v);
    else
        PutU32(p, v);
}
inline void StoreLe64(uint8_t* p, uint64_t v) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(p, &v, sizeof v);
    else
        PutU64(p, v);
}

// The trailer is the frame's header; its time needs its first 24 bytes.
uint64_t FrameTime(const uint8_t* trailer, uint32_t trailerLength) {
    return trailerLength >= 24 ? FrameTimeUs(trailer) : 0;
}

// Whole seconds from the first chunk to the last.
uint32_t SpanSeconds(const AviTally& t) {
    const auto first = static_cast<int64_t>(t.firstTimeUs / 1000000);
    const auto last = static_cast<int64_t>(t.lastTimeUs / 1000000);
    return static_cast<uint32_t>(static_cast<uint64_t>(last - first));
}

uint32_t MicrosPerFrame(double frameRate) {
    if (!(frameRate >= 0.001))
        return 0;
    const double us = 1000000.0 / frameRate + 0.5;
    return us >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(us);
}

// The 2048-byte header area as it stands: `fileEnd` is where the file ends,
// `moviEnd` where the movi list ends (the idx1 chunk, or the next chunk).
void BuildHeaderArea(const AviOutput& a,
                     bool withAudio,
                     uint64_t fileEnd,
                     uint32_t moviEnd,
                     bool indexed,
                     uint8_t* out) {
    std::memset(out, 0, kAviHeaderArea);
    const AviTally& t = a.tally;
    // A file holding audio chunks describes their stream, whatever the header
    // of the first audio frame said about its channels.
    const bool audioList = withAudio || t.audioBytes > 0;
    const uint32_t h = audioList ? kHeaderWithAudio : kHeaderVideoOnly;
    const uint32_t usPerFrame = MicrosPerFrame(a.frameRate);
    uint8_t fourcc[4];
    std::memcpy(fourcc, a.compressor, 4);
    const uint32_t compressor = platform::GetU32(fourcc);

    PutTag(out + 0, "RIFF");
    PutU32(out + 4, static_cast<uint32_t>(fileEnd - 8));
    PutTag(out + 8, "AVI ");
    PutTag(out + 12, "LIST");
    PutU32(out + 16, h - 20);
    PutTag(out + 20, "hdrl");

    uint8_t* p = out + 24;  // avih
    PutTag(p, "avih");
    PutU32(p + 4, 56);
    PutU32(p + 8, usPerFrame);
    PutU32(p + 12, 10000000);
    PutU32(p + 16, 0);
    PutU32(p + 20, kAviFlags | (indexed ? kAviFlagHasIndex : 0));
    PutU32(p + 24, t.videoFrames);
    PutU32(p + 28, 0);
    PutU32(p + 32, t.audioBytes > 0 ? 2 : 1);
    PutU32(p + 36, 0);
    PutU32(p + 40, static_cast<uint32_t>(a.width));
    PutU32(p + 44, static_cast<uint32_t>(a.height));

    p = out + 88;  // video stream list
    PutTag(p, "LIST");
    PutU32(p + 4, 116);
    PutTag(p + 8, "strl");
    PutTag(p + 12, "strh");
    PutU32(p + 16, 56);
    uint8_t* s = p + 20;
    PutTag(s, "vids");
    PutU32(s + 4, compressor);
    PutU32(s + 8, 1);
    PutU32(s + 20, usPerFrame);
    PutU32(s + 24, 1000000);
    PutU32(s + 32, t.videoFrames);
    PutU32(s + 40, 0);
    PutU32(s + 44, 0xFFFFFFFFu);
    PutTag(p + 76, "strf");
    PutU32(p + 80, 40);
    uint8_t* b = p + 84;
    PutU32(b, 40);
    PutU32(b + 4, static_cast<uint32_t>(a.width));
    PutU32(b + 8, static_cast<uint32_t>(a.height));
    PutU16(b + 12, 1);
    PutU16(b + 14, static_cast<uint16_t>(a.bitCount));
    PutU32(b + 16, compressor);
    const uint64_t image =
        static_cast<uint64_t>(static_cast<uint32_t>(a.width)) * static_cast<uint32_t>(a.height) * 4;
    PutU32(b + 20, static_cast<uint32_t>(image));

    if (audioList) {
        p = out + kHeaderVideoOnly;
        PutTag(p, "LIST");
        PutU32(p + 4, 100);
        PutTag(p + 8, "strl");
        PutTag(p + 12, "strh");
        PutU32(p + 16, 64);
        s = p + 20;
        const uint64_t bytesPerSecond64 = a.bitRate / 8;
        const uint32_t bytesPerSecond =
            bytesPerSecond64 > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytesPerSecond64);
        PutTag(s, "auds");
        PutU32(s + 20, a.blockAlign);
        PutU32(s + 24, bytesPerSecond);
        PutU32(s + 32, a.blockAlign ? t.audioBytes / a.blockAlign : 0);
        PutU32(s + 40, 0xFFFFFFFFu);
        PutU32(s + 44, a.blockAlign);
        PutTag(p + 84, "strf");
        PutU32(p + 88, 16);
        uint8_t* w = p + 92;
        PutU16(w, static_cast<uint16_t>(a.audioFormat));
        PutU16(w + 2, static_cast<uint16_t>(a.channels));
        PutU32(w + 4, a.sampleRate);
        PutU32(w + 8, bytesPerSecond);
        PutU16(w + 12, static_cast<uint16_t>(a.blockAlign));
        PutU16(w + 14, static_cast<uint16_t>(a.bits));
    }

    p = out + h;
    PutTag(p, "JUNK");
    PutU32(p + 4, kAviMoviList - 8 - h);
    PutU32(p + 8, 0);
    PutU32(p + 12, SpanSeconds(t));

    PutTag(out + kAviMoviList, "LIST");
    PutU32(out + kAviMoviList + 4, moviEnd - kAviMoviData);
    PutTag(out + kAviMoviData, "movi");
}

// A write failed: the file goes back to the last chunk that reached it. The
// chunks not written leave the index and the tally, and the next write
// overwrites whatever part of them reached the file.
void LoseUnwritten(AviOutput* a) {
    a->tally = a->flushed;
    a->index.truncate(a->tally.indexEntries);
    a->frameTimes.truncate(a->tally.videoFrames);
    a->pendingBytes = 0;
    a->file.Seek(a->tally.position);
    a->dataLost = true;
    Fail(kAviErrChunk);
}

// Where the pending bytes start in the buffer.
uint8_t* Pending(AviOutput* a) {
    return a->pendingPage + a->flushed.position % kAviPage;
}

// Brings the file up to the chunks gathered so far.
bool Flush(AviOutput* a) {
    if (a->pendingBytes == 0)
        return true;
    if (!a->file.Write(Pending(a), a->pendingBytes)) {
        LoseUnwritten(a);
        return false;
    }
    a->pendingBytes = 0;
    a->flushed = a->tally;
    return true;
}

// The chunk's parts one after the other at `out`.
void PutChunk(uint8_t* out,
              uint32_t tag,
              const uint8_t* payload,
              uint32_t length,
              const uint8_t* trailer,
              uint32_t trailerLength,
              uint32_t pad) {
    StoreLe32(out, tag);
    StoreLe32(out + 4, length);
    out += 8;
    if (length > 0)
        std::memcpy(out, payload, length);
    out += length;
    // The usual trailers, copied as fixed-size blocks.
    if (trailerLength == kFrameHeaderSize)
        std::memcpy(out, trailer, kFrameHeaderSize);
    else if (trailerLength == kAudioTrailer)
        std::memcpy(out, trailer, kAudioTrailer);
    else if (trailerLength > 0)
        std::memcpy(out, trailer, trailerLength);
    if (pad)
        out[trailerLength] = 0;
}

// Makes sure the chunks start behind the header area.
void ReserveHeaderArea(AviOutput* a) {
    if (a->tally.position < kAviHeaderArea) {
        a->tally.position = kAviHeaderArea;
        a->flushed = a->tally;
    }
}

// Writes the header area as it stands before more chunks follow; the file ends
// at the position.
int WriteHeaderNow(AviOutput* a, bool withAudio) {
    Flush(a);
    ReserveHeaderArea(a);
    const uint32_t end = a->tally.position;
    uint8_t area[kAviHeaderArea];
    BuildHeaderArea(*a, withAudio, end, end, false, area);
    int rc = 0;
    if (!a->file.Seek(0) || !a->file.Write(area, sizeof area) || !a->file.SetLength(end))
        rc = Fail(kAviErrHeader);
    if (!a->file.Seek(end))
        rc = Fail(kAviErrHeader);
    return rc;
}

// Appends one chunk: tag, payload length, payload, trailer, pad byte.
int AddChunk(AviOutput* a,
             uint32_t tag,
             uint32_t flags,
             const uint8_t* payload,
             uint32_t length,
             const uint8_t* trailer,
             uint32_t trailerLength,
             bool video,
             uint64_t frameTime) {
    const uint32_t pad = (length + trailerLength) & 1u;
    const uint64_t chunk = 8ull + length + trailerLength + pad;
    // The file as it would end at close with this chunk: chunks, idx1, frame times.
    const uint64_t end = a->tally.position + chunk + 8 + 16ull * (a->index.size() + 1) + 8 +
                         8ull * (a->tally.videoFrames + (video ? 1 : 0));
    if (end > a->fileLimit || end > 0xFFFFFFFFu)
        return Fail(kAviErrTooLarge);
    if (a->pendingBytes > 0 && a->pendingBytes + chunk > kAviWriteRun && !Flush(a))
        return -1;
    if (!a->pendingSpace) {
        a->pendingSpace.reset(new (std::nothrow) uint8_t[kAviWriteBuffer + 2 * kAviPage]);
        if (!a->pendingSpace)
            return Fail(kAviErrMemory);
        const auto at = reinterpret_cast<uintptr_t>(a->pendingSpace.get());
        a->pendingPage = a->pendingSpace.get() + (kAviPage - at % kAviPage) % kAviPage;
    }
    try {
        // Index entries and frame times go to block lists: long files have
        // millions of chunks. The frame time is added here, so that nothing can
        // fail once the chunk is in.
        uint8_t* entry = a->index.Append().data();
        StoreLe32(entry, tag);
        StoreLe32(entry + 4, flags);
        StoreLe32(entry + 8, a->tally.position);
        StoreLe32(entry + 12, length);
        if (video)
            StoreLe64(a->frameTimes.Append().data(), frameTime);
    } catch (const std::bad_alloc&) {
        a->index.truncate(a->tally.indexEntries);
        a->frameTimes.truncate(a->tally.videoFrames);
        return Fail(kAviErrMemory);
    }
    a->tally.indexEntries = static_cast<uint32_t>(a->index.size());
    if (chunk <= kAviWriteBuffer) {
        PutChunk(Pending(a) + a->pendingBytes, tag, payload, length, trailer, trailerLength, pad);
        a->pendingBytes += static_cast<size_t>(chunk);
        a->tally.position += static_cast<uint32_t>(chunk);
        return 0;
    }
    // Larger than the buffer (nothing was pending, or it was written above):
    // straight to the file.
    uint8_t head[8];
    PutU32(head, tag);
    PutU32(head + 4, length);
    const uint8_t zero = 0;
    if (!a->file.Write(head, sizeof head) || !a->file.Write(payload, length) ||
        !a->file.Write(trailer, trailerLength) || (pad && !a->file.Write(&zero, 1))) {
        LoseUnwritten(a);
        return -1;
    }
    a->tally.position += static_cast<uint32_t>(chunk);
    return 0;
}

// The chunk just added (and written, when it went straight to the file) has
// its time noted; called before the tally counts it.
void NoteChunkTime(AviOutput* a, uint64_t timeUs) {
    if (a->tally.videoFrames == 0 && a->tally.audioBytes == 0)
        a->tally.firstTimeUs = timeUs;
    a->tally.lastTimeUs = timeUs;
}

// A chunk that went straight to the file is in it with its tally.
void NoteWritten(AviOutput* a) {
    if (a->pendingBytes == 0)
        a->flushed = a->tally;
}

// A list chunk of encoded records at the position: tag, size, the records.
template <typename Record>
bool WriteRecords(AviOutput* a, const char (&tag)[5], const media::BlockList<Record>& records) {
    static_assert(sizeof(Record[2]) == 2 * sizeof(Record), "records lie back to back");
    uint8_t head[8];
    PutTag(head, tag);
    PutU32(head + 4, static_cast<uint32_t>(records.size() * sizeof(Record)));
    return a->file.Write(head, sizeof head) && records.ForEachRun([a](const Record* run, size_t count) {
        return a->file.Write(reinterpret_cast<const uint8_t*>(run), count * sizeof(Record));
    });
}

// idx1, then the JUNK with the frame times.
bool WriteIndex(AviOutput* a) {
    return WriteRecords(a, "idx1", a->index);
}

bool WriteFrameTimes(AviOutput* a) {
    return WriteRecords(a, "JUNK", a->frameTimes);
}

// Index, frame times and the final header; the file ends after the frame times.
int WriteFinalHeader(AviOutput* a) {
    Flush(a);
    ReserveHeaderArea(a);
    const uint32_t moviEnd = a->tally.position;
    uint64_t end = moviEnd;
    bool indexed = false;
    bool timed = false;
    if (!a->file.Seek(moviEnd) || !WriteIndex(a)) {
        Fail(kAviErrIndex);
    } else {
        indexed = true;
        end += 8 + 16ull * a->index.size();
        timed = WriteFrameTimes(a);
        if (timed)
            end += 8 + 8ull * a->frameTimes.size();
        else
            Fail(kAviErrIndex);
    }
    uint8_t area[kAviHeaderArea];
    BuildHeaderArea(*a, false, end, moviEnd, indexed, area);
    int rc = 0;
    if (!a->file.Seek(0) || !a->file.Write(area, sizeof area) || !a->file.SetLength(end))
        rc = Fail(kAviErrHeader);
    if (!indexed || !timed)
        rc = -1;
    return rc;
}

}  // namespace

AviOutput* AviOpenOutput(const char* path) {
    AviOutput* a = new (std::nothrow) AviOutput;
    if (!a) {
        Fail(kAviErrMemory);
        return nullptr;
    }
    if (!a->file.Open(path, media::BinaryFile::Mode::OpenAlways)) {
        delete a;
        Fail(kAviErrCreate);
        return nullptr;
    }
    return a;
}

void AviSetVideo(AviOutput* a,
                 int width,
                 int height,
                 double frameRate,
                 const char* compressor,
                 int bitCount) {
    if (!a || a->mode != 0)
        return;
    a->width = width;
    a->height = height;
    a->frameRate = frameRate;
    std::memset(a->compressor, 0, sizeof a->compressor);
    if (compressor)
        for (int i = 0; i < 4 && compressor[i]; i++)
            a->compressor[i] = compressor[i];
    a->bitCount = bitCount;
}

void AviSetAudio(AviOutput* a,
                 int channels,
                 uint32_t sampleRate,
                 int bits,
                 int blockAlign,
                 uint64_t bitRate,
                 int format) {
    if (!a || a->mode != 0)
        return;
    a->channels = static_cast<uint32_t>(channels);
    a->sampleRate = sampleRate;
    a->bits = static_cast<uint32_t>(bits);
    a->blockAlign = static_cast<uint32_t>(blockAlign);
    a->bitRate = bitRate;
    a->audioFormat = static_cast<uint32_t>(format);
}

int AviWriteFrame(AviOutput* a,
                  const uint8_t* payload,
                  uint32_t length,
                  bool keyframe,
                  const uint8_t* trailer,
                  uint32_t trailerLength) {
    if (!a || a->mode != 0)
        return Fail(kAviErrNotWritable);
    if (a->tally.videoFrames < 2)
        WriteHeaderNow(a, false);
    const uint32_t offset = a->tally.position;
    const uint64_t time = FrameTime(trailer, trailerLength);
    if (AddChunk(a, keyframe ? kTagVideoKey : kTagVideo, keyframe ? kAviIndexKeyFrame : 0, payload, length,
                 trailer, trailerLength, /*video=*/true, time) != 0)
        return -1;
    NoteChunkTime(a, time);
    a->tally.videoFrames++;
    a->tally.lastVideoOffset = offset;
    a->tally.lastVideoLength = length;
    NoteWritten(a);
    return 0;
}

int AviWriteAudio(AviOutput* a,
                  const uint8_t* payload,
                  uint32_t length,
                  const uint8_t* trailer,
                  uint32_t trailerLength) {
    if (!a || a->mode != 0)
        return Fail(kAviErrNotWritable);
    if (a->tally.audioBytes == 0)
        WriteHeaderNow(a, true);
    if (AddChunk(a, kTagAudio, 0, payload, length, trailer, trailerLength, /*video=*/false, 0) != 0)
        return -1;
    NoteChunkTime(a, FrameTime(trailer, trailerLength));
    a->tally.audioBytes += length;
    NoteWritten(a);
    return 0;
}

int AviClose(AviOutput* a) {
    if (!a)
        return -1;
    int rc = 0;
    if (a->mode == 0) {
        rc = WriteFinalHeader(a);
        if (a->dataLost)
            rc = -1;
    }
    if (!a->file.Close())
        rc = Fail(kAviErrHeader);
    delete a;
    return rc;
}

int AviGetLastError() {
    return g_aviError.load(std::memory_order_relaxed);
}
void AviClearLastError() {
    g_aviError.store(kAviErrNone, std::memory_order_relaxed);
}

uint32_t AviAudioFormatTag(uint8_t codec) {
    static const uint32_t kTags[11] = {1, 6, 7, 0x61, 0x64, 0x64, 0x64, 0x64, 0, 0, 0};
    return codec < 11 ? kTags[codec] : 6;
}
