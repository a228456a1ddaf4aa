// tools/mkstream_main.cpp
//
// mkstream: writes a deterministic "VkFm" frame stream (.264) and its manifest.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/cli_args.h"
#include "tools/framestream.h"
#include "tools/h264_split.h"

namespace {

const char kUsage[] =
    "usage: mkstream -o STREAM.264 [-m MANIFEST] [options]\n"
    "\n"
    "Writes a deterministic stream of \"VkFm\" frames (40-byte header, payload padded\n"
    "to 8 bytes, extension) and a manifest with one line per frame (number, offset,\n"
    "type, size, time_us, space, ext, junk_before); JSON when the manifest name ends\n"
    "in .json or with --json.\n"
    "\n"
    "  --seed N                 payload seed (default 1)\n"
    "  --channel N              channel in every header (default 0)\n"
    "  --start-us N             time of the first video frame, microseconds since 1970\n"
    "                           (default 1709640000000000, 2024-03-05 12:00:00 UTC)\n"
    "  --frames N               video frames (default 100; with --h264: every unit)\n"
    "  --seconds N              video frames for N seconds at the frame rate\n"
    "  --fps N                  frame rate stored in video headers (default 25; 0 allowed)\n"
    "  --gop N                  a key frame every N video frames (default 25; 0: only one)\n"
    "  --keys-per-second N      key frames at this rate instead of --gop\n"
    "  --leading-p N            P frames before the first key frame\n"
    "  --width N --height N     picture size in video headers (default 352x288)\n"
    "  --video-codec N          codec byte of video headers (default 0)\n"
    "  --i-size MIN:MAX         key frame payload sizes (default 2000:6000)\n"
    "  --p-size MIN:MAX         P frame payload sizes (default 200:1200)\n"
    "  --audio RATE:CH:BITS:BLOCK:CODEC\n"
    "                           interleave audio frames (e.g. 8000:1:8:164:1, A-law);\n"
    "                           BLOCK includes the 4-byte block prefix\n"
    "  --audio g711a|g711u      the same for 8 kHz mono G.711 A-law (codec 1) or\n"
    "                           mu-law (codec 2), 160-byte blocks (20 ms)\n"
    "  --audio-blocks N         audio blocks per audio frame (default 1)\n"
    "  --audio-lead-us N        audio starts this long before the first video frame\n"
    "  --ext N                  extension units (8 bytes) after every frame\n"
    "  --junk EVERY:LENGTH      LENGTH junk bytes in front of every EVERYth frame\n"
    "  --size-at FRAME:PAYLOAD  payload size of stream frame FRAME (repeatable);\n"
    "                           e.g. 511960 makes a 512,000-byte frame, 511961 one over\n"
    "  --h264 FILE              video payloads are the access units of an H.264\n"
    "                           Annex-B stream (IDR units become 'I'); picture size from\n"
    "                           its SPS unless given. Make one with:\n"
    "                           ffmpeg -f lavfi -i testsrc=size=352x288:rate=25 -t 4\n"
    "                             -c:v libx264 -g 25 -bf 0 -f h264 out.h264\n"
    "  --json                   JSON manifest\n";

int Usage(const std::string& why) {
    if (!why.empty())
        std::fprintf(stderr, "mkstream: %s\n", why.c_str());
    std::fputs(kUsage, why.empty() ? stdout : stderr);
    return why.empty() ? 0 : 2;
}

bool ParseRange(const std::string& s, uint32_t* lo, uint32_t* hi) {
    const auto parts = vektools::SplitColons(s);
    return parts.size() == 2 && vektools::ParseUnsigned(parts[0], lo, 0xFFFFFFFF) &&
           vektools::ParseUnsigned(parts[1], hi, 0xFFFFFFFF) && *lo <= *hi;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vektools;
    StreamSpec recipe;
    recipe.startUs = 1709640000000000ULL;
    std::string out, manifest, h264;
    bool json = false;
    bool framesGiven = false;
    uint32_t seconds = 0;
    CliArgs args(argc, argv);
    while (!args.Done()) {
        const std::string opt = args.Next();
        std::string v;
        const auto need = [&]() { return args.Value(&v); };
        bool ok = true;
        if (opt == "-h" || opt == "--help")
            return Usage("");
        if (opt == "--json") {
            json = true;
            continue;
        }
        if (!need())
            return Usage(opt + " needs a value");
        if (opt == "-o") {
            out = v;
        } else if (opt == "-m") {
            manifest = v;
        } else if (opt == "--seed") {
            ok = ParseUnsigned(v, &recipe.seed, 0xFFFFFFFF);
        } else if (opt == "--channel") {
            ok = ParseUnsigned(v, &recipe.channel, 255);
        } else if (opt == "--start-us") {
            ok = ParseUnsigned(v, &recipe.startUs, UINT64_MAX);
        } else if (opt == "--frames") {
            ok = ParseUnsigned(v, &recipe.videoFrames, 10000000);
            framesGiven = true;
        } else if (opt == "--seconds") {
            ok = ParseUnsigned(v, &seconds, 86400);
        } else if (opt == "--fps") {
            ok = ParseUnsigned(v, &recipe.fps, 255);
        } else if (opt == "--gop") {
            ok = ParseUnsigned(v, &recipe.gop, 0xFFFFFFFF);
        } else if (opt == "--keys-per-second") {
            ok = ParseUnsigned(v, &recipe.keysPerSecond, 255);
        } else if (opt == "--leading-p") {
            ok = ParseUnsigned(v, &recipe.leadingP, 0xFFFFFFFF);
        } else if (opt == "--width") {
            ok = ParseUnsigned(v, &recipe.width, 0xFFFF);
        } else if (opt == "--height") {
            ok = ParseUnsigned(v, &recipe.height, 0xFFFF);
        } else if (opt == "--video-codec") {
            ok = ParseUnsigned(v, &recipe.videoCodec, 255);
        } else if (opt == "--i-size") {
            ok = ParseRange(v, &recipe.iMin, &recipe.iMax);
        } else if (opt == "--p-size") {
            ok = ParseRange(v, &recipe.pMin, &recipe.pMax);
        } else if (opt == "--audio") {
            if (v == "g711a")
                v = "8000:1:8:164:1";
            else if (v == "g711u")
                v = "8000:1:8:164:2";
            const auto p = SplitColons(v);
            AudioParams& a = recipe.audioParams;
            ok = p.size() == 5 && ParseUnsigned(p[0], &a.rate, 0xFFFFFFFF) &&
                 ParseUnsigned(p[1], &a.channels, 255) && ParseUnsigned(p[2], &a.bits, 127) &&
                 ParseUnsigned(p[3], &a.block, 0xFFFF) && ParseUnsigned(p[4], &a.codec, 255);
            recipe.audio = true;
        } else if (opt == "--audio-blocks") {
            ok = ParseUnsigned(v, &recipe.audioParams.blocksPerFrame, 0xFFFF);
        } else if (opt == "--audio-lead-us") {
            ok = ParseUnsigned(v, &recipe.audioLeadUs, UINT64_MAX);
        } else if (opt == "--ext") {
            ok = ParseUnsigned(v, &recipe.extUnits, 255);
        } else if (opt == "--junk") {
            const auto p = SplitColons(v);
            ok = p.size() == 2 && ParseUnsigned(p[0], &recipe.junkEvery, 0xFFFFFFFF) &&
                 ParseUnsigned(p[1], &recipe.junkLength, 0xFFFFFF);
        } else if (opt == "--size-at") {
            const auto p = SplitColons(v);
            SizeOverride o;
            ok = p.size() == 2 && ParseUnsigned(p[0], &o.frame, 0xFFFFFFFF) &&
                 ParseUnsigned(p[1], &o.payload, 0x0FFFFFFF);
            recipe.sizes.push_back(o);
        } else if (opt == "--h264") {
            h264 = v;
        } else {
            return Usage("unknown option " + opt);
        }
        if (!ok)
            return Usage("bad value for " + opt + ": " + v);
    }
    if (out.empty())
        return Usage("-o is required");
    if (seconds)
        recipe.videoFrames = seconds * (recipe.fps ? recipe.fps : 25u);

    std::vector<AccessUnit> units;
    if (!h264.empty()) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (!ReadWholeFile(h264, &bytes, &error)) {
            std::fprintf(stderr, "mkstream: %s\n", error.c_str());
            return 1;
        }
        units = SplitAccessUnits(bytes.data(), bytes.size());
        if (units.empty()) {
            std::fprintf(stderr, "mkstream: %s holds no H.264 access units\n", h264.c_str());
            return 1;
        }
        uint16_t w = 0, h = 0;
        if (FindPictureSize(units, &w, &h)) {
            recipe.width = w;
            recipe.height = h;
        }
        recipe.accessUnits = &units;
        if (!framesGiven && !seconds)
            recipe.videoFrames = static_cast<uint32_t>(units.size());
    }

    const Stream stream = BuildStream(recipe);
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(stream.bytes.data()),
               static_cast<std::streamsize>(stream.bytes.size()));
    if (!file.good()) {
        std::fprintf(stderr, "mkstream: cannot write %s\n", out.c_str());
        return 1;
    }
    if (!manifest.empty()) {
        std::ofstream m(manifest, std::ios::binary);
        if (json || (manifest.size() > 5 && manifest.compare(manifest.size() - 5, 5, ".json") == 0))
            WriteStreamManifestJson(m, stream.frames);
        else
            WriteStreamManifestText(m, stream.frames);
        if (!m.good()) {
            std::fprintf(stderr, "mkstream: cannot write %s\n", manifest.c_str());
            return 1;
        }
    }
    std::printf("mkstream: %zu frames, %zu bytes -> %s\n", stream.frames.size(), stream.bytes.size(),
                out.c_str());
    return 0;
}
