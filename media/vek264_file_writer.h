// media/vek264_file_writer.h
//
// CVek264FileWirte: writes the program's own ".264" container. Frames are kept
// byte for byte from the first key frame on, each padded with zeros to a
// multiple of 8, and a key-frame index is written at the end. Little endian:
//
//   0   "ALVkFile"
//   8   u32 16
//   12  "Full"
//   16  u64 offset of the index (0 until the file is closed)
//   24  16-byte GUID made when the file was opened
//   40  u64 time of the first frame written, microseconds (0 until closed)
//   48  u64 time of the last frame written (0 until closed)
//   56  frames: 40-byte header and payload as received, zeros up to a multiple of 8
//   index offset       "List", "Idx\0", u16 16, u16 16, u32 entry bytes (count x 16)
//   index offset + 16  entries: u64 key-frame time, u64 file offset of its header
//
// A write that fails drops its frame (the next one goes where it would have
// gone) and marks the file as failed; Close reports it.
#pragma once

#include <cstdint>
#include <vector>

#include "media/binary_file.h"
#include "media/file_writer.h"
#include "media/frame_cutter.h"

inline constexpr uint32_t k264HeaderSize = 56;
inline constexpr uint32_t k264IndexHeaderSize = 16;
// Entries the index holds at most, so that its byte size fits the u32 field.
inline constexpr uint32_t k264MaxIndexEntries = 0x0FFFFFFF;

class CVek264FileWirte : public CFileWriter {
  public:
    struct IndexEntry {
        uint64_t time = 0;    // microseconds
        uint64_t offset = 0;  // of the frame header in the file
    };

    CVek264FileWirte();
    ~CVek264FileWirte() override;

    // Creates (empties) the file and writes its header area; 1 on success, 0
    // when the file cannot be created or its header not written (no file is
    // kept then). A file still open is closed first.
    int Open(const char* path);
    // Feeds stream bytes (scanStart is 0 from every caller). Does nothing when
    // no file is open.
    void Write(const unsigned char* data, unsigned len, unsigned scanStart = 0);
    // Finishes and closes the file when one is open, then resets the writer.
    // 1 when every write of that file succeeded (or none was open), 0 when one
    // failed: the file is then incomplete.
    int Close();

    bool IsOpen() const { return file_.IsOpen(); }

  private:
    void WriteFrame(const uint8_t* frame, uint32_t size);

    media::FrameCutter cutter_;
    media::BinaryFile file_;
    uint64_t firstTime_ = 0;
    uint64_t lastTime_ = 0;
    uint64_t writePos_ = 0;
    std::vector<IndexEntry> index_;
    bool failed_ = false;
};
