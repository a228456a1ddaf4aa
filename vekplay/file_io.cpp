// vekplay/file_io.cpp
#include "vekplay/file_io.h"

namespace vekplay {

namespace {

bool SeekTo(std::FILE* f, uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool SizeOf(std::FILE* f, uint64_t* size) {
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return false;
    const long long end = _ftelli64(f);
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return false;
    const off_t end = ftello(f);
#endif
    if (end < 0)
        return false;
    *size = static_cast<uint64_t>(end);
    return true;
}

}  // namespace

InputFile::~InputFile() {
    if (file_)
        std::fclose(file_);
}

bool InputFile::Open(const char* path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!path || !*path)
        return false;
    file_ = std::fopen(path, "rb");
    if (!file_)
        return false;
    if (!SizeOf(file_, &size_)) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

bool InputFile::ReadAt(uint64_t offset, void* data, size_t length, size_t* got) {
    std::lock_guard<std::mutex> lock(mutex_);
    *got = 0;
    if (!file_)
        return false;
    if (offset >= size_ || length == 0)
        return true;
    if (!SeekTo(file_, offset))
        return false;
    *got = std::fread(data, 1, length, file_);
    if (std::ferror(file_)) {
        std::clearerr(file_);
        return false;
    }
    return true;
}

bool InputFile::ReadExact(uint64_t offset, void* data, size_t length) {
    size_t got = 0;
    return ReadAt(offset, data, length, &got) && got == length;
}

bool WriteWholeFile(const char* path, const void* data, size_t size) {
    if (!path || !*path)
        return false;
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool wrote = std::fwrite(data, 1, size, f) == size;
    const bool closed = std::fclose(f) == 0;
    if (wrote && closed)
        return true;
    std::remove(path);
    return false;
}

}  // namespace vekplay
