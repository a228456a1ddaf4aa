// tools/mkdvrfs/mkdvrfs_main.cpp
//
// mkdvrfs: writes the demo disk in the third on-disk format (dvrfs) as a
// sparse image file, with the damage switches its reader must survive.
#include <cstdio>
#include <string>

#include "tools/cli_args.h"
#include "tools/mkdvrfs/dvrfs_image.h"

namespace {

using namespace vektools;

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: mkdvrfs -o IMAGE [-m FACTS] [options]\n"
        "       mkdvrfs --list\n"
        "\n"
        "Writes the demo dvrfs disk as a sparse image file: channels 0 to 3 over\n"
        "2024-05-06, 05-07 and 06-02, with real frame streams. With -m, one line\n"
        "per recording: number, channel, start, end, record types, first and last\n"
        "data sector, sectors, day_channel link and entry. --list prints the\n"
        "recordings.\n"
        "\n"
        "  --magic-at N            the format block in sector N (default 0; past 1024\n"
        "                          no reader finds it)\n"
        "  --group N               the format block's disk group word\n"
        "  --block-size N          the format block's block size word\n"
        "  --size BYTES            the disk's size (at least what the data needs)\n"
        "  --zero-geometry I       geometry word I (0..12) written as 0\n"
        "  --month-count CH:N      channel CH's month index claims N entries\n"
        "  --day-count REC:N       the day_channel link holding recording REC claims N entries\n"
        "  --broken-back-link REC  the link holding REC names a wrong previous link\n"
        "  --free-in-chain REC     the link holding REC is marked free\n"
        "  --bitmap-owner REC:CH   the block REC starts in belongs to channel CH\n"
        "  --last-before-position REC\n"
        "                          REC's last data sector lies before its first\n"
        "  --no-second-index REC   REC's day has no per-second index\n",
        to);
}

int Usage(const std::string& why) {
    std::fprintf(stderr, "mkdvrfs: %s\n", why.c_str());
    PrintUsage(stderr);
    return 2;
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "mkdvrfs: %s\n", why.c_str());
    return 1;
}

// "A:B" into two numbers.
bool ParsePair(const std::string& v, uint32_t* a, uint32_t* b) {
    const auto parts = SplitColons(v);
    return parts.size() == 2 && ParseUnsigned(parts[0], a, 0xFFFFFFFFu) &&
           ParseUnsigned(parts[1], b, 0xFFFFFFFFu);
}

std::string Time(const int32_t t[6]) {
    char text[48];
    std::snprintf(text, sizeof text, "20%02d-%02d-%02d %02d:%02d:%02d", t[0], t[1], t[2], t[3], t[4], t[5]);
    return text;
}

void WriteFacts(FILE* to, const DvrfsImage& image) {
    std::fprintf(to, "# partition_offset %u data_base %u bitmap_base %u disk_bytes %llu\n",
                 image.partitionOffset, image.dataBase, image.bitmapBase,
                 static_cast<unsigned long long>(image.diskBytes));
    for (size_t i = 0; i < image.recordings.size(); i++) {
        const DvrfsRecordingFacts& f = image.recordings[i];
        std::fprintf(
            to, "%zu ch=%d start=\"%s\" end=\"%s\" types=%#x first=%u last=%u sectors=%u link=%u entry=%u\n",
            i, f.channel, Time(f.start).c_str(), Time(f.end).c_str(), f.types, f.firstSector, f.lastSector,
            f.sectors, f.link, f.entryIndex);
    }
}

}  // namespace

int main(int argc, char** argv) {
    DvrfsRecipe recipe = BasicDvrfsRecipe();
    std::string output, factsPath;
    bool list = false;
    CliArgs args(argc, argv);
    while (!args.Done()) {
        const std::string opt = args.Next();
        if (opt == "-h" || opt == "--help") {
            PrintUsage(stdout);
            return 0;
        }
        if (opt == "--list") {
            list = true;
            continue;
        }
        std::string v;
        if (!args.Value(&v))
            return Usage(opt + " needs a value");
        uint32_t a = 0, b = 0;
        const auto one = [&](uint32_t max) { return ParseUnsigned(v, &a, max); };
        const auto recording = [&] { return one(static_cast<uint32_t>(recipe.recordings.size()) - 1); };
        DvrfsDamage& d = recipe.damage;
        if (opt == "-o") {
            output = v;
        } else if (opt == "-m") {
            factsPath = v;
        } else if (opt == "--magic-at" && one(0xFFFFF)) {
            recipe.partitionOffset = a;
        } else if (opt == "--group" && one(0xFFFFFFFFu)) {
            recipe.group = a;
        } else if (opt == "--block-size" && one(0xFFFFFFFFu)) {
            recipe.blockSize = a;
        } else if (opt == "--size" && ParseU64(v, &recipe.diskBytes)) {
        } else if (opt == "--zero-geometry" && one(12)) {
            d.zeroGeometryWord = static_cast<int>(a);
        } else if (opt == "--month-count" && ParsePair(v, &a, &b) && a < recipe.indexChannels) {
            d.monthCountChannel = static_cast<int>(a);
            d.monthCount = b;
        } else if (opt == "--day-count" && ParsePair(v, &a, &b) && a < recipe.recordings.size() &&
                   b <= 0xFFFF) {
            d.dayCountRecording = static_cast<int>(a);
            d.dayCount = static_cast<uint16_t>(b);
        } else if (opt == "--broken-back-link" && recording()) {
            d.brokenBackLink = static_cast<int>(a);
        } else if (opt == "--free-in-chain" && recording()) {
            d.freeLink = static_cast<int>(a);
        } else if (opt == "--bitmap-owner" && ParsePair(v, &a, &b) && a < recipe.recordings.size() &&
                   b <= 255) {
            d.bitmapOwner = static_cast<int>(a);
            d.ownerChannel = static_cast<uint8_t>(b);
        } else if (opt == "--last-before-position" && recording()) {
            d.lastBeforePosition = static_cast<int>(a);
        } else if (opt == "--no-second-index" && recording()) {
            d.noSecondIndex = static_cast<int>(a);
        } else {
            return Usage("bad option or value: " + opt + " " + v);
        }
    }

    std::string error;
    if (list) {
        NullSink nowhere;
        DvrfsImage image;
        if (!BuildDvrfsImage(recipe, nowhere, &image, &error))
            return Fail(error);
        WriteFacts(stdout, image);
        return 0;
    }
    if (output.empty())
        return Usage("-o is required");
    FileSink sink(output);
    DvrfsImage image;
    if (!BuildDvrfsImage(recipe, sink, &image, &error))
        return Fail(error);
    if (!factsPath.empty()) {
        FILE* to = std::fopen(factsPath.c_str(), "w");
        if (!to)
            return Fail("cannot write " + factsPath);
        WriteFacts(to, image);
        if (std::fclose(to) != 0)
            return Fail("cannot write " + factsPath);
    }
    return 0;
}
