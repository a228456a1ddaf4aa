// skin/core/png_decode.cpp
#include "skin/core/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

namespace plym {

size_t PngMemorySource::Read(void* buffer, size_t count) {
    size_t left = size_ - at_;
    if (count > left)
        count = left;
    if (count > 0)
        std::memcpy(buffer, data_ + at_, count);
    at_ += count;
    return count;
}

bool HasPngSignature(const void* data, size_t size) {
    if (size < 8)
        return false;
    // png_sig_cmp takes a non-const pointer in older libpng releases.
    png_byte head[8];
    std::memcpy(head, data, 8);
    return png_sig_cmp(head, 0, 8) == 0;
}

namespace {

void SilentWarning(png_structp, png_const_charp) {}

// libpng's errors end the decode without printing anything.
[[noreturn]] void QuietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// A short read is a libpng error, so it unwinds through libpng's own frames
// by longjmp, never by a C++ exception.
void ReadFromSource(png_structp png, png_bytep buffer, size_t count) {
    auto* source = static_cast<PngByteSource*>(png_get_io_ptr(png));
    if (source->Read(buffer, count) != count)
        png_error(png, "short read");
}

uint8_t To8Bits(unsigned value, int bitDepth) {
    if (bitDepth == 16)
        return static_cast<uint8_t>(value >> 8);
    if (bitDepth >= 8)
        return static_cast<uint8_t>(value);
    unsigned top = (1u << bitDepth) - 1;
    return static_cast<uint8_t>((value & top) * 255u / top);
}

// Everything libpng touches; it lives outside the frame that calls setjmp,
// so nothing in that frame changes between setjmp and a longjmp.
struct Decode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> rows;
    std::vector<png_bytep> rowPointers;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    size_t rowBytes = 0;
    int channels = 0;
    PngPicture* picture = nullptr;
};

void NoteBackground(Decode& d, png_color_16p background, int colorType, int bitDepth) {
    PngPicture& p = *d.picture;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(d.png, d.info, &palette, &count) == 0 || background->index >= count)
            return;
        p.backgroundRed = palette[background->index].red;
        p.backgroundGreen = palette[background->index].green;
        p.backgroundBlue = palette[background->index].blue;
    } else if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
        p.backgroundRed = p.backgroundGreen = p.backgroundBlue = To8Bits(background->gray, bitDepth);
    } else {
        p.backgroundRed = To8Bits(background->red, bitDepth);
        p.backgroundGreen = To8Bits(background->green, bitDepth);
        p.backgroundBlue = To8Bits(background->blue, bitDepth);
    }
    p.hasBackground = true;
}

// Reads the header, asks for the transformations and reads every row into
// d.rows. False on any libpng error (longjmp back here) or a picture too
// large.
bool ReadRows(Decode& d) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;

    png_set_sig_bytes(d.png, 8);
    png_read_info(d.png, d.info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

    if (bitDepth == 16)
        png_set_strip_16(d.png);
    if (colorType == PNG_COLOR_TYPE_PALETTE || bitDepth < 8 || png_get_valid(d.png, d.info, PNG_INFO_tRNS))
        png_set_expand(d.png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(d.png);
    png_color_16p background = nullptr;
    if (png_get_bKGD(d.png, d.info, &background) != 0) {
        png_set_background(d.png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        NoteBackground(d, background, colorType, bitDepth);
    }
    double fileGamma = 0;
    if (png_get_gAMA(d.png, d.info, &fileGamma) != 0)
        png_set_gamma(d.png, 2.2, fileGamma);
    // Before the update, so that interlaced pictures come out whole.
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    png_get_IHDR(d.png, d.info, &d.width, &d.height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    d.channels = png_get_channels(d.png, d.info);
    d.rowBytes = png_get_rowbytes(d.png, d.info);
    if (bitDepth != 8 || (d.channels != 3 && d.channels != 4))
        return false;
    if (d.width == 0 || d.height == 0 || d.width > kPngMaxSide || d.height > kPngMaxSide)
        return false;
    if (uint64_t{d.width} * d.height * 4 > kPngMaxPixelBytes)
        return false;
    if (d.rowBytes != size_t{d.width} * static_cast<size_t>(d.channels))
        return false;
    // The rows hold three or four bytes a pixel, so no more than the bound.
    d.rows.resize(d.rowBytes * d.height);
    d.rowPointers.resize(d.height);
    for (png_uint_32 y = 0; y < d.height; ++y)
        d.rowPointers[y] = d.rows.data() + size_t{y} * d.rowBytes;
    png_read_image(d.png, d.rowPointers.data());
    png_read_end(d.png, d.info);
    return true;
}

void ToBgra(const Decode& d, PngPicture& picture) {
    picture.width = static_cast<int>(d.width);
    picture.height = static_cast<int>(d.height);
    picture.alpha = d.channels == 4;
    picture.bgra.assign(size_t{d.width} * d.height * 4, 0);
    const size_t channels = static_cast<size_t>(d.channels);
    for (size_t y = 0; y < d.height; ++y) {
        const png_byte* in = d.rows.data() + y * d.rowBytes;
        uint8_t* out = picture.bgra.data() + y * d.width * 4;
        for (size_t x = 0; x < d.width; ++x, in += channels, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = channels == 4 ? in[3] : 0;
        }
    }
}

}  // namespace

bool DecodePng(PngByteSource& source, PngPicture& picture) {
    picture = PngPicture{};
    png_byte signature[8];
    if (source.Read(signature, sizeof signature) != sizeof signature || !HasPngSignature(signature, 8))
        return false;

    Decode d;
    d.picture = &picture;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, SilentWarning);
    if (d.png == nullptr)
        return false;
    d.info = png_create_info_struct(d.png);
    bool ok = false;
    if (d.info != nullptr) {
        png_set_read_fn(d.png, &source, ReadFromSource);
        png_set_user_limits(d.png, kPngMaxSide, kPngMaxSide);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // Mutated bytes rarely keep their chunk checksums; let them through.
        png_set_crc_action(d.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
        try {
            ok = ReadRows(d);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    png_destroy_read_struct(&d.png, d.info != nullptr ? &d.info : nullptr, nullptr);
    if (ok) {
        try {
            ToBgra(d, picture);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok)
        picture = PngPicture{};
    return ok;
}

bool DecodePng(const void* data, size_t size, PngPicture& picture) {
    PngMemorySource source(data, size);
    return DecodePng(source, picture);
}

}  // namespace plym
