// tests/vekplay/real_video_test.cpp
//
// Real H.264, made at build time with Debian's ffmpeg and wrapped in recorder
// frame headers by the project's stream generator: it decodes to pictures (no
// cards), and after a seek the picture shown, and its snapshot, match what
// ffmpeg itself decodes for that frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/common/temp_dir.h"
#include "tests/vekplay/bmp_read.h"
#include "tests/vekplay/test_host.h"
#include "tools/h264_split.h"
#include "vekplay/frame_card.h"
#include "vekplay/media_decoder.h"
#include "vekplay/play_instance.h"

namespace vekplay {
namespace {

const std::string kFixtures = VEKPLAY_TEST_FIXTURES;

struct RealStream {
    std::vector<vektools::AccessUnit> units;
    test::TestFrames frames;
};

RealStream LoadRealStream() {
    RealStream r;
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(vektools::ReadWholeFile(kFixtures + "/stream.h264", &bytes, &error)) << error;
    r.units = vektools::SplitAccessUnits(bytes.data(), bytes.size());
    vektools::StreamSpec recipe;
    recipe.startUs = 1709640000000000ULL;
    recipe.videoFrames = static_cast<uint32_t>(r.units.size());
    recipe.accessUnits = &r.units;
    vektools::FindPictureSize(r.units, &recipe.width, &recipe.height);
    r.frames = test::MakeFrames(recipe);
    return r;
}

std::vector<uint8_t> Reference(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%03d.bgr", n);
    std::ifstream in(kFixtures + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Per channel: at most `maxDiff` anywhere, and a mean difference below 1.
void ExpectNearReference(const uint8_t* pixels,
                         size_t stride,
                         int width,
                         int height,
                         int n,
                         int maxDiff = 6) {
    const std::vector<uint8_t> ref = Reference(n);
    ASSERT_EQ(ref.size(), static_cast<size_t>(width) * height * 3) << "reference frame " << n;
    int worst = 0;
    uint64_t sum = 0;
    for (int y = 0; y < height; y++) {
        const uint8_t* row = pixels + stride * static_cast<size_t>(y);
        const uint8_t* want = ref.data() + static_cast<size_t>(width) * 3 * y;
        for (int x = 0; x < width * 3; x++) {
            const int d = std::abs(row[x] - want[x]);
            worst = std::max(worst, d);
            sum += static_cast<uint64_t>(d);
        }
    }
    EXPECT_LE(worst, maxDiff) << "frame " << n;
    EXPECT_LT(static_cast<double>(sum) / (static_cast<double>(width) * height * 3), 1.0) << "frame " << n;
}

TEST(RealVideoTest, DecoderGivesFfmpegsPictures) {
    const RealStream r = LoadRealStream();
    ASSERT_EQ(r.frames.frames.size(), 100u);
    VideoDecoder decoder;
    Picture p;
    for (size_t k = 0; k < r.frames.frames.size(); k++) {
        Frame f;
        ASSERT_EQ(ParseFrame(r.frames.frames[k].data(), r.frames.frames[k].size(), &f), FrameCheck::kOk);
        ASSERT_EQ(decoder.Decode(f, &p), DecodeResult::kPicture) << k;
        ASSERT_EQ(p.width, 352);
        ASSERT_EQ(p.height, 288);
        EXPECT_FALSE(p.card);
        if (k == 0 || k == 37 || k == 99)
            ExpectNearReference(p.pixels.data(), p.stride, p.width, p.height, static_cast<int>(k));
    }
}

TEST(RealVideoTest, DecoderRefusesWhatIsNotH264AndRecoversAtAKeyFrame) {
    const RealStream r = LoadRealStream();
    VideoDecoder decoder;
    Picture p;
    const test::TestFrames synthetic = test::MakeFrames(test::CardSpec(3));
    for (const auto& bytes : synthetic.frames) {
        Frame f;
        ASSERT_EQ(ParseFrame(bytes.data(), bytes.size(), &f), FrameCheck::kOk);
        EXPECT_NE(decoder.Decode(f, &p), DecodeResult::kPicture);
    }
    // Delta frames without their key frame give no picture; the next key frame does.
    for (size_t k = 30; k <= 50; k++) {
        Frame f;
        ASSERT_EQ(ParseFrame(r.frames.frames[k].data(), r.frames.frames[k].size(), &f), FrameCheck::kOk);
        const DecodeResult result = decoder.Decode(f, &p);
        if (k == 50) {
            ASSERT_EQ(result, DecodeResult::kPicture);
            ExpectNearReference(p.pixels.data(), p.stride, p.width, p.height, 50);
        }
    }
}

class RealPlayTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (auto& i : made_)
            i->Shutdown();
    }
    std::shared_ptr<Instance> Make(InstanceKind kind) {
        auto i = Instance::Create(static_cast<uint32_t>(made_.size() + 1), kind, host_);
        i->SetNotify(1, 11, 0);
        made_.push_back(i);
        return i;
    }
    std::shared_ptr<test::TestHost> host_ = std::make_shared<test::TestHost>();
    std::vector<std::shared_ptr<Instance>> made_;
};

TEST_F(RealPlayTest, AStreamOfRealVideoPlaysAsPictures) {
    const RealStream r = LoadRealStream();
    auto inst = Make(InstanceKind::kStream);
    for (const auto& f : r.frames.frames)
        ASSERT_EQ(inst->Input(f.data(), static_cast<uint32_t>(f.size())), 0);
    inst->Input(nullptr, 0);
    ASSERT_EQ(inst->SetMode(kModeFast16), 0);
    inst->Start();
    ASSERT_TRUE(host_->vclock().RunFor(100 * 40000 / 16 + 1000));
    EXPECT_EQ(host_->CountPosts(kCodeEnd), 1);
    const InstanceStats st = inst->stats();
    EXPECT_EQ(st.presented, 100u);
    EXPECT_EQ(st.pictures, 100u);
    EXPECT_EQ(st.cards, 0u);
    const PicturePtr last = inst->LastPicture();
    ASSERT_TRUE(last);
    ExpectNearReference(last->pixels.data(), last->stride, last->width, last->height, 99);
}

TEST_F(RealPlayTest, SnapshotAfterASeekIsTheFrameAtThatTime) {
    const vektest::TempDir temp;
    const RealStream r = LoadRealStream();
    const std::string path = temp.File("real.264");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(r.frames.stream.bytes.data()),
                  static_cast<std::streamsize>(r.frames.stream.bytes.size()));
    }
    auto inst = Make(InstanceKind::kFile);
    ASSERT_EQ(inst->OpenFile(path.c_str()), 0);
    const std::string snap = temp.File("real.bmp");
    for (int n : {37, 50, 0}) {
        SCOPED_TRACE(n);
        ASSERT_EQ(inst->SetPlayedTime(r.frames.record(n).timeUs), 0);
        ASSERT_TRUE(host_->vclock().RunFor(100000));
        EXPECT_EQ(inst->PlayedTime(), r.frames.record(n).timeUs);
        ASSERT_EQ(inst->Capture(snap.c_str()), 0);
        test::BmpImage image;
        std::string why;
        ASSERT_TRUE(test::ReadBmp(snap, &image, &why)) << why;
        ASSERT_EQ(image.width, 352);
        ASSERT_EQ(image.height, 288);
        ExpectNearReference(image.pixels.data(), image.stride, image.width, image.height, n);
    }
}

