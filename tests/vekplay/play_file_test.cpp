// tests/vekplay/play_file_test.cpp
//
// The file readers against the stream generator's manifest, for the three kinds
// of file: a raw stream as generated, and the .264 container and AVI file the
// program's own writers make of it. Then damaged files, and a file instance
// playing, seeking and ending on a virtual clock.
#include "vekplay/play_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "media/avi_file_writer.h"
#include "media/vek264_file_writer.h"
#include "platform/le_bytes.h"
#include "tests/common/temp_dir.h"
#include "tests/vekplay/test_host.h"
#include "vekplay/frame_card.h"
#include "vekplay/play_instance.h"

namespace vekplay {
namespace {

using test::TestFrames;

struct ManifestLine {
    uint32_t number = 0;
    uint64_t offset = 0;
    char type = 0;
    uint32_t size = 0;
    uint64_t time = 0;
};

// The manifest as the generator writes it (text form), read back.
std::vector<ManifestLine> Manifest(const vektools::Stream& s) {
    std::ostringstream text;
    vektools::WriteStreamManifestText(text, s.frames);
    std::istringstream in(text.str());
    std::vector<ManifestLine> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        ManifestLine m;
        fields >> m.number >> m.offset >> m.type >> m.size >> m.time;
        out.push_back(m);
    }
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

template <typename Writer>
void WriteWith(const std::string& path, const std::vector<uint8_t>& stream) {
    Writer w;
    ASSERT_EQ(w.Open(path.c_str()), 1);
    for (size_t at = 0; at < stream.size(); at += 100000) {
        const size_t n = std::min<size_t>(100000, stream.size() - at);
        w.Write(stream.data() + at, static_cast<unsigned>(n));
    }
    ASSERT_EQ(w.Close(), 1);
}

// A stream with everything a reader must step over: delta frames before the
// first key frame, interleaved audio, extension bytes, junk, one frame at the
// size limit and one over it.
vektools::StreamSpec AwkwardSpec() {
    vektools::StreamSpec recipe;
    recipe.seed = 9;
    recipe.channel = 3;
    recipe.startUs = 1709640000000000ULL;
    recipe.videoFrames = 80;
    recipe.gop = 10;
    recipe.leadingP = 3;
    recipe.audio = true;
    recipe.audioParams = vektools::AudioParams{8000, 1, 8, 164, 1, 1};
    recipe.extUnits = 1;
    recipe.junkEvery = 7;
    recipe.junkLength = 13;
    // Two delta frames well inside the stream get the sizes (numbers count audio too).
    const vektools::Stream plain = vektools::BuildStream(recipe);
    std::vector<uint32_t> deltas;
    for (const vektools::FrameRecord& f : plain.frames)
        if (f.type == 'P' && f.number > 40)
            deltas.push_back(f.number);
    recipe.sizes = {{deltas.at(0), 511960}, {deltas.at(1), 511961}};
    return recipe;
}

// Frames the manifest says a reader must find: over-long ones are damage.
std::vector<ManifestLine> Sound(const std::vector<ManifestLine>& all) {
    std::vector<ManifestLine> out;
    for (const ManifestLine& m : all)
        if (40 + m.size <= 512000)
            out.push_back(m);
    return out;
}

void ExpectFramesMatch(PlayFile& file, const std::vector<ManifestLine>& want, const vektools::Stream& s) {
    ASSERT_EQ(file.count(), want.size());
    for (size_t i = 0; i < want.size(); i++) {
        const FileFrame& f = file.frames()[i];
        EXPECT_EQ(f.type, want[i].type) << i;
        EXPECT_EQ(f.size, want[i].size) << i;
        EXPECT_EQ(f.time, want[i].time) << i;
        Frame frame;
        ASSERT_TRUE(file.Read(i, &frame)) << i;
        const uint8_t* original = s.bytes.data() + want[i].offset;
        ASSERT_EQ(frame.bytes.size(), 40u + want[i].size);
        EXPECT_EQ(0, std::memcmp(frame.bytes.data(), original, frame.bytes.size())) << "frame " << i;
    }
}

TEST(PlayFileTest, RawStreamAgreesWithTheManifest) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(AwkwardSpec());
    const std::string path = temp.File("raw.264");
    WriteFile(path, s.bytes);
    std::string why;
    auto file = PlayFile::Open(path.c_str(), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->kind(), FileKind::kRaw);
    const auto want = Sound(Manifest(s));
    ASSERT_EQ(want.size() + 1, s.frames.size());
    ExpectFramesMatch(*file, want, s);
}

TEST(PlayFileTest, ContainerFromTheProgramsWriterAgreesWithTheManifest) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(AwkwardSpec());
    const std::string path = temp.File("container.264");
    WriteWith<CVek264FileWirte>(path, s.bytes);
    std::string why;
    auto file = PlayFile::Open(path.c_str(), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->kind(), FileKind::kContainer);
    // The writer starts at the first key frame.
    std::vector<ManifestLine> want;
    bool key = false;
    for (const ManifestLine& m : Sound(Manifest(s)))
        if ((key = key || m.type == 'I'))
            want.push_back(m);
    ASSERT_EQ(want.front().type, 'I');
    ExpectFramesMatch(*file, want, s);
}

