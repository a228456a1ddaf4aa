// winlib/file.cpp
#include "winlib/file.h"

BOOL CFile::Open(LPCSTR path, UINT flags) {
    Close();
    if (!path)
        return FALSE;
    DWORD access = GENERIC_READ;
    if ((flags & 3) == modeWrite)
        access = GENERIC_WRITE;
    if ((flags & 3) == modeReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (flags & 0x70) {
        case shareExclusive:
            share = 0;
            break;
        case shareDenyWrite:
            share = FILE_SHARE_READ;
            break;
        case shareDenyRead:
            share = FILE_SHARE_WRITE;
            break;
        default:
            break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate)
        disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    m_hFile = ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    m_path = path;
    return TRUE;
}

void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_path.Empty();
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!IsOpen() || !buffer || !::ReadFile(m_hFile, buffer, count, &read, nullptr))
        return 0;
    return read;
}

BOOL CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!IsOpen() || (!buffer && count))
        return FALSE;
    return ::WriteFile(m_hFile, buffer, count, &written, nullptr) && written == count;
}

int64_t CFile::Seek(int64_t offset, UINT from) {
    LARGE_INTEGER distance{}, position{};
    distance.QuadPart = offset;
    const DWORD method = from == current ? FILE_CURRENT : from == end ? FILE_END : FILE_BEGIN;
    if (!IsOpen() || !::SetFilePointerEx(m_hFile, distance, &position, method))
        return -1;
    return position.QuadPart;
}

int64_t CFile::GetPosition() const {
    LARGE_INTEGER zero{}, position{};
    if (!IsOpen() || !::SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT))
        return -1;
    return position.QuadPart;
}

int64_t CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !::GetFileSizeEx(m_hFile, &size))
        return -1;
    return size.QuadPart;
}

BOOL CFile::SetLength(int64_t length) {
    const int64_t keep = GetPosition();
    if (keep < 0 || Seek(length, begin) < 0 || !::SetEndOfFile(m_hFile))
        return FALSE;
    return Seek(keep < length ? keep : length, begin) >= 0;
}
