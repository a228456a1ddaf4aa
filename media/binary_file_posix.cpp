// media/binary_file_posix.cpp
#include "media/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace media {

bool BinaryFile::Open(const char* path, Mode mode) {
    Close();
    if (!path)
        return false;
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::CreateAlways:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case Mode::OpenAlways:
            flags |= O_RDWR | O_CREAT;
            break;
    }
    int fd;
    do
        fd = ::open(path, flags, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    fd_ = fd;
    return true;
}

bool BinaryFile::IsOpen() const {
    return fd_ >= 0;
}

bool BinaryFile::Close() {
    if (fd_ < 0)
        return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 || errno == EINTR;  // after EINTR the descriptor is gone on Linux
}

bool BinaryFile::Read(void* data, size_t size, size_t* got) {
    *got = 0;
    if (fd_ < 0)
        return false;
    auto* p = static_cast<uint8_t*>(data);
    while (*got < size) {
        const ssize_t n = ::read(fd_, p + *got, size - *got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        *got += static_cast<size_t>(n);
    }
    return true;
}

bool BinaryFile::Write(const void* data, size_t size) {
    if (fd_ < 0)
        return false;
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool BinaryFile::Seek(uint64_t offset) {
    if (fd_ < 0 || offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool BinaryFile::Tell(uint64_t* offset) {
    if (fd_ < 0)
        return false;
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0)
        return false;
    *offset = static_cast<uint64_t>(at);
    return true;
}

bool BinaryFile::Size(uint64_t* size) {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_size < 0)
        return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool BinaryFile::SetLength(uint64_t size) {
    if (fd_ < 0 || size > static_cast<uint64_t>(INT64_MAX))
        return false;
    int rc;
    do
        rc = ::ftruncate(fd_, static_cast<off_t>(size));
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void MakeFileGuid(uint8_t out[16]) {
    std::random_device rd;
    for (int i = 0; i < 16; i += 4) {
        const uint32_t r = rd();
        for (int j = 0; j < 4; j++)
            out[i + j] = static_cast<uint8_t>(r >> (8 * j));
    }
    // Laid out like a Windows GUID in memory: Data3 (bytes 6-7) is a
    // little-endian u16 whose top four bits are the version.
    out[7] = static_cast<uint8_t>((out[7] & 0x0F) | 0x40);
    out[8] = static_cast<uint8_t>((out[8] & 0x3F) | 0x80);
}

}  // namespace media
