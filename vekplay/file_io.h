// vekplay/file_io.h
//
// The little file access the library needs: reading files it plays at any
// offset, and writing snapshots. Paths are the program's own (on Windows in the
// ANSI code page, as the program passes them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>

namespace vekplay {

// A file opened for reading; ReadAt is safe from several threads.
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Open(const char* path);
    uint64_t size() const { return size_; }
    // Reads up to `length` bytes at `offset`; *got is what was read. False on an
    // error (reading past the end is not one: *got is then short).
    bool ReadAt(uint64_t offset, void* data, size_t length, size_t* got);
    // True when exactly `length` bytes were read.
    bool ReadExact(uint64_t offset, void* data, size_t length);

  private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
};

// Writes `size` bytes as the whole content of `path`; false on any failure (a
// partly written file is removed).
bool WriteWholeFile(const char* path, const void* data, size_t size);

}  // namespace vekplay
