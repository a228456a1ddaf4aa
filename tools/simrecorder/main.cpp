// tools/simrecorder/main.cpp
//
// simrecorder: the simulated recorder as a command, for demos and the Wine
// smoke test. Prints "simrecorder: listening on 127.0.0.1:PORT" once it
// accepts connections and runs until interrupted.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/sync.h"
#include "tools/cli_args.h"
#include "tools/simrecorder/generated_content.h"
#include "tools/simrecorder/image_content.h"
#include "tools/simrecorder/sim_server.h"

namespace {

const char kUsage[] =
    "usage: simrecorder [--port P] [--user U] [--pass W] [--name NAME]\n"
    "                   [--image DISK.img | --day YYYY-MM-DD ... [--records N] [--seconds S]\n"
    "                    [--seed N] [--no-audio]] [--refuse CODE] [--drop-after BYTES]\n"
    "                   [--served DIR] [--stall-after N] [--silent-queries]\n"
    "\n"
    "Serves recordings to VekNet on 127.0.0.1 only.\n"
    "\n"
    "  --port P          port (default 0: one the system picks; the line printed names it)\n"
    "  --user U --pass W the one login accepted (default admin / admin); another user\n"
    "                    name is answered 103, another password 104\n"
    "  --name NAME       device name (default SimRecorder)\n"
    "  --image DISK.img  serve the records of channels 1-4 of a recorder disk image,\n"
    "                    read through VKFS (which logs to log.txt here)\n"
    "  --day YYYY-MM-DD  instead, a generated table: on each such day (repeatable;\n"
    "                    default 2024-03-05) every one of 4 channels has --records\n"
    "                    records (default 3) of --seconds seconds (default 10) from\n"
    "                    09:00, mkstream frames at 25 fps, G.711 audio unless --no-audio\n"
    "  --refuse CODE     answer every login with 103, 104 or 106; 105 closes the\n"
    "                    connection unanswered\n"
    "  --drop-after N    close all connections of a login once its plays and downloads\n"
    "                    have sent N frame bytes\n"
    "  --served DIR      write the frames each download serves to DIR/chC-YYYYMMDD-HHMMSS.frames\n"
    "                    (channel from 0, the record's start)\n"
    "  --stall-after N   downloads after the first N send half their frames, then wait\n"
    "  --silent-queries  answer pings but never a record query\n";

std::atomic<bool> gInterrupted{false};

extern "C" void OnSignal(int) {
    gInterrupted.store(true);
}

int Usage(const std::string& why) {
    if (!why.empty())
        std::fprintf(stderr, "simrecorder: %s\n", why.c_str());
    std::fputs(kUsage, why.empty() ? stdout : stderr);
    return why.empty() ? 0 : 2;
}

bool ParseDay(const std::string& text, veknet::WireTime* out) {
    unsigned y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2u%c", &y, &m, &d, &tail) != 3)
        return false;
    out->year = static_cast<uint16_t>(y);
    out->month = static_cast<uint8_t>(m);
    out->day = static_cast<uint8_t>(d);
    return y >= 2000 && y <= 2063 && out->Valid();
}

}  // namespace

int main(int argc, char** argv) {
    using vektools::ParseUnsigned;
    simrecorder::SimOptions options;
    simrecorder::GeneratedTable table;
    std::string image;
    vektools::CliArgs args(argc, argv);
    while (!args.Done()) {
        const std::string opt = args.Next();
        std::string v;
        if (opt == "--help" || opt == "-h")
            return Usage("");
        if (opt == "--no-audio") {
            table.audio = false;
            continue;
        }
        if (opt == "--silent-queries") {
            options.silentQueries = true;
            continue;
        }
        if (!args.Value(&v))
            return Usage(opt + " needs a value");
        if (opt == "--port") {
            if (!ParseUnsigned(v, &options.port, 65535))
                return Usage("bad port " + v);
        } else if (opt == "--user") {
            options.user = v;
        } else if (opt == "--pass") {
            options.password = v;
        } else if (opt == "--name") {
            options.deviceName = v;
        } else if (opt == "--image") {
            image = v;
        } else if (opt == "--day") {
            veknet::WireTime day;
            if (!ParseDay(v, &day))
                return Usage("bad day " + v);
            table.days.push_back(day);
        } else if (opt == "--records") {
            if (!ParseUnsigned(v, &table.recordsPerDay, 12))
                return Usage("bad record count " + v + " (at most 12 a day)");
        } else if (opt == "--seconds") {
            if (!ParseUnsigned(v, &table.seconds, 3600) || table.seconds == 0)
                return Usage("bad seconds " + v);
        } else if (opt == "--seed") {
            if (!ParseUnsigned(v, &table.seed, 0xFFFFFFFF))
                return Usage("bad seed " + v);
        } else if (opt == "--refuse") {
            if (!ParseUnsigned(v, &options.refuseStatus, 106) || options.refuseStatus < 103)
                return Usage("bad status " + v + " (103 to 106)");
        } else if (opt == "--served") {
            options.servedDir = v;
        } else if (opt == "--stall-after") {
            if (!ParseUnsigned(v, &options.stallAfter, 1000000))
                return Usage("bad download count " + v);
        } else if (opt == "--drop-after") {
            if (!ParseUnsigned(v, &options.dropAfterBytes, UINT64_MAX))
                return Usage("bad byte count " + v);
        } else {
            return Usage("unknown option " + opt);
        }
    }

    std::shared_ptr<simrecorder::RecorderContent> content;
    if (!image.empty()) {
        std::string error;
        std::unique_ptr<simrecorder::ImageContent> disk = simrecorder::ImageContent::Open(image, &error);
        if (!disk) {
            std::fprintf(stderr, "simrecorder: %s\n", error.c_str());
            return 1;
        }
        content = std::move(disk);
    } else {
        if (table.days.empty())
            table.days.push_back(veknet::WireTime{2024, 3, 5, 0, 0, 0});
        content = std::make_shared<simrecorder::GeneratedContent>(table);
    }

    simrecorder::SimRecorder recorder(options, content);
    std::string error;
    if (!recorder.Start(&error)) {
        std::fprintf(stderr, "simrecorder: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("simrecorder: listening on 127.0.0.1:%u\n", static_cast<unsigned>(recorder.Port()));
    std::fflush(stdout);
    while (!gInterrupted.load())
        platform::SleepMs(100);
    recorder.Stop();
    return 0;
}
