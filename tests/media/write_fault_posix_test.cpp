// tests/media/write_fault_posix_test.cpp
//
// Writes that fail the way a full disk makes them fail: a file-size limit on
// the process (writes past it fail with EFBIG, the one that crosses it comes
// back short) and /dev/full (every write fails with ENOSPC). POSIX only.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "media/avi_file_writer.h"
#include "media/convert_engine.h"
#include "media/vek264_file_writer.h"
#include "tests/media/writer_test_support.h"
#include "tools/framestream.h"

namespace {

using namespace media_test;

// The disk is "full" at `bytes` for files written while this lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(uint64_t bytes) {
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &old_), 0);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

vektools::Stream BigStream() {
    vektools::StreamSpec recipe;
    recipe.videoFrames = 200;
    recipe.audio = true;
    recipe.iMin = 20000, recipe.iMax = 30000, recipe.pMin = 10000, recipe.pMax = 20000;
    return BuildStream(recipe);
}

AviFile WriteWhole(const std::string& path, const Bytes& stream, int* closeResult) {
    CVekAviFileWirte w;
    EXPECT_EQ(w.Open(path.c_str()), 1);
    for (size_t at = 0; at < stream.size(); at += media::kMaxFeedBlock)
        w.Write(stream.data() + at,
                static_cast<unsigned>(std::min<size_t>(media::kMaxFeedBlock, stream.size() - at)));
    *closeResult = w.Close();
    return ReadAvi(path);
}

// The disk fills up in the middle of an export: Close reports it, and the file
// is still a valid AVI. Chunks that did not reach the disk are out of the index
// and the frame times; every chunk the index lists is intact, in stream order,
// one right after the other (later chunks that fit again follow the last one
// that reached the disk).
TEST(WriteFaults, AviOnADiskThatFillsUpIsValidButReportedIncomplete) {
    ScratchDir dir;
    const vektools::Stream s = BigStream();
    ASSERT_GT(s.bytes.size(), 3u << 20);
    int ok = 0;
    const AviFile full = WriteWhole(dir.Path("full.avi"), s.bytes, &ok);
    ASSERT_EQ(ok, 1);

    const std::string path = dir.Path("cut.avi");
    {
        FileSizeLimit limit(1536 * 1024);
        AviClearLastError();
        WriteWhole(path, s.bytes, &ok);
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(AviGetLastError(), kAviErrChunk);
    }
    const AviFile cut = ReadAvi(path);
    EXPECT_LE(cut.bytes.size(), 1536u * 1024u);
    ASSERT_GT(cut.chunks.size(), 10u);
    ASSERT_LT(cut.chunks.size(), full.chunks.size());
    size_t j = 0, video = 0;
    uint32_t at = 2048;
    std::vector<uint64_t> times;
    for (size_t i = 0; i < cut.chunks.size(); i++) {
        SCOPED_TRACE(i);
        const AviChunk& c = cut.chunks[i];
        while (j < full.chunks.size() && (full.chunks[j].trailer != c.trailer ||
                                          full.chunks[j].tag != c.tag || full.chunks[j].payload != c.payload))
            j++;
        ASSERT_LT(j, full.chunks.size()) << "a chunk that the stream does not give, or out of order";
        if (i < 10) {
            EXPECT_EQ(j, i) << "the first chunks all reached the disk";
        }
        j++;
        EXPECT_EQ(c.offset, at);
        const uint32_t body = c.length + static_cast<uint32_t>(c.trailer.size());
        at += 8 + body + (body & 1);
        if (c.tag != "01wb") {
            video++;
            times.push_back(U64(c.trailer, 16));
        }
    }
    EXPECT_EQ(at, cut.idx1);
    EXPECT_EQ(cut.frameTimes, times);
    EXPECT_EQ(U32(cut.bytes, 32 + 16), video) << "avih frames";
}

TEST(WriteFaults, ContainerOnADiskThatFillsUpIsReportedIncomplete) {
    ScratchDir dir;
    const vektools::Stream s = BigStream();
    FileSizeLimit limit(256 * 1024);
    CVek264FileWirte w;
    ASSERT_EQ(w.Open(dir.Path("cut.264").c_str()), 1);
    w.Write(s.bytes.data(), static_cast<unsigned>(s.bytes.size()));
    EXPECT_EQ(w.Close(), 0);
    // The writer is reset and usable for a file that fits.
    Bytes small = MakeFrame({.type = 'I', .payload = 10, .timeUs = 1});
    ASSERT_EQ(w.Open(dir.Path("small.264").c_str()), 1);
    w.Write(small.data(), static_cast<unsigned>(small.size()));
    EXPECT_EQ(w.Close(), 1);
}

TEST(WriteFaults, NothingFitsOnAFullDevice) {
    const vektools::Stream s = BigStream();
    CVekAviFileWirte avi;
    ASSERT_EQ(avi.Open("/dev/full"), 1);
    avi.Write(s.bytes.data(), static_cast<unsigned>(s.bytes.size()));
    EXPECT_EQ(avi.Close(), 0);

    CVek264FileWirte container;
    EXPECT_EQ(container.Open("/dev/full"), 0) << "its header cannot be written";

    ScratchDir dir;
    const std::string src = dir.Path("in.264");
    WriteFile(src, s.bytes);
    const std::atomic<bool> stop{false};
    const ConvertReport r = C264ToAviEngine::Convert(src.c_str(), "/dev/full", stop, nullptr);
    EXPECT_EQ(r.result, ConvertResult::WriteError);
    EXPECT_EQ(r.bytesRead, s.bytes.size());
}

}  // namespace
