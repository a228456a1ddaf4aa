// tools/mkdvrfs/dvrfs_image.h
//
// Writes a disk in the third on-disk format (dvrfs) as the recorder lays it
// out (the layout itself: vkfs/dvrfs/layout.h), from a list of recordings:
//   sectors 0..P-1   zeros (P: the partition offset, where the format magic is)
//   P + 0            the format block
//   P + 8, P + 9     the stat block and the data info header
//   P + 16 ...       the month index of every channel, 7 sectors each
//   then             the data bitmap, the day_channel chains, and one
//                    per-second index (1,350 sectors) per channel and day
//   data base ...    64 MiB data blocks holding each recording as a real
//                    "VkFm" frame stream (tools/framestream.h), every key frame
//                    at the start of a sector, the recording padded to a whole
//                    sector; a channel's recordings follow each other through
//                    its blocks, which are chained in the bitmap
// and reports what it wrote (DvrfsImage) for tests to compare with.
//
// Damage the reader must survive is asked for in DvrfsDamage; each switch
// names the recording whose structure it breaks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "tools/framestream.h"
#include "tools/image_sink.h"

namespace vektools {

inline constexpr uint32_t kDvrfsAppend = 0xFFFFFFFFu;

struct DvrfsRecording {
    int channel = 0;
    int year = 24, month = 5, day = 6;  // year counted from 2000
    uint32_t start = 10 * 3600;         // second of the day
    uint32_t seconds = 10;              // video for this long (fps x seconds frames)
    uint32_t types = 1;                 // record-type bits 0..29
    uint8_t classByte = 0;              // 1: class 1
    uint8_t skip = 0;                   // 1: every find passes it over
    uint8_t split = 0;
    uint32_t word12 = 0;
    uint16_t word16 = 0;
    uint32_t seed = 1;  // of its frame stream
    // Where its data starts: kDvrfsAppend behind the channel's previous
    // recording, else this many sectors into a new block of the channel.
    uint32_t blockOffset = kDvrfsAppend;
};

// -1: not asked for. Recording numbers index DvrfsRecipe::recordings.
struct DvrfsDamage {
    int monthCountChannel = -1;  // that channel's month index count word becomes monthCount
    uint32_t monthCount = 0;
    int dayCountRecording = -1;  // the count word of the link holding it becomes dayCount
    uint16_t dayCount = 0;
    int brokenBackLink = -1;  // the link holding it names a wrong previous link
    int freeLink = -1;        // the link holding it is marked free
    int bitmapOwner = -1;     // the block it starts in is owned by ownerChannel
    uint8_t ownerChannel = 0;
    int lastBeforePosition = -1;  // its last data sector lies before its first
    int zeroGeometryWord = -1;    // geometry word 0..12 written as 0
    int noSecondIndex = -1;       // its day has no per-second index
};

struct DvrfsRecipe {
    uint32_t partitionOffset = 0;  // sector holding the format magic
    uint32_t group = 0;            // the format block's disk group word
    uint32_t blockSize = 0x04000000;
    uint32_t dataAlign = 0x10000;
    uint32_t indexChannels = 16;   // channels with a month index
    uint32_t entriesPerLink = 11;  // record entries per day_channel sector (1..11)
    // Data blocks handed out in order; empty: 0, 1, 2, ...
    std::vector<uint32_t> blockPlan;
    uint32_t dataBase = 0;   // 0: the first 1 MiB boundary after the index areas
    uint64_t diskBytes = 0;  // 0: just large enough
    StreamSpec stream;       // every recording's frames; seed, channel and frame count set per recording
    std::vector<DvrfsRecording> recordings;
    DvrfsDamage damage;
};

// What one recording became on the disk.
struct DvrfsRecordingFacts {
    int channel = 0;
    int32_t start[6] = {};
    int32_t end[6] = {};
    uint32_t types = 0;        // its entry's record-type bits
    uint32_t firstSector = 0;  // partition-relative, as the index names them
    uint32_t lastSector = 0;
    uint32_t sectors = 0;
    std::vector<uint32_t> blocks;              // in chain order
    std::vector<uint8_t> bytes;                // its data sectors in reading order
    std::vector<std::vector<uint8_t>> frames;  // header and payload of every frame, in order
    uint32_t link = 0;                         // the day_channel sector holding its entry
    uint32_t entryIndex = 0;
};

struct DvrfsImage {
    uint64_t diskBytes = 0;
    uint32_t partitionOffset = 0;
    uint32_t dataBase = 0;
    uint32_t bitmapBase = 0;
    std::vector<DvrfsRecordingFacts> recordings;
};

// False with a message when the recipe cannot be laid out or a write fails.
bool BuildDvrfsImage(const DvrfsRecipe& recipe, ImageSink& sink, DvrfsImage* facts, std::string* error);
bool BuildDvrfsInMemory(const DvrfsRecipe& recipe,
                        std::shared_ptr<platform::MemDisk>* disk,
                        DvrfsImage* facts,
                        std::string* error);

// The demo disk: channels 0 to 3 over two days of May 2024 and one of June,
// a day of channel 0 long enough for a chain of several links, and a recording
// of channel 1 running from one block into the next.
DvrfsRecipe BasicDvrfsRecipe();

}  // namespace vektools
