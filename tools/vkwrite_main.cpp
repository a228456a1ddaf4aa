// tools/vkwrite_main.cpp
//
// vkwrite: cuts a raw "VkFm" frame stream (as mkstream or the recorder writes
// it) into the program's .264 container or into an AVI file, through the same
// writers the program's exports use.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "media/avi_file_writer.h"
#include "media/binary_file.h"
#include "media/vek264_file_writer.h"
#include "tools/cli_args.h"

namespace {

const char kUsage[] =
    "usage: vkwrite --264|--avi IN OUT [--block N]\n"
    "\n"
    "Reads the frame stream IN in blocks and writes OUT:\n"
    "  --264      the .264 container (frames from the first key frame, key-frame index)\n"
    "  --avi      an AVI file (H.264 video chunks, audio blocks, idx1, frame times)\n"
    "  --block N  bytes handed to the writer per call (default 327680, at least 1)\n"
    "\n"
    "Exit status 0 when the file was written completely, 1 on any failure.\n";

int Usage(const std::string& why) {
    if (!why.empty())
        std::fprintf(stderr, "vkwrite: %s\n", why.c_str());
    std::fputs(kUsage, why.empty() ? stdout : stderr);
    return why.empty() ? 0 : 2;
}

template <typename Writer>
int Run(Writer& writer, const std::string& in, const std::string& out, uint32_t blockSize) {
    media::BinaryFile source;
    if (!source.Open(in.c_str(), media::BinaryFile::Mode::Read)) {
        std::fprintf(stderr, "vkwrite: cannot open %s\n", in.c_str());
        return 1;
    }
    if (!writer.Open(out.c_str())) {
        std::fprintf(stderr, "vkwrite: cannot create %s\n", out.c_str());
        return 1;
    }
    std::unique_ptr<uint8_t[]> block(new uint8_t[blockSize]);
    uint64_t total = 0;
    for (;;) {
        size_t got = 0;
        if (!source.Read(block.get(), blockSize, &got)) {
            std::fprintf(stderr, "vkwrite: cannot read %s\n", in.c_str());
            writer.Close();
            return 1;
        }
        if (got == 0)
            break;
        writer.Write(block.get(), static_cast<unsigned>(got), 0);
        total += got;
    }
    if (!writer.Close()) {
        std::fprintf(stderr, "vkwrite: writing %s failed; the file is incomplete\n", out.c_str());
        return 1;
    }
    std::printf("vkwrite: %" PRIu64 " bytes -> %s\n", total, out.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vektools;
    std::string kind;
    std::vector<std::string> paths;
    uint32_t blockSize = media::kMaxFeedBlock;
    CliArgs args(argc, argv);
    while (!args.Done()) {
        const std::string opt = args.Next();
        if (opt == "-h" || opt == "--help")
            return Usage("");
        if (opt == "--264" || opt == "--avi") {
            if (!kind.empty())
                return Usage("give one of --264 and --avi");
            kind = opt;
        } else if (opt == "--block") {
            std::string v;
            if (!args.Value(&v) || !ParseUnsigned(v, &blockSize, 0x10000000) || blockSize == 0)
                return Usage("bad value for --block");
        } else if (!opt.empty() && opt[0] == '-' && opt.size() > 1) {
            return Usage("unknown option " + opt);
        } else {
            paths.push_back(opt);
        }
    }
    if (kind.empty() || paths.size() != 2)
        return Usage("need --264 or --avi, an input and an output");
    if (kind == "--264") {
        CVek264FileWirte writer;
        return Run(writer, paths[0], paths[1], blockSize);
    }
    CVekAviFileWirte writer;
    return Run(writer, paths[0], paths[1], blockSize);
}
