// platform/win32_device.cpp
//
// The Win32 backend: "\\.\PhysicalDriveN", "\\.\X:" or an image file through a
// synchronous file handle. The handle's file pointer follows our position: Seek
// sets it, ReadFile and WriteFile advance it by what they transferred.
//
// Windows refuses unaligned I/O on raw drives, but Wine does not, so the
// sector checks run here before the call (see CheckTransfer). ReadFile reports
// success with fewer bytes at the end of a file; that is a failure for us.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/device_backends.h"
#include "platform/raw_device.h"

namespace platform {

namespace {

// Largest piece handed to one ReadFile/WriteFile (their lengths are DWORDs);
// a whole number of sectors.
constexpr size_t kMaxChunk = size_t{1} << 30;

std::string SystemError(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length != 0 && text ? std::string(text, length) : std::string("unknown error");
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message + " (error " + std::to_string(code) + ")";
}

class Win32Device final : public RawDevice {
  public:
    Win32Device(HANDLE handle, std::string path, DeviceAccess access)
        : handle_(handle), path_(std::move(path)), access_(access) {}
    ~Win32Device() override { CloseHandle(handle_); }

    bool Seek(uint64_t offset) override {
        std::string problem = detail::CheckSeek(path_, offset);
        if (!problem.empty())
            return Fail(std::move(problem));
        LARGE_INTEGER target;
        target.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(handle_, target, nullptr, FILE_BEGIN)) {
            return Fail("seek to offset " + std::to_string(offset) + " on " + path_ +
                        " failed: " + SystemError(GetLastError()));
        }
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
            const DWORD want = static_cast<DWORD>(std::min(length - done, kMaxChunk));
            DWORD got = 0;
            const BOOL ok = ReadFile(handle_, p + done, want, &got, nullptr);
            const DWORD code = ok ? 0 : GetLastError();
            done += got;
            position_ = offset + done;
            if (!ok)
                return TransferFailed("read", offset, length, done, SystemError(code));
            if (got < want)
                return TransferFailed("read", offset, length, done, "end of device");
        }
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
            const DWORD want = static_cast<DWORD>(std::min(length - done, kMaxChunk));
            DWORD put = 0;
            const BOOL ok = WriteFile(handle_, p + done, want, &put, nullptr);
            const DWORD code = ok ? 0 : GetLastError();
            done += put;
            position_ = offset + done;
            if (!ok)
                return TransferFailed("write", offset, length, done, SystemError(code));
            if (put < want)
                return TransferFailed("write", offset, length, done, "short write");
        }
        return true;
    }

    uint64_t Position() const override { return position_; }

    bool Size(uint64_t* size) override {
        // Drives and volumes answer the length query; files do not (and Wine
        // answers it for nothing), so fall back to the file size.
        GET_LENGTH_INFORMATION info = {};
        DWORD returned = 0;
        if (DeviceIoControl(handle_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof info, &returned,
                            nullptr) &&
            returned >= sizeof info) {
            *size = static_cast<uint64_t>(info.Length.QuadPart);
            return true;
        }
        LARGE_INTEGER fileSize;
        if (!GetFileSizeEx(handle_, &fileSize))
            return Fail("cannot get the size of " + path_ + ": " + SystemError(GetLastError()));
        *size = static_cast<uint64_t>(fileSize.QuadPart);
        return true;
    }

  private:
    bool TransferFailed(const char* op, uint64_t offset, size_t length, size_t done, const std::string& why) {
        return Fail(detail::DescribeFailedTransfer(op, length, offset, path_, done, why));
    }

    HANDLE handle_;
    std::string path_;
    DeviceAccess access_;
    uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<RawDevice> detail::OpenOsDevice(const std::string& path,
                                                DeviceAccess access,
                                                std::string* error) {
    const DWORD desired = access == DeviceAccess::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    if (access == DeviceAccess::ReadWriteThrough)
        flags |= FILE_FLAG_WRITE_THROUGH;
    HANDLE handle = CreateFileA(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = "cannot open " + path + ": " + SystemError(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32Device>(handle, path, access);
}

}  // namespace platform
