// tests/skin/utf16_bytes.h
//
// UTF-16 little-endian bytes of a text, as skin modules hold their INI text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skintest {

inline std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

}  // namespace skintest
