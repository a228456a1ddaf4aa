// tests/skin/skin_dib_fuzz.cpp
//
// libFuzzer target: any bytes as a bitmap resource. What the validator
// accepts must lie wholly inside the bytes: the colour table and every pixel
// row are read, and a BGRA bitmap is copied out as the loaders copy it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/core/image_dib.h"
#include "tests/common/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that a read past the end is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    plym::PackedDib dib;
    const bool alphaHeader = plym::IsAlphaDibHeader(bytes.data(), bytes.size());
    if (!plym::ReadPackedDib(bytes.data(), bytes.size(), dib))
        return 0;
    vektest::FuzzCheck(alphaHeader == (dib.bitCount == 32));
    vektest::FuzzCheck(dib.colorTableOffset + size_t{dib.colorCount} * 4 == dib.pixelOffset);
    vektest::FuzzCheck(dib.pixelOffset <= size && dib.pixelBytes <= size - dib.pixelOffset);
    vektest::FuzzCheck(dib.stride % 4 == 0 && dib.pixelBytes == dib.stride * static_cast<size_t>(dib.height));
    unsigned sum = 0;
    for (size_t i = dib.colorTableOffset; i < dib.pixelOffset + dib.pixelBytes; ++i)
        sum += bytes[i];
    if (plym::IsBgraDib(dib)) {
        std::vector<uint8_t> out(dib.pixelBytes);
        plym::CopyBgraDibBottomUp(bytes.data(), dib, out.data());
        for (uint8_t b : out)
            sum -= b;
    }
    return static_cast<int>(sum & 0);
}
