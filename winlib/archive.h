// winlib/archive.h
//
// CArchive: binary serialisation over a memory file (winlib/mem_file.h), in
// the class library's conventions: numbers little endian whatever the
// machine, floats as their IEEE bits, ANSI strings and counts in their
// compact forms below. CArchiveException reports what went wrong, with the
// class library's cause numbers.
//
//   count   a 16-bit count below 0xFFFF; else 0xFFFF and a 32-bit count
//   string  the length then the bytes (no terminator): a byte below 0xFF;
//           else 0xFF and a 16-bit length below 0xFFFE; else 0xFF, 0xFFFF
//           and a 32-bit length (0xFF 0xFFFE marks a wide string, which
//           these archives do not hold: loading one is refused)
//
// Loading treats the bytes as hostile: a read that runs past the end throws
// endOfFile, and a length or count read from the stream is checked against
// the bytes that remain (CheckRemaining) before anything is allocated.
// Writing to a loading archive throws readOnly, reading a storing one
// writeOnly. Portable: no Windows header.
// Deliberately not done: archives over disk files (read them into a
// CMemFile), object maps and class schemas, buffering.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "winlib/cstring.h"
#include "winlib/mem_file.h"

class CArchiveException : public std::exception {
  public:
    enum Cause : int {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };
    explicit CArchiveException(int cause) : m_cause(cause) {}
    const char* what() const noexcept override;

    int m_cause;
};

class CArchive {
  public:
    enum Mode : unsigned { store = 0, load = 1 };

    // The file stays the caller's and must outlive the archive.
    CArchive(CMemFile* file, unsigned mode) : m_pFile(file), m_nMode(mode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_nMode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    CMemFile* GetFile() const { return m_pFile; }

    // Raw bytes. Read returns how many were there; ReadExact throws
    // endOfFile unless all of them were.
    size_t Read(void* buffer, size_t count);
    void ReadExact(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);
    // Passes over `count` bytes; endOfFile when fewer remain.
    void Skip(uint64_t count);
    // Bytes left to load.
    uint64_t GetRemaining() const;
    // endOfFile unless `count` more bytes are there to load.
    void CheckRemaining(uint64_t count) const;

    CArchive& operator<<(uint8_t value);
    CArchive& operator<<(uint16_t value);
    CArchive& operator<<(int16_t value);
    CArchive& operator<<(uint32_t value);
    CArchive& operator<<(int32_t value);
    CArchive& operator<<(uint64_t value);
    CArchive& operator<<(int64_t value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    CArchive& operator<<(const CString& text);

    CArchive& operator>>(uint8_t& value);
    CArchive& operator>>(uint16_t& value);
    CArchive& operator>>(int16_t& value);
    CArchive& operator>>(uint32_t& value);
    CArchive& operator>>(int32_t& value);
    CArchive& operator>>(uint64_t& value);
    CArchive& operator>>(int64_t& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    CArchive& operator>>(CString& text);

    void WriteCount(uint32_t count);
    uint32_t ReadCount();

  private:
    void CheckStoring() const;
    void CheckLoading() const;
    uint64_t ReadLittle(int bytes);
    void WriteLittle(uint64_t value, int bytes);

    CMemFile* m_pFile;
    unsigned m_nMode;
};
