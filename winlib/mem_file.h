// winlib/mem_file.h
//
// CMemFile: a file held in memory, growing in steps of a given number of
// bytes, that archives (winlib/archive.h) read and write. It can also be
// opened on a copy of existing bytes for reading.
//
// Reads past the end return a short count; positions beyond the end are
// clamped to it. Portable: no Windows header.
// Deliberately not done: attaching a caller's buffer, memory-mapped files,
// duplicating, locking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CMemFile {
  public:
    enum SeekPosition : unsigned { begin = 0, current = 1, end = 2 };

    explicit CMemFile(unsigned growBytes = 1024) : m_nGrowBytes(growBytes > 0 ? growBytes : 1) {}
    // A file holding a copy of `size` bytes at `data`, positioned at its start.
    CMemFile(const uint8_t* data, size_t size, unsigned growBytes = 1024);
    CMemFile(const CMemFile&) = delete;
    CMemFile& operator=(const CMemFile&) = delete;

    // Bytes read: fewer than `count` at the end of the file.
    size_t Read(void* buffer, size_t count);
    // Writes at the position, growing the file as needed.
    void Write(const void* buffer, size_t count);
    // The new position; the result is clamped to 0 .. length.
    uint64_t Seek(int64_t offset, SeekPosition from);
    void SeekToBegin() { m_nPosition = 0; }
    uint64_t GetPosition() const { return m_nPosition; }
    uint64_t GetLength() const { return m_nFileSize; }
    // Bytes from the position to the end.
    uint64_t GetRemaining() const { return m_nFileSize - m_nPosition; }
    void SetLength(uint64_t length);

    // The file's bytes (GetLength of them).
    const uint8_t* GetData() const { return m_buffer.data(); }
    // The file's bytes as a vector; the file stays as it is.
    std::vector<uint8_t> GetBytes() const { return {m_buffer.begin(), m_buffer.begin() + Size(m_nFileSize)}; }

    unsigned GetGrowBytes() const { return m_nGrowBytes; }
    // Room reserved so far: the length rounded up to whole growth steps.
    size_t GetBufferSize() const { return m_buffer.size(); }

  private:
    static std::ptrdiff_t Size(uint64_t n) { return static_cast<std::ptrdiff_t>(n); }
    void Reserve(uint64_t bytes);

    unsigned m_nGrowBytes;
    std::vector<uint8_t> m_buffer;  // allocated room, in growth steps
    uint64_t m_nFileSize = 0;
    uint64_t m_nPosition = 0;
};
