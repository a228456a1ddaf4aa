// tools/sparse_file_posix.cpp
#include "tools/sparse_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vektools {

struct SparseFile::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0)
            close(fd);
    }
};

namespace {

std::string Reason() {
    return std::strerror(errno);
}

}  // namespace

SparseFile::~SparseFile() = default;

std::unique_ptr<SparseFile> SparseFile::Create(const std::string& path, uint64_t size, std::string* error) {
    std::unique_ptr<SparseFile> f(new SparseFile());
    f->path_ = path;
    f->handle_ = std::make_unique<Handle>();
    f->handle_->fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f->handle_->fd < 0) {
        if (error)
            *error = "cannot create " + path + ": " + Reason();
        return nullptr;
    }
    if (ftruncate(f->handle_->fd, static_cast<off_t>(size)) != 0) {
        if (error)
            *error = "cannot set the size of " + path + " to " + std::to_string(size) + ": " + Reason();
        return nullptr;
    }
    f->size_ = size;
    return f;
}

std::unique_ptr<SparseFile> SparseFile::OpenRead(const std::string& path, std::string* error) {
    std::unique_ptr<SparseFile> f(new SparseFile());
    f->path_ = path;
    f->handle_ = std::make_unique<Handle>();
    f->handle_->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (f->handle_->fd < 0 || fstat(f->handle_->fd, &st) != 0) {
        if (error)
            *error = "cannot open " + path + ": " + Reason();
        return nullptr;
    }
    f->size_ = static_cast<uint64_t>(st.st_size);
    return f;
}

bool SparseFile::WriteAt(uint64_t offset, const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const ssize_t n = pwrite(handle_->fd, p, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = "write of " + std::to_string(length) + " bytes at " + std::to_string(offset) + " on " +
                     path_ + " failed: " + Reason();
            return false;
        }
        p += n;
        offset += static_cast<uint64_t>(n);
        length -= static_cast<size_t>(n);
    }
    if (offset > size_)
        size_ = offset;
    return true;
}

bool SparseFile::ReadAt(uint64_t offset, void* out, size_t length) const {
    auto* p = static_cast<uint8_t*>(out);
    std::memset(p, 0, length);
    while (length > 0 && offset < size_) {
        const ssize_t n = pread(handle_->fd, p, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = "read of " + std::to_string(length) + " bytes at " + std::to_string(offset) + " on " +
                     path_ + " failed: " + Reason();
            return false;
        }
        if (n == 0)
            break;
        p += n;
        offset += static_cast<uint64_t>(n);
        length -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace vektools
