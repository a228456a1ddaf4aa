// winlib/mem_file.cpp
#include "winlib/mem_file.h"

#include <algorithm>
#include <cstring>

CMemFile::CMemFile(const uint8_t* data, size_t size, unsigned growBytes)
    : m_nGrowBytes(growBytes > 0 ? growBytes : 1) {
    if (data != nullptr && size > 0) {
        Reserve(size);
        std::memcpy(m_buffer.data(), data, size);
        m_nFileSize = size;
    }
}

void CMemFile::Reserve(uint64_t bytes) {
    if (bytes <= m_buffer.size())
        return;
    const uint64_t steps = (bytes + m_nGrowBytes - 1) / m_nGrowBytes;
    m_buffer.resize(static_cast<size_t>(steps * m_nGrowBytes), 0);
}

size_t CMemFile::Read(void* buffer, size_t count) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, GetRemaining()));
    if (n > 0) {
        std::memcpy(buffer, m_buffer.data() + m_nPosition, n);
        m_nPosition += n;
    }
    return n;
}

void CMemFile::Write(const void* buffer, size_t count) {
    if (count == 0)
        return;
    Reserve(m_nPosition + count);
    std::memcpy(m_buffer.data() + m_nPosition, buffer, count);
    m_nPosition += count;
    m_nFileSize = std::max(m_nFileSize, m_nPosition);
}

uint64_t CMemFile::Seek(int64_t offset, SeekPosition from) {
    const uint64_t base = from == begin ? 0 : from == current ? m_nPosition : m_nFileSize;
    if (offset < 0) {
        const uint64_t back = static_cast<uint64_t>(-(offset + 1)) + 1;  // no overflow at INT64_MIN
        m_nPosition = back > base ? 0 : base - back;
    } else {
        m_nPosition = std::min(base + static_cast<uint64_t>(offset), m_nFileSize);
    }
    return m_nPosition;
}

void CMemFile::SetLength(uint64_t length) {
    Reserve(length);
    if (length < m_nFileSize)
        std::fill(m_buffer.begin() + Size(length), m_buffer.begin() + Size(m_nFileSize), uint8_t{0});
    m_nFileSize = length;
    m_nPosition = std::min(m_nPosition, m_nFileSize);
}
