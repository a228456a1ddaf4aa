// platform/posix_device.cpp
//
// The POSIX backend: image files and block devices through a file descriptor and
// positioned I/O (pread/pwrite), so the device's position is ours and never the
// kernel's. Transfers loop over partial results and EINTR; reaching the end of
// the file before the request is complete is a failure.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>  // BLKGETSIZE64
#endif

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/device_backends.h"
#include "platform/raw_device.h"

namespace platform {

namespace {

// strerror_r comes in two flavours (GNU returns the text, XSI fills the buffer);
// overloads on its result pick the right one.
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
    return result == 0 ? buffer : "unknown error";
}
[[maybe_unused]] const char* ErrorText(const char* result, const char*) {
    return result;
}

std::string SystemError(int code) {
    char buffer[256] = {};
    return std::string(ErrorText(strerror_r(code, buffer, sizeof buffer), buffer)) + " (errno " +
           std::to_string(code) + ")";
}

class PosixDevice final : public RawDevice {
  public:
    PosixDevice(int fd, std::string path, DeviceAccess access)
        : fd_(fd), path_(std::move(path)), access_(access) {}
    ~PosixDevice() override { ::close(fd_); }

    bool Seek(uint64_t offset) override {
        std::string problem = detail::CheckSeek(path_, offset);
        if (!problem.empty())
            return Fail(std::move(problem));
        position_ = offset;
        return true;
    }

    bool Read(void* buffer, size_t length) override {
        std::string problem = detail::CheckTransfer("read", path_, access_, position_, buffer, length);
        if (!problem.empty())
            return Fail(std::move(problem));
        auto* p = static_cast<uint8_t*>(buffer);
        const uint64_t offset = position_;
        size_t done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd_, p + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return TransferFailed("read", offset, length, done, SystemError(errno));
            if (n == 0)
                return TransferFailed("read", offset, length, done, "end of device");
            done += static_cast<size_t>(n);
        }
        position_ = offset + done;
        return true;
    }

    bool Write(const void* data, size_t length) override {
        std::string problem = detail::CheckTransfer("write", path_, access_, position_, data, length);
        if (!problem.empty())
            return Fail(std::move(problem));
        const auto* p = static_cast<const uint8_t*>(data);
        const uint64_t offset = position_;
        size_t done = 0;
        while (done < length) {
            const ssize_t n = ::pwrite(fd_, p + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return TransferFailed("write", offset, length, done, SystemError(errno));
            if (n == 0)
                return TransferFailed("write", offset, length, done, "no progress");
            done += static_cast<size_t>(n);
        }
        position_ = offset + done;
        return true;
    }

    uint64_t Position() const override { return position_; }

    bool Size(uint64_t* size) override {
        struct stat st = {};
        if (::fstat(fd_, &st) != 0)
            return Fail("cannot get the size of " + path_ + ": " + SystemError(errno));
        if (S_ISREG(st.st_mode)) {
            *size = static_cast<uint64_t>(st.st_size);
            return true;
        }
#ifdef __linux__
        if (S_ISBLK(st.st_mode)) {
            uint64_t bytes = 0;
            if (::ioctl(fd_, BLKGETSIZE64, &bytes) != 0)
                return Fail("cannot get the size of " + path_ + ": " + SystemError(errno));
            *size = bytes;
            return true;
        }
#endif
        return Fail("cannot get the size of " + path_ + ": neither a regular file nor a block device");
    }

  private:
    // The position moves by what got through, as it would on Windows.
    bool TransferFailed(const char* op, uint64_t offset, size_t length, size_t done, const std::string& why) {
        position_ = offset + done;
        return Fail(detail::DescribeFailedTransfer(op, length, offset, path_, done, why));
    }

    int fd_;
    std::string path_;
    DeviceAccess access_;
    uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<RawDevice> detail::OpenOsDevice(const std::string& path,
                                                DeviceAccess access,
                                                std::string* error) {
    int flags = O_CLOEXEC;
    switch (access) {
        case DeviceAccess::ReadOnly:
            flags |= O_RDONLY;
            break;
        case DeviceAccess::ReadWrite:
            flags |= O_RDWR;
            break;
        case DeviceAccess::ReadWriteThrough:
            flags |= O_RDWR | O_DSYNC;
            break;
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error)
            *error = "cannot open " + path + ": " + SystemError(errno);
        return nullptr;
    }
    // A directory opens read-only without complaint; refuse it here rather than
    // on the first read.
    struct stat st = {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = "cannot open " + path + ": " + SystemError(EISDIR);
        return nullptr;
    }
    return std::make_unique<PosixDevice>(fd, path, access);
}

}  // namespace platform
