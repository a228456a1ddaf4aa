// platform/paths.cpp
#include "platform/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

namespace platform {

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

}  // namespace

std::string ExecutablePath() {
    // Neither call tells the length it needs, so grow until the name fits.
    std::vector<char> buffer(512);
    for (;;) {
#ifdef _WIN32
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        const size_t length = n;
#else
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        const size_t length = static_cast<size_t>(n);
#endif
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        if (buffer.size() >= 65536)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableDir() {
    const std::string path = ExecutablePath();
    size_t end = path.size();
    while (end > 0 && !IsSeparator(path[end - 1]))
        end--;
    if (end == 0)
        return std::string();
    // Keep the root's separator ("/" or "C:\"); drop any other trailing one.
    if (end > 1 && path[end - 2] != ':')
        end--;
    return path.substr(0, end);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    if (name.empty())
        return dir;
    if (IsSeparator(dir.back()) || IsSeparator(name.front())) {
        if (IsSeparator(dir.back()) && IsSeparator(name.front()))
            return dir + name.substr(1);
        return dir + name;
    }
    return dir + kPathSeparator + name;
}

}  // namespace platform
