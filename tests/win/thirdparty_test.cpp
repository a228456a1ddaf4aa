// tests/win/thirdparty_test.cpp
//
// The third-party libraries as this build links them: on Windows the static
// libraries from scripts/setup-thirdparty (run under Wine), natively Debian's.
// A library that links against the wrong copy shows up as a header/library
// version mismatch; a missing decoder or a non-LGPL FFmpeg build is a build
// recipe fault.
#include <gtest/gtest.h>

#include <png.h>
#include <sqlite3.h>
#include <zlib.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
#include <libswscale/swscale.h>
}

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ThirdPartyTest, ZlibRoundTripsDataWithTheHeaderVersion) {
    EXPECT_STREQ(zlibVersion(), ZLIB_VERSION);

    std::vector<Bytef> input(10000);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<Bytef>((i * 7) % 13);
    uLongf packedSize = compressBound(static_cast<uLong>(input.size()));
    std::vector<Bytef> packed(packedSize);
    ASSERT_EQ(compress2(packed.data(), &packedSize, input.data(), static_cast<uLong>(input.size()), 9), Z_OK);
    EXPECT_LT(packedSize, input.size() / 10);

    std::vector<Bytef> output(input.size());
    uLongf outputSize = static_cast<uLongf>(output.size());
    ASSERT_EQ(uncompress(output.data(), &outputSize, packed.data(), packedSize), Z_OK);
    EXPECT_EQ(outputSize, input.size());
    EXPECT_EQ(output, input);
}

TEST(ThirdPartyTest, SqliteRunsQueriesOnAThreadSafeBuild) {
    EXPECT_STREQ(sqlite3_libversion(), SQLITE_VERSION);
    EXPECT_NE(sqlite3_threadsafe(), 0);  // the program queries from worker threads

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    char* error = nullptr;
    ASSERT_EQ(
        sqlite3_exec(db,
                     "CREATE TABLE offset(lat INTEGER, lon INTEGER, dx REAL);"
                     "INSERT INTO offset VALUES (3100, 12100, 0.5), (3100, 12101, 0.25), (3200, 12100, 1.0);",
                     nullptr, nullptr, &error),
        SQLITE_OK)
        << (error ? error : "");

    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*), sum(dx) FROM offset WHERE lat = ?1", -1, &statement,
                                 nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_bind_int(statement, 1, 3100), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), 2);
    EXPECT_DOUBLE_EQ(sqlite3_column_double(statement, 1), 0.75);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

TEST(ThirdPartyTest, PngWritesAndReadsBackAnImage) {
    EXPECT_EQ(png_access_version_number(), static_cast<png_uint_32>(PNG_LIBPNG_VER));

    constexpr int kWidth = 5;
    constexpr int kHeight = 3;
    std::array<uint8_t, kWidth * kHeight * 3> pixels{};
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 17);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t encodedSize = 0;
    ASSERT_TRUE(png_image_write_to_memory(&image, nullptr, &encodedSize, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> encoded(encodedSize);
    ASSERT_TRUE(png_image_write_to_memory(&image, encoded.data(), &encodedSize, 0, pixels.data(), 0, nullptr))
        << image.message;
    ASSERT_GE(encodedSize, 8u);
    EXPECT_EQ(std::memcmp(encoded.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    png_image decoded;
    std::memset(&decoded, 0, sizeof decoded);
    decoded.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&decoded, encoded.data(), encodedSize)) << decoded.message;
    EXPECT_EQ(decoded.width, static_cast<png_uint_32>(kWidth));
    EXPECT_EQ(decoded.height, static_cast<png_uint_32>(kHeight));
    decoded.format = PNG_FORMAT_RGB;
    std::array<uint8_t, kWidth * kHeight * 3> readBack{};
    ASSERT_TRUE(png_image_finish_read(&decoded, nullptr, readBack.data(), 0, nullptr)) << decoded.message;
    EXPECT_EQ(readBack, pixels);
}

TEST(ThirdPartyTest, AvcodecHasTheRecorderDecoders) {
    EXPECT_EQ(avcodec_version(), static_cast<unsigned>(LIBAVCODEC_VERSION_INT));
    EXPECT_EQ(avutil_version(), static_cast<unsigned>(LIBAVUTIL_VERSION_INT));

    const AVCodec* h264 = avcodec_find_decoder(AV_CODEC_ID_H264);
    ASSERT_NE(h264, nullptr);
    AVCodecContext* context = avcodec_alloc_context3(h264);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(avcodec_open2(context, h264, nullptr), 0);
    avcodec_free_context(&context);

    AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_H264);
    EXPECT_NE(parser, nullptr);
    if (parser)
        av_parser_close(parser);

    for (AVCodecID id : {AV_CODEC_ID_PCM_ALAW, AV_CODEC_ID_PCM_MULAW, AV_CODEC_ID_ADPCM_IMA_WAV,
                         AV_CODEC_ID_ADPCM_G726, AV_CODEC_ID_G723_1, AV_CODEC_ID_G729}) {
        EXPECT_NE(avcodec_find_decoder(id), nullptr) << avcodec_get_name(id);
    }
}

#ifdef _WIN32
// Our Windows build ships FFmpeg linked into our own programs, which its licence
// allows for the LGPL configuration only. (Debian's native build is GPL.)
TEST(ThirdPartyTest, WindowsFfmpegIsTheLgplDecoderOnlyBuild) {
    EXPECT_EQ(std::string(avcodec_license()).rfind("LGPL", 0), 0u) << avcodec_license();
    EXPECT_EQ(std::string(avutil_license()).rfind("LGPL", 0), 0u) << avutil_license();
    EXPECT_EQ(avcodec_find_encoder(AV_CODEC_ID_H264), nullptr);
    EXPECT_EQ(avcodec_find_decoder(AV_CODEC_ID_HEVC), nullptr);
}
#endif

TEST(ThirdPartyTest, SwscaleConvertsDecoderOutputToBgra) {
    constexpr int kWidth = 16;
    constexpr int kHeight = 8;
    // A flat mid-grey YUV 4:2:0 picture, as the H.264 decoder hands it out.
    std::vector<uint8_t> y(kWidth * kHeight, 126), u(kWidth * kHeight / 4, 128), v(kWidth * kHeight / 4, 128);
    const uint8_t* source[3] = {y.data(), u.data(), v.data()};
    const int sourceStride[3] = {kWidth, kWidth / 2, kWidth / 2};

    std::vector<uint8_t> bgra(kWidth * kHeight * 4, 0);
    uint8_t* target[1] = {bgra.data()};
    const int targetStride[1] = {kWidth * 4};

    SwsContext* sws = sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUV420P, kWidth, kHeight, AV_PIX_FMT_BGRA,
                                     SWS_POINT, nullptr, nullptr, nullptr);
    ASSERT_NE(sws, nullptr);
    EXPECT_EQ(sws_scale(sws, source, sourceStride, 0, kHeight, target, targetStride), kHeight);
    sws_freeContext(sws);

    // Limited-range luma 126 is about 128 in full range; grey has equal channels.
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const uint8_t* p = &bgra[static_cast<size_t>(i) * 4];
        ASSERT_NEAR(p[0], 128, 3) << "pixel " << i;
        ASSERT_EQ(p[0], p[1]);
        ASSERT_EQ(p[1], p[2]);
    }
}

}  // namespace
