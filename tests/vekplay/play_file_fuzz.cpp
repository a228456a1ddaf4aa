// libFuzzer target: the playback library's file readers open mutated files of
// every kind they read.
//
// The input picks a base file and then carries patches; or it is the file
// itself. The bases are made once from one generated frame stream (delta frames
// before the first key frame, audio, extension bytes, junk): the raw stream, the
// .264 container and the AVI file the program's own writers make of it, and
// that AVI file cut short before its index. A patch writes bytes or a
// little-endian word, cuts the file or takes bytes out of it, at an offset of
// its own or near a landmark of the base (a magic, a chunk tag, the container's
// index). The file is opened (sometimes with a small frame limit) and every
// frame found is read back.
//
// Checked: the kind follows the first bytes; the index holds at least one and
// at most the limit of frames, in file order, none overlapping another, each
// wholly inside the file (a container's inside its frame area) and agreeing
// with the bytes there (magic, type, length, time; an AVI chunk's tag and
// length, its trailer); every frame reads back with those values and bytes,
// and reading past the last one fails; the time range and the key frame at or
// before a time are what the index says.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/avi_file_writer.h"
#include "media/vek264_file_writer.h"
#include "platform/le_bytes.h"
#include "tests/common/fuzz_input.h"
#include "tools/framestream.h"
#include "vekplay/play_file.h"

namespace {

using platform::FourCC;
using platform::GetU32;
using platform::GetU64;
using vekplay::FileFrame;
using vekplay::FileKind;
using vekplay::PlayFile;

using Input = vektest::FuzzInput;

using vektest::Check;
constexpr size_t kHeader = media::kFrameHeaderSize;

struct Base {
    std::vector<uint8_t> bytes;
    std::vector<uint64_t> landmarks;  // offsets worth aiming a patch at
};

std::vector<uint8_t> ReadBack(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    std::remove(path.c_str());
    return bytes;
}

template <typename Writer>
std::vector<uint8_t> Written(const std::vector<uint8_t>& stream, const char* extension) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("play_file_fuzz_" + std::to_string(getpid()) + extension))
            .string();
    Writer w;
    if (w.Open(path.c_str()) != 1)
        std::abort();
    for (size_t at = 0; at < stream.size(); at += 1000)
        w.Write(stream.data() + at, static_cast<unsigned>(std::min<size_t>(1000, stream.size() - at)));
    if (w.Close() != 1)
        std::abort();
    return ReadBack(path);
}

size_t Find(const std::vector<uint8_t>& b, const char* word) {
    for (size_t i = b.size() >= 4 ? b.size() - 4 : 0; i > 0; i--)
        if (std::memcmp(&b[i], word, 4) == 0)
            return i;
    return b.size();
}

Base WithLandmarks(std::vector<uint8_t> bytes) {
    Base base;
    base.landmarks = {0, 16};
    static const char* const kWords[] = {"VkFm", "00db", "00dc", "01wb", "idx1", "LIST", "JUNK", "List"};
    for (size_t i = 0; i + 4 <= bytes.size(); i++)
        for (const char* w : kWords)
            if (std::memcmp(&bytes[i], w, 4) == 0)
                base.landmarks.push_back(i);
    base.bytes = std::move(bytes);
    return base;
}

// 0 the raw stream, 1 the container, 2 the AVI file, 3 the AVI file cut short.
const Base& BaseFile(int which) {
    static const std::vector<Base> bases = [] {
        vektools::StreamSpec recipe;
        recipe.seed = 5;
        recipe.channel = 1;
        recipe.startUs = 1709640000000000ULL;
        recipe.videoFrames = 24;
        recipe.gop = 8;
        recipe.leadingP = 2;
        recipe.audio = true;
        recipe.extUnits = 1;
        recipe.junkEvery = 5;
        recipe.junkLength = 9;
        recipe.iMin = 60, recipe.iMax = 200;
        recipe.pMin = 20, recipe.pMax = 80;
        const std::vector<uint8_t> stream = vektools::BuildStream(recipe).bytes;
        const std::vector<uint8_t> avi = Written<CVekAviFileWirte>(stream, ".avi");
        const std::vector<uint8_t> cut(avi.begin(), avi.begin() + static_cast<long>(Find(avi, "idx1")));
        return std::vector<Base>{WithLandmarks(stream),
                                 WithLandmarks(Written<CVek264FileWirte>(stream, ".264")), WithLandmarks(avi),
                                 WithLandmarks(cut)};
    }();
    return bases[static_cast<size_t>(which)];
}