TEST(PlayFileTest, AviFromTheProgramsWriterAgreesWithTheManifest) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(AwkwardSpec());
    for (const char* name : {"clip.avi", "clip.mp4"}) {
        const std::string path = temp.File(name);
        WriteWith<CVekAviFileWirte>(path, s.bytes);
        std::string why;
        auto file = PlayFile::Open(path.c_str(), &why);
        ASSERT_TRUE(file) << why;
        EXPECT_EQ(file->kind(), FileKind::kAvi);
        // From the first key frame; audio only once video has been written.
        std::vector<ManifestLine> want;
        bool video = false;
        for (const ManifestLine& m : Sound(Manifest(s))) {
            video = video || m.type == 'I';
            if (video)
                want.push_back(m);
        }
        ExpectFramesMatch(*file, want, s);
    }
}

TEST(PlayFileTest, AviWhoseWritingWasCutShortStillReads) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(AwkwardSpec());
    const std::string path = temp.File("cut.avi");
    WriteWith<CVekAviFileWirte>(path, s.bytes);
    std::vector<uint8_t> bytes = ReadFile(path);
    std::string why;
    const size_t full = PlayFile::Open(path.c_str(), &why)->count();

    // No index at the end (the program died while writing) and the last chunk cut.
    const uint8_t idx[] = {'i', 'd', 'x', '1'};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(idx), std::end(idx));
    ASSERT_NE(at, bytes.end());
    bytes.resize(static_cast<size_t>(at - bytes.begin()) - 30);
    // And one chunk in the middle with a damaged length.
    const uint8_t dc[] = {'0', '0', 'd', 'c'};
    const auto chunk = std::search(bytes.begin() + 20000, bytes.end(), std::begin(dc), std::end(dc));
    ASSERT_NE(chunk, bytes.end());
    platform::PutU32(&*chunk + 4, 0x7FFFFFF0);
    WriteFile(path, bytes);
    auto file = PlayFile::Open(path.c_str(), &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->count(), full - 2);
    for (size_t i = 0; i < file->count(); i++) {
        Frame f;
        ASSERT_TRUE(file->Read(i, &f)) << i;
    }
}

