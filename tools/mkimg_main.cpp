// tools/mkimg_main.cpp
//
// vekfs-mkimg: writes a recorder disk image of a named scenario to a sparse
// file with its manifest, and checks images.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/cli_args.h"
#include "tools/h264_split.h"
#include "tools/image_check.h"
#include "tools/image_scenarios.h"

namespace {

using namespace vektools;

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: vekfs-mkimg --scenario NAME [--variant V] --version 1|2 -o IMAGE [-m MANIFEST]\n"
        "                   [--h264 FILE] [--no-frame-lines] [--extract P:POS:SLOT:FILE]\n"
        "       vekfs-mkimg --check IMAGE --version 1|2 [--scenario NAME [--variant V] [--h264 FILE]]\n"
        "       vekfs-mkimg --list\n"
        "\n"
        "Writes a recorder disk image as a sparse file (large apparent size, only the\n"
        "written ranges on disk) and, with -m, a manifest of its raw facts: one line\n"
        "per partition, index copy, data file, event, key-frame entry and frame, plus\n"
        "the marks naming each special case and the damage the self-check must find.\n"
        "\n"
        "  --h264 FILE        video of every event from an H.264 Annex-B stream, access\n"
        "                     unit by access unit (each event starts at its first unit)\n"
        "  --no-frame-lines   leave the per-frame lines out of the manifest\n"
        "  --extract P:POS:SLOT:FILE\n"
        "                     also write the frames of one event (partition P, file\n"
        "                     position POS, slot SLOT) to FILE as a .264 stream\n"
        "  --check IMAGE      decode the image and report what is not as the recorder\n"
        "                     writes it; with --scenario, report only what differs from\n"
        "                     that scenario's intended damage (exit 0: as intended)\n"
        "\n"
        "Scenarios:\n",
        to);
    std::fputs(ScenarioHelp().c_str(), to);
}

int Usage(const std::string& why) {
    std::fprintf(stderr, "vekfs-mkimg: %s\n", why.c_str());
    PrintUsage(stderr);
    return 2;
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "vekfs-mkimg: %s\n", why.c_str());
    return 1;
}

bool LoadH264(const std::string& path,
              std::vector<AccessUnit>* units,
              BuildOptions* options,
              std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes, error))
        return false;
    *units = SplitAccessUnits(bytes.data(), bytes.size());
    if (units->empty()) {
        *error = path + " holds no H.264 access units";
        return false;
    }
    FindPictureSize(*units, &options->h264Width, &options->h264Height);
    options->h264 = units;
    return true;
}

int Extract(const ImageSource& image, const Manifest& m, const std::string& what) {
    const auto parts = SplitColons(what);
    int p = 0, pos = 0, slot = 0;
    if (parts.size() < 4 || !ParseUnsigned(parts[0], &p, 3) || !ParseUnsigned(parts[1], &pos, 0xFFFF) ||
        !ParseUnsigned(parts[2], &slot, 255))
        return Usage("--extract wants P:POS:SLOT:FILE");
    // The file name may hold colons itself (a drive letter).
    std::string path = parts[3];
    for (size_t i = 4; i < parts.size(); i++)
        path += ":" + parts[i];
    const EventFact* ev = m.FindEvent(p, pos, slot);
    const FileFact* file = m.FindFile(p, pos);
    if (!ev || !file || ev->indexOnly)
        return Fail("no event with frames at " + what);
    std::vector<uint8_t> bytes(ev->trueDataLength);
    if (!image.ReadAt(file->base + ev->dataStart, bytes.data(), bytes.size()))
        return Fail("cannot read the event");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.good())
        return Fail("cannot write " + path);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string scenario, variant, output, manifestPath, h264, check, extract;
    int version = 0;
    bool frameLines = true;
    CliArgs args(argc, argv);
    while (!args.Done()) {
        const std::string opt = args.Next();
        if (opt == "-h" || opt == "--help") {
            PrintUsage(stdout);
            return 0;
        }
        if (opt == "--list") {
            for (const ScenarioInfo& i : ScenarioCatalogue()) {
                std::printf("%s", i.name.c_str());
                for (const std::string& v : i.variants)
                    std::printf(" %s", v.c_str());
                std::printf("\n");
            }
            return 0;
        }
        if (opt == "--no-frame-lines") {
            frameLines = false;
            continue;
        }
        std::string v;
        if (!args.Value(&v))
            return Usage(opt + " needs a value");
        if (opt == "--scenario") {
            scenario = v;
        } else if (opt == "--variant") {
            variant = v;
        } else if (opt == "--version") {
            if (!ParseUnsigned(v, &version, 2) || version < 1)
                return Usage("--version is 1 or 2");
        } else if (opt == "-o") {
            output = v;
        } else if (opt == "-m") {
            manifestPath = v;
        } else if (opt == "--h264") {
            h264 = v;
        } else if (opt == "--check") {
            check = v;
        } else if (opt == "--extract") {
            extract = v;
        } else {
            return Usage("unknown option " + opt);
        }
    }
    if (version == 0)
        return Usage("--version is required");

    std::string error;
    std::vector<AccessUnit> units;
    BuildOptions options;
    options.recordFrames = frameLines;
    if (!h264.empty() && !LoadH264(h264, &units, &options, &error))
        return Fail(error);

    if (!check.empty()) {
        const std::unique_ptr<FileSource> image = FileSource::Open(check, &error);
        if (!image)
            return Fail(error);
        if (scenario.empty()) {
            const std::vector<Problem> problems = CheckImage(*image, version);
            for (const Problem& p : problems)
                std::printf("%s: %s\n", p.tag.c_str(), p.text.c_str());
            std::printf("%s: %zu problem(s)\n", check.c_str(), problems.size());
            return problems.empty() ? 0 : 1;
        }
        // The manifest of the scenario, without writing an image.
        ImageSpec recipe;
        Manifest manifest;
        NullSink nowhere;
        options.recordFrames = false;
        if (!MakeScenario(scenario, variant, version, &recipe, &error) ||
            !BuildImage(recipe, nowhere, &manifest, &error, options))
            return Fail(error);
        const std::vector<std::string> lines = SelfCheck(*image, manifest);
        for (const std::string& l : lines)
            std::printf("%s\n", l.c_str());
        std::printf("%s: %s\n", check.c_str(), lines.empty() ? "as intended" : "NOT as intended");
        return lines.empty() ? 0 : 1;
    }

    if (scenario.empty())
        return Usage("--scenario is required");
    if (output.empty())
        return Usage("-o is required");
    ImageSpec recipe;
    if (!MakeScenario(scenario, variant, version, &recipe, &error))
        return Usage(error);
    FileSink sink(output);
    Manifest manifest;
    if (!BuildImage(recipe, sink, &manifest, &error, options))
        return Fail(error);
    if (!manifestPath.empty()) {
        std::ofstream m(manifestPath, std::ios::binary);
        WriteManifestText(m, manifest, frameLines);
        if (!m.good())
            return Fail("cannot write " + manifestPath);
    }
    if (!extract.empty()) {
        const int rc = Extract(sink, manifest, extract);
        if (rc)
            return rc;
    }
    std::printf("vekfs-mkimg: %s%s%s v%d -> %s (%llu bytes apparent)\n", scenario.c_str(),
                recipe.variant.empty() ? "" : "/", recipe.variant.c_str(), version, output.c_str(),
                static_cast<unsigned long long>(manifest.deviceSize));
    return 0;
}
