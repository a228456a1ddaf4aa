// media/avi_file_writer.h
//
// CVekAviFileWirte: turns the recorder's frame stream into an AVI file (see
// avi_output.h for the layout). Key and delta frames become video chunks,
// audio frames one chunk per audio block; every chunk carries the recorder's
// frame header behind its payload, so frame times survive.
//
// Audio joins only after the first video chunk. An audio frame whose block size
// (u16 at +38, its 4-byte prefix included) is below 5 or larger than the
// payload is dropped. Any failed write (a full disk, the 2,000,000,000-byte
// limit, memory) marks the file as incomplete; Close says so.
#pragma once

#include <cstdint>

#include "media/avi_output.h"
#include "media/file_writer.h"
#include "media/frame_cutter.h"

inline constexpr uint32_t kAviAudioTrailer = 48;
inline constexpr uint32_t kAviMinAudioBlock = 5;

class CVekAviFileWirte : public CFileWriter {
  public:
    CVekAviFileWirte();
    ~CVekAviFileWirte() override;

    // Opens the output file; 1 on success, 0 when it cannot be created. A file
    // still open is closed first.
    int Open(const char* path);
    // Feeds stream bytes (scanStart is 0 from every caller). Does nothing when
    // no file is open.
    void Write(const unsigned char* data, unsigned len, unsigned scanStart = 0);
    // Finishes and closes the file when one is open, then resets the writer.
    // 1 when every frame handed to the file reached it (or none was open), 0
    // when a write failed: the file is then valid but incomplete.
    int Close();

    bool IsOpen() const { return avi_ != nullptr; }
    // The open file's state, for inspection; NULL when none is open.
    const AviOutput* Output() const { return avi_; }

  private:
    void WriteFrame(const uint8_t* frame, uint32_t size);
    void WriteAudioFrame(const uint8_t* frame, uint32_t payload);

    AviOutput* avi_ = nullptr;
    media::FrameCutter cutter_;
    bool failed_ = false;
};
