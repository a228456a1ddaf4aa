// tools/h264_split.h
//
// Splits an H.264 Annex-B elementary stream (as ffmpeg writes with -f h264) into
// access units, so each can become one "VkFm" video frame. A new access unit
// starts at an access-unit delimiter, at an SEI, SPS or PPS (or NAL types 14-18)
// that follows a picture's slices, and at a slice whose first_mb_in_slice is 0
// that follows a picture's slices. Units holding an IDR slice are key frames.
// Concatenating the units gives back the input byte for byte (bytes before the
// first start code belong to the first unit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vektools {

struct AccessUnit {
    std::vector<uint8_t> bytes;  // start codes included
    bool idr = false;
};

std::vector<AccessUnit> SplitAccessUnits(const uint8_t* data, size_t size);

// Picture size from the first sequence parameter set found in `units` (with
// its cropping applied). False when there is none or it cannot be read.
bool FindPictureSize(const std::vector<AccessUnit>& units, uint16_t* width, uint16_t* height);

// Reads a whole file; false with a message on failure.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, std::string* error);

}  // namespace vektools
