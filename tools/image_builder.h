// tools/image_builder.h
//
// Writes a recorder disk image of format version 1 or 2 from an ImageSpec, as
// the recorder lays it out:
//   sector 0    an MBR partition table entry and 0x55AA, with the parameter
//               block at byte 256 (check word computed last)
//   partition   four index copies (identical unless damage is asked for), each
//               the partition record, the file table and one event block per
//               table entry
//   data file   the file entry copy at byte 0; each event's frames from its data
//               start upward; the key-frame index from the top of the file
//               downward, continuing across the file's events, with "Iend" in
//               the entry just below the last one written
// and reports the raw facts in a Manifest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "tools/h264_split.h"
#include "tools/image_manifest.h"
#include "tools/image_sink.h"
#include "tools/image_spec.h"

namespace vektools {

struct BuildOptions {
    // When set, the video of every streamed event is these access units (each
    // event starts again at the first); the picture size in the frame headers
    // is then h264Width x h264Height when non-zero.
    const std::vector<AccessUnit>* h264 = nullptr;
    uint16_t h264Width = 0;
    uint16_t h264Height = 0;
    bool recordFrames = true;  // list every frame in the manifest
};

// Where things go on the disk.
struct Geometry {
    uint32_t fileTableOffset = 0;
    uint32_t eventAreaOffset = 0;
    uint32_t copySize = 0;
    std::vector<uint64_t> partStart;
    uint64_t deviceSize = 0;
};

bool PlanGeometry(const ImageSpec& recipe, Geometry* out, std::string* error);

// Builds the image into `sink`; fills `manifest` when given. False with a
// message when the recipe cannot be laid out or a write fails.
bool BuildImage(const ImageSpec& recipe,
                ImageSink& sink,
                Manifest* manifest,
                std::string* error,
                const BuildOptions& options = {});

// Convenience for tests: the image in a new MemDisk.
bool BuildImageInMemory(const ImageSpec& recipe,
                        std::shared_ptr<platform::MemDisk>* disk,
                        Manifest* manifest,
                        std::string* error,
                        const BuildOptions& options = {});

// Self-check tags the builder expects from the damage a recipe asks for (the
// recipe's own expectedProblems included), sorted and unique.
std::vector<std::string> ExpectedProblems(const ImageSpec& recipe);

}  // namespace vektools
