// tools/sparse_file_win32.cpp
#include "tools/sparse_file.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

namespace vektools {

struct SparseFile::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

namespace {

std::string Reason() {
    const DWORD code = GetLastError();
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   0, text, sizeof text, nullptr);
    std::string s = n ? std::string(text, n) : "error " + std::to_string(code);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

}  // namespace

SparseFile::~SparseFile() = default;

std::unique_ptr<SparseFile> SparseFile::Create(const std::string& path, uint64_t size, std::string* error) {
    std::unique_ptr<SparseFile> f(new SparseFile());
    f->path_ = path;
    f->handle_ = std::make_unique<Handle>();
    f->handle_->h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f->handle_->h == INVALID_HANDLE_VALUE) {
        if (error)
            *error = "cannot create " + path + ": " + Reason();
        return nullptr;
    }
    // Without the sparse attribute NTFS would allocate the whole apparent size;
    // file systems without sparse files refuse it, and the image still works.
    DWORD returned = 0;
    DeviceIoControl(f->handle_->h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(f->handle_->h, end, nullptr, FILE_BEGIN) || !SetEndOfFile(f->handle_->h)) {
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
    f->handle_->h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (f->handle_->h == INVALID_HANDLE_VALUE || !GetFileSizeEx(f->handle_->h, &size)) {
        if (error)
            *error = "cannot open " + path + ": " + Reason();
        return nullptr;
    }
    f->size_ = static_cast<uint64_t>(size.QuadPart);
    return f;
}

bool SparseFile::WriteAt(uint64_t offset, const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const DWORD chunk = static_cast<DWORD>(length > 0x40000000 ? 0x40000000 : length);
        OVERLAPPED o = At(offset);
        DWORD done = 0;
        if (!WriteFile(handle_->h, p, chunk, &done, &o) || done == 0) {
            error_ = "write of " + std::to_string(length) + " bytes at " + std::to_string(offset) + " on " +
                     path_ + " failed: " + Reason();
            return false;
        }
        p += done;
        offset += done;
        length -= done;
    }
    if (offset > size_)
        size_ = offset;
    return true;
}

bool SparseFile::ReadAt(uint64_t offset, void* out, size_t length) const {
    auto* p = static_cast<uint8_t*>(out);
    std::memset(p, 0, length);
    while (length > 0 && offset < size_) {
        const DWORD chunk = static_cast<DWORD>(length > 0x40000000 ? 0x40000000 : length);
        OVERLAPPED o = At(offset);
        DWORD done = 0;
        if (!ReadFile(handle_->h, p, chunk, &done, &o)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            error_ = "read of " + std::to_string(length) + " bytes at " + std::to_string(offset) + " on " +
                     path_ + " failed: " + Reason();
            return false;
        }
        if (done == 0)
            break;
        p += done;
        offset += done;
        length -= done;
    }
    return true;
}

}  // namespace vektools
