// tests/common/fuzz_input.h
//
// What the fuzz targets share: the fuzzer's bytes read as a stream of little
// endian numbers (zeros once they run out), and the check that turns a broken
// promise into a crash the fuzzer reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vektest {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t U16() { return U8() | static_cast<uint32_t>(U8()) << 8; }
    uint32_t U32() { return U16() | U16() << 16; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

inline void FuzzCheck(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace vektest
