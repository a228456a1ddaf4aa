// media/binary_file_win32.cpp
#include "media/binary_file.h"

#include <objbase.h>
#include <windows.h>

#include <cstring>
#include <random>

namespace media {

namespace {

HANDLE H(void* h) {
    return static_cast<HANDLE>(h);
}

// WriteFile and ReadFile take 32-bit counts.
constexpr size_t kMaxTransfer = 0x40000000;

}  // namespace

bool BinaryFile::Open(const char* path, Mode mode) {
    Close();
    if (!path)
        return false;
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_ALWAYS;
    // Others may read what is being written; a source may still be open for
    // writing elsewhere (a download in progress), as the C runtime allows.
    DWORD share = FILE_SHARE_READ;
    switch (mode) {
        case Mode::Read:
            access = GENERIC_READ;
            disposition = OPEN_EXISTING;
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            break;
        case Mode::CreateAlways:
            disposition = CREATE_ALWAYS;
            break;
        case Mode::OpenAlways:
            disposition = OPEN_ALWAYS;
            break;
    }
    const HANDLE h = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    handle_ = h;
    return true;
}

bool BinaryFile::IsOpen() const {
    return handle_ != nullptr;
}

bool BinaryFile::Close() {
    if (!handle_)
        return true;
    const BOOL ok = CloseHandle(H(handle_));
    handle_ = nullptr;
    return ok != FALSE;
}

bool BinaryFile::Read(void* data, size_t size, size_t* got) {
    *got = 0;
    if (!handle_)
        return false;
    auto* p = static_cast<uint8_t*>(data);
    while (*got < size) {
        const size_t want = size - *got < kMaxTransfer ? size - *got : kMaxTransfer;
        DWORD n = 0;
        if (!ReadFile(H(handle_), p + *got, static_cast<DWORD>(want), &n, nullptr))
            return false;
        if (n == 0)
            break;
        *got += n;
    }
    return true;
}

bool BinaryFile::Write(const void* data, size_t size) {
    if (!handle_)
        return false;
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const size_t want = size - done < kMaxTransfer ? size - done : kMaxTransfer;
        DWORD n = 0;
        if (!WriteFile(H(handle_), p + done, static_cast<DWORD>(want), &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return true;
}

bool BinaryFile::Seek(uint64_t offset) {
    if (!handle_ || offset > static_cast<uint64_t>(INT64_MAX))
        return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN) != FALSE;
}

bool BinaryFile::Tell(uint64_t* offset) {
    if (!handle_)
        return false;
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(H(handle_), zero, &at, FILE_CURRENT) || at.QuadPart < 0)
        return false;
    *offset = static_cast<uint64_t>(at.QuadPart);
    return true;
}

bool BinaryFile::Size(uint64_t* size) {
    LARGE_INTEGER s;
    if (!handle_ || !GetFileSizeEx(H(handle_), &s) || s.QuadPart < 0)
        return false;
    *size = static_cast<uint64_t>(s.QuadPart);
    return true;
}

bool BinaryFile::SetLength(uint64_t size) {
    uint64_t at = 0;
    if (!Tell(&at) || !Seek(size))
        return false;
    const bool ok = SetEndOfFile(H(handle_)) != FALSE;
    return Seek(at) && ok;
}

void MakeFileGuid(uint8_t out[16]) {
    GUID g;
    if (CoCreateGuid(&g) == S_OK) {
        static_assert(sizeof g == 16);
        std::memcpy(out, &g, 16);  // the GUID's own in-memory byte order
        return;
    }
    std::random_device rd;
    for (int i = 0; i < 16; i++)
        out[i] = static_cast<uint8_t>(rd());
}

}  // namespace media
