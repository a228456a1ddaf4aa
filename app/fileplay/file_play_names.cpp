// app/fileplay/file_play_names.cpp
#include "app/fileplay/file_play_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/base/capture_names.h"

namespace play {

namespace {

bool EqualIgnoringCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool EndsWith(const std::string& name, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDropVideoName(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    const std::string extension = name.substr(dot);
    for (const char* taken : {".avi", ".264", ".h264", ".nvr"}) {
        if (EqualIgnoringCase(extension, taken))
            return true;
    }
    return false;
}

bool IsScanVideoName(const std::string& name) {
    return EndsWith(name, ".264") || EndsWith(name, ".avi");
}

std::optional<std::string> JoinPath(const std::string& folder, const std::string& name, size_t maxLength) {
    if (folder.size() + 1 + name.size() > maxLength)
        return std::nullopt;
    return folder + "\\" + name;
}

std::vector<std::string> SplitOpenDialogFiles(const char* buffer, size_t size) {
    std::vector<std::string> names;
    if (buffer == nullptr)
        return names;
    size_t at = 0;
    while (at < size) {
        const void* end = std::memchr(buffer + at, '\0', size - at);
        if (end == nullptr)
            break;  // unended: not a name
        const size_t length = static_cast<const char*>(end) - (buffer + at);
        if (length == 0)
            break;  // the empty name ends the list
        names.emplace_back(buffer + at, length);
        at += length + 1;
    }
    if (names.size() <= 1)
        return names;  // one file, as a full path (or nothing)
    std::string folder = names.front();
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();  // a drive's root ("C:\")
    std::vector<std::string> files;
    files.reserve(names.size() - 1);
    for (size_t i = 1; i < names.size(); ++i)
        files.push_back(folder + "\\" + names[i]);
    return files;
}

std::string ClockText(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string FileSpeedText(int level, const std::string& slowerWord, const std::string& fasterWord) {
    level = std::clamp(level, -4, 4);
    if (level == 0)
        return "x1";
    const int factor = 1 << (level < 0 ? -level : level);
    const std::string rate = level < 0 ? "x1/" + std::to_string(factor) : "x" + std::to_string(factor);
    return (level < 0 ? slowerWord : fasterWord) + " " + rate;
}

SnapshotTarget FileSnapshotTarget(const std::string& capturePath,
                                  const std::string& label,
                                  const std::string& fileName,
                                  const CivilTime& now) {
    SnapshotTarget target;
    target.folder = CaptureFolder(capturePath, label, now) + "\\" + SafeFolderName(fileName);
    char name[96];
    std::snprintf(name, sizeof name, "\\%04d%02d%02d-%02d%02d%02d.bmp", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    target.file = target.folder + name;
    return target;
}

}  // namespace play
