// veknet/download_path.cpp
#include "veknet/download_path.h"

#include <cstdio>
#include <cstring>

#include "platform/paths.h"

namespace veknet {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// True when one of the components between separators is exactly "..".
bool HasParentPart(const char* text, size_t length) {
    size_t partStart = 0;
    for (size_t i = 0; i <= length; i++) {
        if (i == length || IsSeparator(text[i])) {
            if (i - partStart == 2 && text[partStart] == '.' && text[partStart + 1] == '.')
                return true;
            partStart = i + 1;
        }
    }
    return false;
}

}  // namespace

bool IsSafeHostText(const char* host) {
    if (!host)
        return false;
    const size_t length = ::strnlen(host, 256);
    if (length == 0 || length > 255)
        return false;
    for (size_t i = 0; i < length; i++) {
        const unsigned char c = static_cast<unsigned char>(host[i]);
        if (c < 0x20 || IsSeparator(host[i]) || c == ':')
            return false;
    }
    return std::strstr(host, "..") == nullptr;
}

bool FormatDownloadTarget(const char* recordPath,
                          const char* host,
                          int channel,
                          const NetRecordTime& start,
                          const NetRecordTime& end,
                          const char* extension,
                          char* out,
                          size_t size) {
    if (!out || size == 0)
        return false;
    out[0] = '\0';
    if (!recordPath || !IsSafeHostText(host) || channel < 1 || channel > 99)
        return false;
    const char sep = platform::kPathSeparator;
    const int n = std::snprintf(out, size, "%s%c%s%cCH%02d%c%04d%02d%02d%c%02d%02d%02d-%02d%02d%02d%s",
                                recordPath, sep, host, sep, channel, sep, start.year, start.month, start.day,
                                sep, start.hour, start.minute, start.second, end.hour, end.minute, end.second,
                                extension ? extension : "");
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool AcceptTargetPath(const char* path, std::string* out) {
    if (!path)
        return false;
    const size_t length = ::strnlen(path, VEKNET_MAX_PATH);
    if (length == 0 || length >= VEKNET_MAX_PATH || HasParentPart(path, length))
        return false;
    out->assign(path, length);
    return true;
}

bool IsAviTarget(const std::string& path) {
    if (path.size() < 4)
        return false;
    const char* tail = path.c_str() + path.size() - 4;
    return tail[0] == '.' && (tail[1] | 0x20) == 'a' && (tail[2] | 0x20) == 'v' && (tail[3] | 0x20) == 'i';
}

}  // namespace veknet
