// tests/skin/skin_png_fuzz.cpp
//
// libFuzzer target: any bytes through the PNG decoder. A decoded picture must
// hold exactly width x height BGRA pixels within the size limits; a refused
// one must be empty. Every pixel is read so the sanitizers see the buffer.
#include <cstddef>
#include <cstdint>

#include "skin/core/png_decode.h"
#include "tests/common/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plym::PngPicture picture;
    if (!plym::DecodePng(data, size, picture)) {
        vektest::FuzzCheck(picture.bgra.empty() && picture.width == 0 && picture.height == 0);
        return 0;
    }
    vektest::FuzzCheck(picture.width > 0 && picture.height > 0);
    vektest::FuzzCheck(static_cast<uint32_t>(picture.width) <= plym::kPngMaxSide &&
                       static_cast<uint32_t>(picture.height) <= plym::kPngMaxSide);
    vektest::FuzzCheck(picture.bgra.size() == static_cast<size_t>(picture.width) * picture.height * 4);
    vektest::FuzzCheck(picture.bgra.size() <= plym::kPngMaxPixelBytes);
    unsigned alphaSum = 0;
    for (size_t i = 3; i < picture.bgra.size(); i += 4)
        alphaSum |= picture.bgra[i];
    vektest::FuzzCheck(picture.alpha || alphaSum == 0);  // three channels: alpha 0 everywhere
    return 0;
}
