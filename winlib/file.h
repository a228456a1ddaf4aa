// winlib/file.h
//
// CFile: a binary file through the Win32 file API, opened with the class
// library's mode flags (modeRead, modeCreate, shareDenyNone, ...).
//
// Failures are reported by return values (Open FALSE, Read a short count,
// Write FALSE), never by exceptions. The destructor closes the file.
// Deliberately not done: text mode, archives, memory files, exceptions.
#pragma once

#include <windows.h>

#include <cstdint>

#include "winlib/cstring.h"

class CFile {
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeNoTruncate = 0x2000,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() { Close(); }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;

    // FALSE when the file cannot be opened (GetLastError tells why).
    BOOL Open(LPCSTR path, UINT flags);
    void Close();
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // Bytes read; 0 at the end or on failure.
    UINT Read(void* buffer, UINT count);
    BOOL Write(const void* buffer, UINT count);
    // The new position, or -1 on failure.
    int64_t Seek(int64_t offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    int64_t SeekToEnd() { return Seek(0, end); }
    int64_t GetPosition() const;
    // -1 when the size cannot be read.
    int64_t GetLength() const;
    BOOL SetLength(int64_t length);
    BOOL Flush() { return ::FlushFileBuffers(m_hFile); }
    const CString& GetFilePath() const { return m_path; }

    static BOOL Remove(LPCSTR path) { return ::DeleteFileA(path); }
    static BOOL Rename(LPCSTR from, LPCSTR to) { return ::MoveFileA(from, to); }

  private:
    CString m_path;
};
