// tests/common/fuzz_input.h
//
// What the fuzz targets share: the fuzzer's bytes read as a stream of little
// endian numbers (zeros once they run out), and the check that turns a broken
// promise into a crash the fuzzer reports.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vektest {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t U16() { return U8() | static_cast<uint32_t>(U8()) << 8; }
    uint32_t U32() { return U16() | U16() << 16; }
    uint64_t U64() { return U32() | static_cast<uint64_t>(U32()) << 32; }
    // Up to `most` bytes of any value, as a string.
    std::string Bytes(size_t most) {
        std::string s(U8() % (most + 1), '\0');
        for (char& c : s)
            c = static_cast<char>(U8());
        return s;
    }
    // What is left of the input, all taken at once.
    std::vector<uint8_t> Rest() {
        std::vector<uint8_t> rest(data_ + std::min(at_, size_), data_ + size_);
        at_ = size_;
        return rest;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

inline void FuzzCheck(bool ok) {
    if (!ok)
        std::abort();
}

// The same, naming the file and line of the promise broken (the caller's).
inline void Check(bool ok, const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    if (ok)
        return;
    std::fprintf(stderr, "broken promise at %s:%d\n", file, line);
    std::abort();
}

}  // namespace vektest
