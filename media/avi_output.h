// media/avi_output.h
//
// The small RIFF writer behind CVekAviFileWirte. One AviOutput per open file;
// the header lives in a fixed 2048-byte area at the start of the file, the
// chunks follow, and at close an "idx1" index and a "JUNK" chunk holding the
// time of every video frame are appended. Little endian:
//
//   0     "RIFF", u32 file length - 8, "AVI "
//   12    "LIST", u32 h - 20, "hdrl"            (h = 212, or 320 with audio)
//   24    "avih", 56: us per frame, 10,000,000, 0, flags 0x10020 (| 0x10 once
//         the index is written), video frames, 0, streams, 0, width, height, 4 x 0
//   88    "LIST", 116, "strl"; "strh" 56 ("vids"); "strf" 40 (bitmap header)
//   212   with audio: "LIST", 100, "strl"; "strh" 64 ("auds"); "strf" 16 (wave format)
//   h     "JUNK", 2028 - h: u32 0, u32 seconds from the first to the last chunk, zeros
//   2036  "LIST", u32 idx1 offset - 2044, "movi"
//   2048  chunks: tag, u32 payload length, payload, trailer (the recorder's
//         frame header: 40 bytes for video, 48 for audio), a zero byte when
//         payload + trailer is odd
//   then  "idx1": {tag, flags, absolute offset of the chunk tag, payload length}
//         per chunk; then "JUNK": u64 frame time (microseconds) per video chunk;
//         the file ends there
//
// Chunk lengths count the payload only, so readers find chunks through idx1.
//
// Chunks are gathered in a write-behind buffer and reach the file in writes of
// about 256 KB, small enough that the bytes are still in the processor's cache
// when the system copies them (a chunk larger than the 1 MB buffer goes to the
// file at once). When a write fails, the file goes
// back to the last chunk that reached it: the lost chunks leave the index, the error is kept, and the file is
// still finished (header, index, frame times) at close.
//
// Errors (AviGetLastError; one number per process, set by the failing call):
// 1 the file would pass 2,000,000,000 bytes, 2 the file cannot be created,
// 4 a chunk cannot be written, 5 the index cannot be written, 6 the header
// cannot be written, 7 the file is not open for writing, 8 out of memory.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "media/binary_file.h"
#include "media/block_list.h"

enum AviErrorNumber : int {
    kAviErrNone = 0,
    kAviErrTooLarge = 1,
    kAviErrCreate = 2,
    kAviErrChunk = 4,
    kAviErrIndex = 5,
    kAviErrHeader = 6,
    kAviErrNotWritable = 7,
    kAviErrMemory = 8,
};

inline constexpr uint32_t kAviHeaderArea = 2048;
inline constexpr uint32_t kAviMoviList = 2036;  // "LIST" of the movi list
inline constexpr uint32_t kAviMoviData = 2044;  // its "movi" word, where its size counts from
inline constexpr uint64_t kAviFileLimit = 2000000000;
inline constexpr uint32_t kAviIndexKeyFrame = 0x10;
inline constexpr uint32_t kAviFlags = 0x10020;
inline constexpr uint32_t kAviFlagHasIndex = 0x10;
inline constexpr size_t kAviWriteBuffer = 1 << 20;  // room for any chunk of a frame
inline constexpr size_t kAviWriteRun = 256 << 10;   // pending bytes are written in runs of about this
inline constexpr size_t kAviPage = 4096;

// One "idx1" entry as the file holds it: tag (four characters), flags, offset
// of the chunk tag from the start of the file, payload bytes; u32 each.
using AviIndexRecord = std::array<uint8_t, 16>;
// One video chunk's frame time (microseconds) as the file holds it: u64.
using AviTimeRecord = std::array<uint8_t, 8>;

// What the chunks written so far add up to.
struct AviTally {
    uint32_t position = 0;     // where the next chunk goes (2048 after the first header write)
    uint64_t firstTimeUs = 0;  // of the first chunk
    uint64_t lastTimeUs = 0;   // of the last chunk
    uint32_t videoFrames = 0;
    uint32_t audioBytes = 0;
    uint32_t lastVideoOffset = 0;
    uint32_t lastVideoLength = 0;
    uint32_t indexEntries = 0;
};

struct AviOutput {
    media::BinaryFile file;
    int32_t mode = 0;  // 0 writing; 1 would be reading, and makes every write fail

    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
    double frameRate = 0;
    char compressor[8] = {};  // four characters and a zero word

    uint32_t audioFormat = 0;  // wFormatTag
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bits = 0;
    uint32_t blockAlign = 0;  // one audio block without its 4-byte prefix
    uint64_t bitRate = 0;     // bits per second

    AviTally tally;
    // Kept encoded, so that the close writes them as they are.
    media::BlockList<AviIndexRecord> index;
    media::BlockList<AviTimeRecord> frameTimes;  // one per video chunk

    // Write-behind: chunk bytes from flushed.position on that are not in the
    // file yet, and the tally as it stood when the file last caught up. They
    // lie in the buffer as in the file's pages (from the page offset of
    // flushed.position on), so that the system copies them page-aligned: a
    // copy between different offsets within a page costs it several times
    // more. The buffer is made with the first chunk.
    std::unique_ptr<uint8_t[]> pendingSpace;
    uint8_t* pendingPage = nullptr;  // the first page boundary in pendingSpace
    size_t pendingBytes = 0;
    AviTally flushed;
    bool dataLost = false;  // a chunk that had been accepted never reached the file
    uint64_t fileLimit = kAviFileLimit;
};

// Opens (creates when missing; an existing file is overwritten and cut to
// length at close) a file for writing; NULL on failure (error 2, or 8).
AviOutput* AviOpenOutput(const char* path);
void AviSetVideo(AviOutput* avi,
                 int width,
                 int height,
                 double frameRate,
                 const char* compressor,
                 int bitCount);
void AviSetAudio(AviOutput* avi,
                 int channels,
                 uint32_t sampleRate,
                 int bits,
                 int blockAlign,
                 uint64_t bitRate,
                 int format);
// One video chunk ("00db" for a key frame, else "00dc"); the frame time is the
// u64 at +16 of the trailer. 0 or -1.
int AviWriteFrame(AviOutput* avi,
                  const uint8_t* payload,
                  uint32_t length,
                  bool keyframe,
                  const uint8_t* trailer,
                  uint32_t trailerLength);
// One audio chunk ("01wb"). 0 or -1.
int AviWriteAudio(AviOutput* avi,
                  const uint8_t* payload,
                  uint32_t length,
                  const uint8_t* trailer,
                  uint32_t trailerLength);
// Finishes the file (index, frame times, final header), closes it and frees
// `avi`. 0 when the file is complete; -1 when a final write failed or a chunk
// accepted earlier was lost.
int AviClose(AviOutput* avi);

int AviGetLastError();
void AviClearLastError();

// wFormatTag for the codec byte of an audio frame header.
uint32_t AviAudioFormatTag(uint8_t codec);