TEST(PlayFileTest, DamagedAndForeignFiles) {
    const vektest::TempDir temp;
    std::string why;
    EXPECT_FALSE(PlayFile::Open(temp.File("does-not-exist.264").c_str(), &why));
    EXPECT_FALSE(PlayFile::Open(nullptr, &why));

    const std::string path = temp.File("damaged.264");
    WriteFile(path, {});
    EXPECT_FALSE(PlayFile::Open(path.c_str(), &why)) << "empty";
    WriteFile(path, std::vector<uint8_t>(100000, 'V'));
    EXPECT_FALSE(PlayFile::Open(path.c_str(), &why)) << "no frame";
    std::vector<uint8_t> riff(5000, 0xFF);
    const uint8_t riffHead[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '};
    std::copy(std::begin(riffHead), std::end(riffHead), riff.begin());
    WriteFile(path, riff);
    EXPECT_FALSE(PlayFile::Open(path.c_str(), &why)) << "an AVI of someone else's";

    // A raw stream cut in its last frame: the frames before it remain.
    const vektools::Stream s = vektools::BuildStream(test::CardSpec(20));
    std::vector<uint8_t> cut(s.bytes.begin(), s.bytes.begin() + static_cast<long>(s.frames[19].offset + 50));
    WriteFile(path, cut);
    auto file = PlayFile::Open(path.c_str(), &why);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->count(), 19u);

    // A container whose index offset points anywhere: the frames still read.
    const std::string container = temp.File("damaged_container.264");
    WriteWith<CVek264FileWirte>(container, s.bytes);
    std::vector<uint8_t> bytes = ReadFile(container);
    platform::PutU64(bytes.data() + 16, 0xFFFFFFFFFFFF0000ULL);
    WriteFile(container, bytes);
    file = PlayFile::Open(container.c_str(), &why);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->count(), 20u);
    // The index has a ceiling.
    EXPECT_EQ(PlayFile::Open(container.c_str(), &why, 7)->count(), 7u);
    // Frames that change on disk after opening are checked again when read.
    bytes[56] = 'X';
    WriteFile(container, bytes);
    Frame f;
    EXPECT_FALSE(file->Read(0, &f));
    EXPECT_TRUE(file->Read(1, &f));
    EXPECT_FALSE(file->Read(20, &f));
}

TEST(PlayFileTest, TimeRangeAndKeyFrameLookup) {
    const vektest::TempDir temp;
    vektools::StreamSpec recipe = test::CardSpec(100, 25);
    recipe.audio = true;
    recipe.audioLeadUs = 500000;  // audio before the first picture does not count
    const vektools::Stream s = vektools::BuildStream(recipe);
    const std::string path = temp.File("range.264");
    WriteFile(path, s.bytes);
    std::string why;
    auto file = PlayFile::Open(path.c_str(), &why);
    ASSERT_TRUE(file);
    uint64_t first = 0, last = 0;
    ASSERT_TRUE(file->TimeRange(&first, &last));
    EXPECT_EQ(first, recipe.startUs);
    EXPECT_EQ(last, recipe.startUs + 99 * 40000);
    const auto key = [&](uint64_t t) { return file->frames()[file->KeyFrameAtOrBefore(t)].time; };
    EXPECT_EQ(key(recipe.startUs + 30 * 40000), recipe.startUs + 25 * 40000);
    EXPECT_EQ(key(recipe.startUs + 25 * 40000), recipe.startUs + 25 * 40000);
    EXPECT_EQ(key(recipe.startUs + 25 * 40000 - 1), recipe.startUs);
    EXPECT_EQ(key(0), recipe.startUs) << "before the file: its first key frame";
    EXPECT_EQ(key(UINT64_MAX), recipe.startUs + 75 * 40000);
}

// ---- a file instance playing ----------------------------------------------------------

class FilePlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        inst_ = Instance::Create(1, InstanceKind::kFile, host_);
        inst_->SetNotify(0x77, 11, 0);
    }
    void TearDown() override { inst_->Shutdown(); }
    VirtualClock& clock() { return host_->vclock(); }
    uint64_t ShownMarker() {
        const PicturePtr p = inst_->LastPicture();
        uint64_t t = 0;
        EXPECT_TRUE(p && ReadCardMarker(*p, &t));
        return t;
    }

    std::shared_ptr<test::TestHost> host_ = std::make_shared<test::TestHost>();
    std::shared_ptr<Instance> inst_;
};

