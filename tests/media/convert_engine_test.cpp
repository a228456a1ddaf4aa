// tests/media/convert_engine_test.cpp
#include "media/convert_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "media/avi_file_writer.h"
#include "tests/media/writer_test_support.h"
#include "tools/framestream.h"

namespace {

using namespace media_test;

struct Progress {
    std::vector<int> perMille;
    std::vector<uint64_t> elapsed;
    C264ToAviEngine::ProgressFn Fn() {
        return [this](int p, uint64_t ms) {
            perMille.push_back(p);
            elapsed.push_back(ms);
        };
    }
};

vektools::Stream SomeStream(uint32_t frames) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = frames;
    recipe.audio = true;
    recipe.iMin = 20000, recipe.iMax = 40000, recipe.pMin = 3000, recipe.pMax = 9000;
    return BuildStream(recipe);
}

// The AVI file the writer makes from the whole stream in one call.
Bytes Reference(const ScratchDir& dir, const Bytes& stream) {
    const std::string path = dir.Path("reference.avi");
    CVekAviFileWirte w;
    EXPECT_EQ(w.Open(path.c_str()), 1);
    w.Write(stream.data(), static_cast<unsigned>(stream.size()));
    EXPECT_EQ(w.Close(), 1);
    return ReadFile(path);
}

TEST(ProgressPerMille, ReachesOneThousandOnlyAtTheEndAndNeverDividesByZero) {
    EXPECT_EQ(ProgressPerMille(0, 0), 1000);
    EXPECT_EQ(ProgressPerMille(5, 0), 1000);
    EXPECT_EQ(ProgressPerMille(0, 10), 0);
    EXPECT_EQ(ProgressPerMille(5, 10), 500);
    EXPECT_EQ(ProgressPerMille(9999, 10000), 999);
    EXPECT_EQ(ProgressPerMille((1ull << 60) - 1, 1ull << 60), 999);
    EXPECT_EQ(ProgressPerMille(10, 10), 1000);
    EXPECT_EQ(ProgressPerMille(11, 10), 1000);
    // File sizes past 4 GB.
    EXPECT_EQ(ProgressPerMille(3ull << 31, 6ull << 31), 500);
}

TEST(C264ToAviEngine, AnEmptySourceGivesAValidEmptyAviFile) {
    ScratchDir dir;
    const std::string src = dir.Path("empty.264"), dst = dir.Path("empty.avi");
    WriteFile(src, {});
    Progress p;
    const std::atomic<bool> stop{false};
    const ConvertReport r = C264ToAviEngine::Convert(src.c_str(), dst.c_str(), stop, p.Fn());
    EXPECT_EQ(r.result, ConvertResult::Done);
    EXPECT_EQ(r.sourceSize, 0u);
    EXPECT_EQ(p.perMille, std::vector<int>{1000});
    const AviFile f = ReadAvi(dst);
    EXPECT_EQ(f.bytes.size(), 2048u + 8 + 8);
    EXPECT_TRUE(f.chunks.empty());
}

// 2.5 blocks: the last read is short, only its bytes reach the writer, and the
// file equals the one the writer makes from the whole stream at once.
TEST(C264ToAviEngine, ASourceNotAMultipleOfTheBlockEndsAt1000WithEveryFrameOnce) {
    ScratchDir dir;
    vektools::Stream s = SomeStream(60);
    s.bytes.resize(kConvertBlockSize * 5 / 2);  // the cut ends inside a frame
    const std::string src = dir.Path("in.264"), dst = dir.Path("out.avi");
    WriteFile(src, s.bytes);
    Progress p;
    const std::atomic<bool> stop{false};
    const ConvertReport r = C264ToAviEngine::Convert(src.c_str(), dst.c_str(), stop, p.Fn());
    EXPECT_EQ(r.result, ConvertResult::Done);
    EXPECT_EQ(r.bytesRead, s.bytes.size());
    EXPECT_EQ(p.perMille, (std::vector<int>{400, 800, 1000}));
    for (size_t i = 1; i < p.elapsed.size(); i++)
        EXPECT_GE(p.elapsed[i], p.elapsed[i - 1]);
    const Bytes out = ReadFile(dst);
    EXPECT_EQ(out, Reference(dir, s.bytes));
    EXPECT_FALSE(ReadAvi(dst).chunks.empty());
}