std::vector<uint8_t> Patched(const Base& base, Input& in) {
    std::vector<uint8_t> b = base.bytes;
    for (int patches = 0; !in.Empty() && patches < 32 && !b.empty(); patches++) {
        const uint8_t op = in.U8();
        size_t at = 0;
        if (op & 0x80) {
            at = in.U32() % b.size();
        } else {
            const uint64_t mark = base.landmarks[in.U8() % base.landmarks.size()];
            at = static_cast<size_t>(std::min<uint64_t>(mark + in.U8() % 64, b.size() - 1));
        }
        switch (op & 3) {
            case 0:
                for (size_t n = 1 + in.U8() % 8; n > 0 && at < b.size(); n--)
                    b[at++] = in.U8();
                break;
            case 1:
                if (at + 4 <= b.size())
                    platform::PutU32(&b[at], in.U32());
                break;
            case 2:
                b.resize(at);
                break;
            default:
                b.erase(b.begin() + static_cast<long>(at),
                        b.begin() + static_cast<long>(std::min(b.size(), at + 1 + in.U8())));
                break;
        }
    }
    return b;
}

// The file the reader opens: an in-memory file, rewritten for every input.
class MemFile {
  public:
    MemFile() : fd_(memfd_create("play_file_fuzz", 0)) {
        if (fd_ < 0)
            std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    void Set(const std::vector<uint8_t>& bytes) {
        if (ftruncate(fd_, 0) != 0)
            std::abort();
        if (!bytes.empty() &&
            pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            std::abort();
    }
    const char* Path() const { return path_.c_str(); }

  private:
    int fd_;
    std::string path_;
};

FileKind KindOf(const std::vector<uint8_t>& b) {
    if (b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 && std::memcmp(&b[8], "AVI ", 4) == 0)
        return FileKind::kAvi;
    if (b.size() >= 8 && std::memcmp(b.data(), "ALVkFile", 8) == 0)
        return FileKind::kContainer;
    return FileKind::kRaw;
}

// The frame at `f` of a raw stream or container against the file's bytes.
void CheckStreamFrame(const std::vector<uint8_t>& b, const FileFrame& f, const vekplay::Frame& read) {
    const uint8_t* h = &b[f.offset];
    Check(GetU32(h) == media::kMagicFrame && h[4] == f.type && GetU32(h + 12) == f.size &&
          GetU64(h + 16) == f.time);
    Check(std::memcmp(read.bytes.data(), h, kHeader + f.size) == 0);
}

// The chunk at `f` of an AVI file against the file's bytes; its end.
uint64_t CheckAviFrame(const std::vector<uint8_t>& b, const FileFrame& f, const vekplay::Frame& read) {
    const bool audio = f.type == 'A';
    const uint32_t trailer = audio ? kAviAudioTrailer : 40;
    Check(f.offset >= 8 && f.offset + f.stored + trailer <= b.size());
    const uint32_t tag = GetU32(&b[f.offset - 8]);
    Check(tag == FourCC(audio ? "01wb" : f.type == 'I' ? "00db" : "00dc"));
    Check(GetU32(&b[f.offset - 4]) == f.stored && f.size == f.stored + (audio ? 4 : 0));
    const uint8_t* t = &b[f.offset + f.stored];
    Check(GetU32(t) == media::kMagicFrame && t[4] == f.type && GetU64(t + 16) == f.time);
    const uint8_t* payload = read.bytes.data() + kHeader;
    if (audio) {
        Check(std::memcmp(payload, t + kHeader, 4) == 0);
        payload += 4;
    }
    Check(std::memcmp(payload, &b[f.offset], f.stored) == 0);
    return f.offset + f.stored + trailer;
}

void CheckTimes(const PlayFile& file, Input& in) {
    const auto& frames = file.frames();
    bool anyVideo = false;
    uint64_t lo = UINT64_MAX, hi = 0;
    for (const FileFrame& f : frames) {
        if (f.type == 'A')
            continue;
        anyVideo = true;
        lo = std::min(lo, f.time);
        hi = std::max(hi, f.time);
    }
    uint64_t first = 0, last = 0;
    Check(file.TimeRange(&first, &last) == anyVideo);
    if (anyVideo)
        Check(first == lo && last == hi);

    std::vector<uint64_t> probes = {0, UINT64_MAX, in.U64()};
    for (size_t i = 0; i < frames.size() && probes.size() < 12; i++)
        if (frames[i].type == 'I')
            probes.insert(probes.end(), {frames[i].time, frames[i].time - 1});
    for (const uint64_t t : probes) {
        bool anyKey = false, anyBefore = false;
        uint64_t earliest = UINT64_MAX, latestBefore = 0;
        for (const FileFrame& f : frames) {
            if (f.type != 'I')
                continue;
            anyKey = true;
            earliest = std::min(earliest, f.time);
            if (f.time <= t) {
                anyBefore = true;
                latestBefore = std::max(latestBefore, f.time);
            }
        }
        const size_t k = file.KeyFrameAtOrBefore(t);
        if (!anyKey) {
            Check(k == PlayFile::kNone);
            continue;
        }
        Check(k < frames.size() && frames[k].type == 'I');
        Check(frames[k].time == (anyBefore ? latestBefore : earliest));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const uint8_t pick = in.U8();
    const uint8_t limit = in.U8();
    const size_t maxFrames = limit & 0x80 ? 1 + (limit & 0x3f) : PlayFile::kMaxIndexedFrames;
    const std::vector<uint8_t> bytes = pick % 5 == 0 ? in.Rest() : Patched(BaseFile(pick % 5 - 1), in);

    static MemFile file;
    file.Set(bytes);
    std::string why;
    std::unique_ptr<PlayFile> f = PlayFile::Open(file.Path(), &why, maxFrames);
    if (!f) {
        Check(!why.empty());
        return 0;
    }
    const FileKind kind = f->kind();
    Check(kind == KindOf(bytes));
    Check(f->count() >= 1 && f->count() <= maxFrames);

    // Where frames may lie: a container's between its header and its index.
    uint64_t next = 0, end = bytes.size();
    if (kind == FileKind::kContainer) {
        next = 56;
        const uint64_t index = bytes.size() >= 24 ? GetU64(&bytes[16]) : 0;
        if (index >= 56 && index <= end)
            end = index;
    }
    for (size_t i = 0; i < f->count(); i++) {
        const FileFrame fr = f->frames()[i];
        Check(fr.type == 'I' || fr.type == 'P' || fr.type == 'A');
        Check(fr.size <= media::kMaxFramePayload);
        vekplay::Frame read;
        Check(f->Read(i, &read));
        Check(read.type() == fr.type && read.payloadSize() == fr.size && read.time() == fr.time &&
              read.bytes.size() == kHeader + fr.size);
        if (kind == FileKind::kAvi) {
            Check(fr.offset >= next + 8);
            next = CheckAviFrame(bytes, fr, read);
        } else {
            Check(fr.offset >= next && fr.offset + kHeader + fr.size <= end);
            CheckStreamFrame(bytes, fr, read);
            next = fr.offset + kHeader + fr.size;
        }
    }
    vekplay::Frame none;
    Check(!f->Read(f->count(), &none));
    CheckTimes(*f, in);
    return 0;
}