TEST_F(FilePlayTest, EachKindPlaysToItsEndAndNotifiesOnce) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(test::CardSpec(50, 10));
    const std::string raw = temp.File("play.264"), container = temp.File("play_c.264"),
                      avi = temp.File("play.avi");
    WriteFile(raw, s.bytes);
    WriteWith<CVek264FileWirte>(container, s.bytes);
    WriteWith<CVekAviFileWirte>(avi, s.bytes);
    for (const std::string& path : {raw, container, avi}) {
        SCOPED_TRACE(path);
        host_->Clear();
        ASSERT_EQ(inst_->OpenFile(path.c_str()), 0);
        uint64_t first = 0, last = 0;
        ASSERT_EQ(inst_->FileTimeRange(&first, &last), 0);
        EXPECT_EQ(first, s.frames.front().timeUs);
        EXPECT_EQ(last, s.frames.back().timeUs);
        ASSERT_EQ(inst_->SetMode(kModeFast16), 0);
        inst_->Start();
        ASSERT_TRUE(clock().RunFor(50 * 40000 / 16 + 1000));
        const auto shown = host_->shown();
        ASSERT_EQ(shown.size(), 50u);
        for (size_t k = 0; k < 50; k++)
            EXPECT_EQ(shown[k].time, s.frames[k].timeUs);
        EXPECT_EQ(host_->CountPosts(kCodeEnd), 1);
        ASSERT_TRUE(clock().RunFor(1000000));
        EXPECT_EQ(host_->CountPosts(kCodeEnd), 1);
        EXPECT_EQ(inst_->PlayedTime(), s.frames.back().timeUs);
        inst_->Stop();
        ASSERT_EQ(inst_->CloseFile(), 0);
        EXPECT_EQ(inst_->PlayedTime(), 0u);
    }
    EXPECT_EQ(inst_->FileTimeRange(nullptr, nullptr), -1) << "no file open";
    EXPECT_EQ(inst_->OpenFile(temp.File("none.avi").c_str()), -1);
}

TEST_F(FilePlayTest, SeekShowsTheFrameAtTheTimeDecodedFromTheKeyFrameBefore) {
    const vektest::TempDir temp;
    const vektools::Stream s = vektools::BuildStream(test::CardSpec(100, 25));
    const std::string path = temp.File("seek.264");
    WriteFile(path, s.bytes);
    ASSERT_EQ(inst_->OpenFile(path.c_str()), 0);
    // Not started: a seek still shows its picture.
    ASSERT_EQ(inst_->SetPlayedTime(s.frames[37].timeUs + 10), 0);
    ASSERT_TRUE(clock().RunFor(1000000));
    EXPECT_EQ(inst_->PlayedTime(), s.frames[37].timeUs);
    EXPECT_EQ(ShownMarker(), s.frames[37].timeUs);
    EXPECT_EQ(host_->shown().size(), 1u) << "frames 25..36 were decoded, not shown";
    EXPECT_EQ(inst_->stats().decoded, 13u);

    // As the file player seeks: set, stop, start; play goes on from there. The
    // seek's picture is shown first (settled), so that the start, which shows
    // the next frame at once, always follows it.
    ASSERT_EQ(inst_->SetPlayedTime(s.frames[60].timeUs), 0);
    ASSERT_TRUE(clock().Settle());
    EXPECT_EQ(inst_->PlayedTime(), s.frames[60].timeUs);
    inst_->Stop();
    inst_->Start();
    ASSERT_EQ(inst_->SetMode(kModeNormal), 0);
    ASSERT_TRUE(clock().RunFor(40000 * 3 - 1));
    EXPECT_EQ(inst_->PlayedTime(), s.frames[63].timeUs);

    // Stop and start keep the position.
    inst_->Stop();
    ASSERT_TRUE(clock().RunFor(5000000));
    EXPECT_EQ(inst_->PlayedTime(), s.frames[63].timeUs);
    inst_->Start();
    ASSERT_TRUE(clock().RunFor(40000));
    EXPECT_EQ(inst_->PlayedTime(), s.frames[65].timeUs);

    EXPECT_EQ(inst_->SetPlayedTime(0), 0) << "before the file: its start";
    ASSERT_TRUE(clock().RunFor(1000));
    EXPECT_EQ(inst_->PlayedTime(), s.frames[0].timeUs);
}

}  // namespace
}  // namespace vekplay