TEST(C264ToAviEngine, StopsAfterTheBlockItIsWritingAndFinishesTheFile) {
    ScratchDir dir;
    const vektools::Stream s = SomeStream(200);
    ASSERT_GT(s.bytes.size(), 3u * kConvertBlockSize);
    const std::string src = dir.Path("in.264"), dst = dir.Path("out.avi");
    WriteFile(src, s.bytes);
    std::atomic<bool> stop{false};
    std::vector<int> seen;
    const ConvertReport r =
        C264ToAviEngine::Convert(src.c_str(), dst.c_str(), stop, [&](int perMille, uint64_t) {
            seen.push_back(perMille);
            stop = true;  // asked while the first block is being handled
        });
    EXPECT_EQ(r.result, ConvertResult::Stopped);
    EXPECT_EQ(r.bytesRead, kConvertBlockSize);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_LT(seen[0], 1000);
    EXPECT_FALSE(ReadAvi(dst).chunks.empty());
    const Bytes firstBlock(s.bytes.begin(), s.bytes.begin() + kConvertBlockSize);
    EXPECT_EQ(ReadFile(dst), Reference(dir, firstBlock));
}

TEST(C264ToAviEngine, AnOutputThatCannotBeCreatedEndsCleanlyWithoutProgress) {
    ScratchDir dir;
    const std::string src = dir.Path("in.264");
    WriteFile(src, SomeStream(10).bytes);
    Progress p;
    const std::atomic<bool> stop{false};
    ConvertReport r =
        C264ToAviEngine::Convert(src.c_str(), dir.Path("no/such/dir/out.avi").c_str(), stop, p.Fn());
    EXPECT_EQ(r.result, ConvertResult::OutputError);
    EXPECT_TRUE(p.perMille.empty());
    // The source was closed: it can be removed (Windows refuses to delete open files).
    EXPECT_TRUE(std::filesystem::remove(src));

    r = C264ToAviEngine::Convert(dir.Path("missing.264").c_str(), dir.Path("x.avi").c_str(), stop, p.Fn());
    EXPECT_EQ(r.result, ConvertResult::SourceError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("x.avi")));
}

class Finished {
  public:
    C264ToAviEngine::FinishedFn Fn() {
        return [this](const ConvertReport& r) {
            std::lock_guard<std::mutex> lock(mutex_);
            reports_.push_back(r);
            changed_.notify_all();
        };
    }
    std::vector<ConvertReport> WaitFor(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(60), [&] { return reports_.size() >= n; });
        return reports_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ConvertReport> reports_;
};

TEST(C264ToAviEngine, RunsOnAWorkerReportsFinishedOnceAndRefusesASecondStart) {
    ScratchDir dir;
    const vektools::Stream s = SomeStream(40);
    const std::string src = dir.Path("in.264"), dst = dir.Path("out.avi");
    WriteFile(src, s.bytes);

    C264ToAviEngine engine;
    EXPECT_FALSE(engine.Start("", dst, nullptr, nullptr));
    EXPECT_FALSE(engine.Start(src, "", nullptr, nullptr));

    // The worker waits in its first progress call until the test has tried a
    // second start.
    std::mutex gate;
    gate.lock();
    Finished finished;
    std::atomic<int> calls{0};
    ASSERT_TRUE(engine.Start(
        src, dst,
        [&](int, uint64_t) {
            if (calls++ == 0) {
                gate.lock();
                gate.unlock();
            }
        },
        finished.Fn()));
    EXPECT_TRUE(engine.Running());
    EXPECT_FALSE(engine.Start(src, dst, nullptr, nullptr));
    gate.unlock();
    auto reports = finished.WaitFor(1);
    engine.Wait();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].result, ConvertResult::Done);
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(ReadFile(dst), Reference(dir, s.bytes));

    // A second conversion after the first one ended; a stop asked in between
    // does not carry over.
    engine.Stop();
    ASSERT_TRUE(engine.Start(src, dir.Path("second.avi"), nullptr, finished.Fn()));
    reports = finished.WaitFor(2);
    engine.Wait();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].result, ConvertResult::Done) << "Start clears the stop flag";

    // A failed output is reported as finished too.
    ASSERT_TRUE(engine.Start(src, dir.Path("none/x.avi"), nullptr, finished.Fn()));
    reports = finished.WaitFor(3);
    engine.Wait();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[2].result, ConvertResult::OutputError);
}

TEST(C264ToAviEngine, StopEndsARunningWorker) {
    ScratchDir dir;
    const std::string src = dir.Path("in.264");
    WriteFile(src, SomeStream(200).bytes);
    C264ToAviEngine engine;
    Finished finished;
    std::atomic<bool> stopAsked{false};
    ASSERT_TRUE(engine.Start(
        src, dir.Path("out.avi"),
        [&](int, uint64_t) {
            if (!stopAsked) {
                stopAsked = true;
                engine.Stop();
            }
        },
        finished.Fn()));
    const auto reports = finished.WaitFor(1);
    engine.Wait();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].result, ConvertResult::Stopped);
    EXPECT_EQ(reports[0].bytesRead, kConvertBlockSize);
}

}  // namespace
