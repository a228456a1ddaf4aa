// app/startup_trace.cpp
#include "app/startup_trace.h"

#include <cstdio>
#include <cstdlib>

void TraceStartup(const std::string& step, const std::string& detail) {
    const char* path = std::getenv(kStartupTraceVariable);
    if (path == nullptr || *path == '\0')
        return;
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return;
    std::string line = step;
    if (!detail.empty())
        line += ' ' + detail;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
}

void TraceStartup(const std::string& step, long long value) {
    TraceStartup(step, std::to_string(value));
}
