// app/base/capture_names.cpp
#include "app/base/capture_names.h"

#include <cstdio>
#include <string_view>

namespace play {

namespace {

constexpr std::string_view kRefused = "\\/:*?\"<>|";

std::string FileStem(int pane, const CivilTime& now) {
    char text[128];
    std::snprintf(text, sizeof text, "ch%02d-%04d%02d%02d-%02d%02d%02d", pane + 1, now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return text;
}

}  // namespace

std::string SafeFolderName(const std::string& name) {
    std::string safe = name;
    bool dotsOnly = true;
    for (char& c : safe) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || kRefused.find(c) != std::string_view::npos)
            c = '_';
        if (c != '.')
            dotsOnly = false;
    }
    if (!safe.empty() && dotsOnly)
        return "_";
    return safe;
}

std::string CaptureFolder(const std::string& base, const std::string& source, const CivilTime& now) {
    std::string folder = base;
    const std::string name = SafeFolderName(source);
    if (!name.empty())
        folder += "\\" + name;
    char date[64];
    std::snprintf(date, sizeof date, "\\%04d-%02d-%02d", now.year, now.month, now.day);
    return folder + date;
}

std::string SnapshotPath(const std::string& folder, int pane, const CivilTime& now) {
    return folder + "\\" + FileStem(pane, now) + ".bmp";
}

std::string ClipFilePath(const std::string& folder, int pane, const CivilTime& now, int videoType) {
    return folder + "\\" + FileStem(pane, now) + (videoType == 1 ? ".avi" : ".mp4");
}

int ClipRecordType(int videoType) {
    return videoType == 1 ? 2 : 1;
}

std::string FormatTimeText(const CivilTime& t) {
    char text[128];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

}  // namespace play
