// media/binary_file.h
//
// The file object the writers and the converter work through: one open file,
// 64-bit offsets, whole-buffer writes. Two implementations, one per system
// (binary_file_posix.cpp, binary_file_win32.cpp).
//
// Write either writes every byte or fails; after a failure the file position is
// unspecified, so callers seek before writing again. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>

namespace media {

class BinaryFile {
  public:
    enum class Mode {
        Read,          // existing file, read only
        CreateAlways,  // read/write, created, emptied when it exists
        OpenAlways,    // read/write, created when missing, kept as it is otherwise
    };

    BinaryFile() = default;
    ~BinaryFile() { Close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Opens `path` (a file of the system's own path syntax); closes any file held
    // before. False when the file cannot be opened.
    bool Open(const char* path, Mode mode);
    bool IsOpen() const;
    // False when the system reports an error while closing (data may be lost).
    bool Close();

    // Reads up to `size` bytes; *got is what was read (0 at the end of the file).
    bool Read(void* data, size_t size, size_t* got);
    bool Write(const void* data, size_t size);
    bool Seek(uint64_t offset);
    bool Tell(uint64_t* offset);
    bool Size(uint64_t* size);
    // Makes the file `size` bytes long; the position is left where it was.
    bool SetLength(uint64_t size);

  private:
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE, nullptr when closed
#else
    int fd_ = -1;
#endif
};

// 16 bytes that identify a file made by this program: a GUID in its in-memory
// byte order on Windows, random bytes with the version-4 GUID bits elsewhere.
void MakeFileGuid(uint8_t out[16]);

}  // namespace media
