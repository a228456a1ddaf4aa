// tools/image_sink.h
//
// Where the image builder writes and where the self-check reads: a sparse image
// file, an in-memory disk (platform::MemDisk), or nowhere (to get a manifest
// without an image). The builder announces the device size once, then writes
// byte ranges in any order; bytes never written read as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/mem_device.h"
#include "tools/sparse_file.h"

namespace vektools {

class ImageSource {
  public:
    virtual ~ImageSource() = default;
    virtual bool ReadAt(uint64_t offset, void* out, size_t length) const = 0;
    virtual uint64_t Size() const = 0;
};

class ImageSink {
  public:
    virtual ~ImageSink() = default;
    // Called once, before any write, with the apparent size of the device.
    virtual bool Begin(uint64_t size, std::string* error) = 0;
    virtual bool WriteAt(uint64_t offset, const void* data, size_t length, std::string* error) = 0;
};

// Writes into a MemDisk made at Begin.
class MemDiskSink : public ImageSink, public ImageSource {
  public:
    bool Begin(uint64_t size, std::string* error) override;
    bool WriteAt(uint64_t offset, const void* data, size_t length, std::string* error) override;
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;
    uint64_t Size() const override;
    const std::shared_ptr<platform::MemDisk>& Disk() const { return disk_; }

  private:
    std::shared_ptr<platform::MemDisk> disk_;
};

// Reads an existing MemDisk.
class MemDiskSource : public ImageSource {
  public:
    explicit MemDiskSource(std::shared_ptr<const platform::MemDisk> disk) : disk_(std::move(disk)) {}
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;
    uint64_t Size() const override;

  private:
    std::shared_ptr<const platform::MemDisk> disk_;
};

// Writes a sparse image file created at Begin.
class FileSink : public ImageSink, public ImageSource {
  public:
    explicit FileSink(std::string path) : path_(std::move(path)) {}
    bool Begin(uint64_t size, std::string* error) override;
    bool WriteAt(uint64_t offset, const void* data, size_t length, std::string* error) override;
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;
    uint64_t Size() const override;

  private:
    std::string path_;
    std::unique_ptr<SparseFile> file_;
};

// Reads an existing image file.
class FileSource : public ImageSource {
  public:
    static std::unique_ptr<FileSource> Open(const std::string& path, std::string* error);
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;
    uint64_t Size() const override;

  private:
    std::unique_ptr<SparseFile> file_;
};

// Keeps nothing; reads give zeros.
class NullSink : public ImageSink, public ImageSource {
  public:
    bool Begin(uint64_t size, std::string*) override {
        size_ = size;
        return true;
    }
    bool WriteAt(uint64_t, const void*, size_t, std::string*) override { return true; }
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;
    uint64_t Size() const override { return size_; }

  private:
    uint64_t size_ = 0;
};

}  // namespace vektools
