// tools/image_sink.cpp
#include "tools/image_sink.h"

#include <cstring>

namespace vektools {

namespace {

bool InRange(uint64_t offset, size_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

std::string OutOfRange(uint64_t offset, size_t length, uint64_t size) {
    return "write of " + std::to_string(length) + " bytes at " + std::to_string(offset) +
           " passes the end of the device (" + std::to_string(size) + " bytes)";
}

}  // namespace

bool MemDiskSink::Begin(uint64_t size, std::string*) {
    disk_ = std::make_shared<platform::MemDisk>(size);
    return true;
}

bool MemDiskSink::WriteAt(uint64_t offset, const void* data, size_t length, std::string* error) {
    if (!disk_ || !InRange(offset, length, disk_->Size())) {
        if (error)
            *error = OutOfRange(offset, length, disk_ ? disk_->Size() : 0);
        return false;
    }
    disk_->Poke(offset, data, length);
    return true;
}

bool MemDiskSink::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (!disk_) {
        std::memset(out, 0, length);
        return false;
    }
    disk_->Peek(offset, out, length);
    return true;
}

uint64_t MemDiskSink::Size() const {
    return disk_ ? disk_->Size() : 0;
}

bool MemDiskSource::ReadAt(uint64_t offset, void* out, size_t length) const {
    disk_->Peek(offset, out, length);
    return true;
}

uint64_t MemDiskSource::Size() const {
    return disk_->Size();
}

bool FileSink::Begin(uint64_t size, std::string* error) {
    file_ = SparseFile::Create(path_, size, error);
    return file_ != nullptr;
}

bool FileSink::WriteAt(uint64_t offset, const void* data, size_t length, std::string* error) {
    if (!file_ || !InRange(offset, length, file_->Size())) {
        if (error)
            *error = OutOfRange(offset, length, file_ ? file_->Size() : 0);
        return false;
    }
    if (file_->WriteAt(offset, data, length))
        return true;
    if (error)
        *error = file_->LastError();
    return false;
}

bool FileSink::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (!file_) {
        std::memset(out, 0, length);
        return false;
    }
    return file_->ReadAt(offset, out, length);
}

uint64_t FileSink::Size() const {
    return file_ ? file_->Size() : 0;
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path, std::string* error) {
    std::unique_ptr<FileSource> s(new FileSource());
    s->file_ = SparseFile::OpenRead(path, error);
    if (!s->file_)
        return nullptr;
    return s;
}

bool FileSource::ReadAt(uint64_t offset, void* out, size_t length) const {
    return file_->ReadAt(offset, out, length);
}

uint64_t FileSource::Size() const {
    return file_->Size();
}

bool NullSink::ReadAt(uint64_t, void* out, size_t length) const {
    std::memset(out, 0, length);
    return true;
}

}  // namespace vektools