TEST_F(RealPlayTest, ADamagedFrameInRealVideoIsACardAndPlayRecoversAtTheNextKeyFrame) {
    RealStream r = LoadRealStream();
    // Frame 30's payload replaced by bytes that are not H.264 (the size stays).
    std::vector<uint8_t>& damaged = r.frames.frames[30];
    std::fill(damaged.begin() + 40, damaged.end(), 0xFF);
    auto inst = Make(InstanceKind::kStream);
    for (size_t k = 0; k <= 50; k++)
        ASSERT_EQ(inst->Input(r.frames.frames[k].data(), static_cast<uint32_t>(r.frames.frames[k].size())),
                  0);
    inst->Start();
    ASSERT_TRUE(host_->vclock().RunFor(30 * 40000));
    ASSERT_EQ(inst->PlayedTime(), r.frames.record(30).timeUs);
    const PicturePtr card = inst->LastPicture();
    ASSERT_TRUE(card);
    EXPECT_TRUE(card->card);
    uint64_t t = 0;
    ASSERT_TRUE(ReadCardMarker(*card, &t));
    EXPECT_EQ(t, r.frames.record(30).timeUs);
    ASSERT_TRUE(host_->vclock().RunFor(20 * 40000));
    const PicturePtr key = inst->LastPicture();
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->card);
    ExpectNearReference(key->pixels.data(), key->stride, key->width, key->height, 50);
}

}  // namespace
}  // namespace vekplay
