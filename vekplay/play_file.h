// vekplay/play_file.h
//
// Reading the files the program plays, as recorder frames:
//
//   raw stream   (.264 / .h264 / .nvr as the recorder and the downloads write
//                them): "VkFm" frames one after the other, payloads padded,
//                with extension bytes or damage between them
//   container    the program's own ".264" container ("ALVkFile", 56-byte
//                header, frames from 56 up to the index)
//   AVI          the program's own AVI files (".avi", and ".mp4" names that
//                hold AVI data): every chunk of the movi list carries the
//                recorder's frame header behind its payload, 40 bytes behind
//                video ("00db" key, "00dc" delta), 48 behind audio ("01wb":
//                the header with the block size as its length, the block's
//                4-byte prefix, 4 spare bytes)
//
// Open reads the whole file once and keeps an index of its frames (where each
// lies, its time, type and size); nothing found in the file is trusted: a frame
// is kept only when its header is sound and it lies wholly inside the file, and
// everything else is stepped over to the next frame that is. Read re-reads and
// re-checks one frame. The kind is decided by the first bytes, not the name.
// The index stops at kMaxIndexedFrames (about 44 hours at 25 frames a second),
// so a file of nothing but tiny frames cannot exhaust memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vekplay/file_io.h"
#include "vekplay/frame.h"

namespace vekplay {

enum class FileKind { kRaw, kContainer, kAvi };

struct FileFrame {
    uint64_t offset = 0;  // raw and container: of the header; AVI: of the chunk's payload
    uint64_t time = 0;
    uint32_t size = 0;    // payload bytes of the frame as Read gives it
    uint32_t stored = 0;  // AVI: the chunk's payload length
    char type = 0;        // 'I', 'P', 'A'
};

class PlayFile {
  public:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    static constexpr size_t kMaxIndexedFrames = 4000000;

    // Null when the file cannot be opened or holds no frame; `why` says which.
    static std::unique_ptr<PlayFile> Open(const char* path,
                                          std::string* why,
                                          size_t maxFrames = kMaxIndexedFrames);

    FileKind kind() const { return kind_; }
    const std::vector<FileFrame>& frames() const { return frames_; }
    size_t count() const { return frames_.size(); }

    // Reads frame `index` into `out`; false when it is gone or no longer sound.
    bool Read(size_t index, Frame* out);
    // Earliest and latest video frame time; false when there is no video frame.
    bool TimeRange(uint64_t* first, uint64_t* last) const;
    // The key frame with the latest time at or before `timeUs` (the first key
    // frame when `timeUs` lies before every one); kNone without key frames.
    size_t KeyFrameAtOrBefore(uint64_t timeUs) const;

  private:
    PlayFile() = default;
    bool ScanRaw(uint64_t begin, uint64_t end);
    bool ScanAvi();

    InputFile file_;
    FileKind kind_ = FileKind::kRaw;
    size_t maxFrames_ = kMaxIndexedFrames;
    std::vector<FileFrame> frames_;
};

}  // namespace vekplay
