// winlib/archive.cpp
#include "winlib/archive.h"

#include <cstring>
#include <string>

const char* CArchiveException::what() const noexcept {
    switch (m_cause) {
        case none:
            return "no archive error";
        case readOnly:
            return "archive: storing into a loading archive";
        case endOfFile:
            return "archive: the data ends early";
        case writeOnly:
            return "archive: loading from a storing archive";
        case badIndex:
            return "archive: bad index";
        case badClass:
            return "archive: unexpected class";
        case badSchema:
            return "archive: unexpected version";
        default:
            return "archive: unreadable data";
    }
}

void CArchive::CheckStoring() const {
    if (IsLoading())
        throw CArchiveException(CArchiveException::readOnly);
}

void CArchive::CheckLoading() const {
    if (IsStoring())
        throw CArchiveException(CArchiveException::writeOnly);
}

size_t CArchive::Read(void* buffer, size_t count) {
    CheckLoading();
    return m_pFile->Read(buffer, count);
}

void CArchive::ReadExact(void* buffer, size_t count) {
    CheckRemaining(count);
    m_pFile->Read(buffer, count);
}

void CArchive::Write(const void* buffer, size_t count) {
    CheckStoring();
    m_pFile->Write(buffer, count);
}

uint64_t CArchive::GetRemaining() const {
    return IsLoading() ? m_pFile->GetRemaining() : 0;
}

void CArchive::CheckRemaining(uint64_t count) const {
    CheckLoading();
    if (count > m_pFile->GetRemaining())
        throw CArchiveException(CArchiveException::endOfFile);
}

void CArchive::Skip(uint64_t count) {
    CheckRemaining(count);
    m_pFile->Seek(static_cast<int64_t>(count), CMemFile::current);
}

uint64_t CArchive::ReadLittle(int bytes) {
    uint8_t raw[8] = {};
    ReadExact(raw, static_cast<size_t>(bytes));
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | raw[i];
    return value;
}

void CArchive::WriteLittle(uint64_t value, int bytes) {
    uint8_t raw[8];
    for (int i = 0; i < bytes; ++i)
        raw[i] = static_cast<uint8_t>(value >> (8 * i));
    Write(raw, static_cast<size_t>(bytes));
}

// clang-format off
CArchive& CArchive::operator<<(uint8_t value) { WriteLittle(value, 1); return *this; }
CArchive& CArchive::operator<<(uint16_t value) { WriteLittle(value, 2); return *this; }
CArchive& CArchive::operator<<(int16_t value) { WriteLittle(static_cast<uint16_t>(value), 2); return *this; }
CArchive& CArchive::operator<<(uint32_t value) { WriteLittle(value, 4); return *this; }
CArchive& CArchive::operator<<(int32_t value) { WriteLittle(static_cast<uint32_t>(value), 4); return *this; }
CArchive& CArchive::operator<<(uint64_t value) { WriteLittle(value, 8); return *this; }
CArchive& CArchive::operator<<(int64_t value) { WriteLittle(static_cast<uint64_t>(value), 8); return *this; }

CArchive& CArchive::operator>>(uint8_t& value) { value = static_cast<uint8_t>(ReadLittle(1)); return *this; }
CArchive& CArchive::operator>>(uint16_t& value) { value = static_cast<uint16_t>(ReadLittle(2)); return *this; }
CArchive& CArchive::operator>>(int16_t& value) { value = static_cast<int16_t>(ReadLittle(2)); return *this; }
CArchive& CArchive::operator>>(uint32_t& value) { value = static_cast<uint32_t>(ReadLittle(4)); return *this; }
CArchive& CArchive::operator>>(int32_t& value) { value = static_cast<int32_t>(ReadLittle(4)); return *this; }
CArchive& CArchive::operator>>(uint64_t& value) { value = ReadLittle(8); return *this; }
CArchive& CArchive::operator>>(int64_t& value) { value = static_cast<int64_t>(ReadLittle(8)); return *this; }
// clang-format on

CArchive& CArchive::operator<<(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator<<(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator>>(float& value) {
    const uint32_t bits = static_cast<uint32_t>(ReadLittle(4));
    std::memcpy(&value, &bits, sizeof value);
    return *this;
}

CArchive& CArchive::operator>>(double& value) {
    const uint64_t bits = ReadLittle(8);
    std::memcpy(&value, &bits, sizeof value);
    return *this;
}

void CArchive::WriteCount(uint32_t count) {
    if (count < 0xFFFF) {
        *this << static_cast<uint16_t>(count);
    } else {
        *this << static_cast<uint16_t>(0xFFFF);
        *this << count;
    }
}

uint32_t CArchive::ReadCount() {
    uint16_t shortCount = 0;
    *this >> shortCount;
    if (shortCount != 0xFFFF)
        return shortCount;
    uint32_t count = 0;
    *this >> count;
    return count;
}

CArchive& CArchive::operator<<(const CString& text) {
    const size_t length = text.str().size();
    if (length < 0xFF) {
        *this << static_cast<uint8_t>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<uint8_t>(0xFF) << static_cast<uint16_t>(length);
    } else {
        *this << static_cast<uint8_t>(0xFF) << static_cast<uint16_t>(0xFFFF) << static_cast<uint32_t>(length);
    }
    Write(text.str().data(), length);
    return *this;
}

CArchive& CArchive::operator>>(CString& text) {
    uint8_t byteLength = 0;
    *this >> byteLength;
    uint32_t length = byteLength;
    if (byteLength == 0xFF) {
        uint16_t wordLength = 0;
        *this >> wordLength;
        if (wordLength == 0xFFFE)
            throw CArchiveException(CArchiveException::genericException);
        length = wordLength;
        if (wordLength == 0xFFFF)
            *this >> length;
    }
    CheckRemaining(length);
    std::string bytes(length, '\0');
    ReadExact(bytes.data(), length);
    text = CString(std::move(bytes));
    return *this;
}
