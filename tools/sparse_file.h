// tools/sparse_file.h
//
// A disk image file written sparsely: it is created at its full (apparent)
// size, and only the ranges written take space on the medium. Reads of ranges
// never written give zeros. POSIX (ftruncate, pwrite) and Win32 (a sparse file
// through FSCTL_SET_SPARSE, SetEndOfFile and positioned WriteFile) each have
// their own source file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vektools {

class SparseFile {
  public:
    // Creates (or truncates) `path` with the apparent size `size`.
    static std::unique_ptr<SparseFile> Create(const std::string& path, uint64_t size, std::string* error);
    // Opens an existing image for reading.
    static std::unique_ptr<SparseFile> OpenRead(const std::string& path, std::string* error);

    ~SparseFile();
    SparseFile(const SparseFile&) = delete;
    SparseFile& operator=(const SparseFile&) = delete;

    bool WriteAt(uint64_t offset, const void* data, size_t length);
    // Reads what is there; a range past the end of the file reads as zeros.
    bool ReadAt(uint64_t offset, void* out, size_t length) const;
    uint64_t Size() const { return size_; }
    // Message of the last failure, naming the path, operation and offset.
    const std::string& LastError() const { return error_; }

  private:
    SparseFile() = default;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::string path_;
    uint64_t size_ = 0;
    mutable std::string error_;
};

}  // namespace vektools
