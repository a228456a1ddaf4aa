// vkfs/dvrfs/log.cpp
#include "vkfs/dvrfs/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace vkfs::dvrfs {

namespace {

struct LogState {
    std::mutex lock;
    std::string path = kDefaultLogPath;
    std::FILE* file = nullptr;
    ConsoleSink sink = nullptr;
    void* sinkUser = nullptr;
};

LogState& State() {
    static LogState state;
    return state;
}

void Emit(LogState& s, const char* text) {
    if (s.sink) {
        s.sink(text, s.sinkUser);
    } else {
        std::fputs(text, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

}  // namespace

bool OpenLog() {
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.file)
        std::fclose(s.file);
    s.file = s.path.empty() ? nullptr : std::fopen(s.path.c_str(), "w+b");
    return s.file != nullptr;
}

void CloseLog() {
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.file)
        std::fclose(s.file);
    s.file = nullptr;
}

bool LogIsOpen() {
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.file != nullptr;
}

void Log(const char* format, ...) {
    char record[kLogRecordBytes] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(record, sizeof record, format, args);
    va_end(args);
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    Emit(s, record);
    if (s.file) {
        std::fwrite(record, 1, sizeof record, s.file);
        std::fflush(s.file);
    }
}

void Print(const char* format, ...) {
    char line[kLogRecordBytes] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    Emit(s, line);
}

void SetLogPath(const std::string& path) {
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.path = path;
}

void SetConsoleSink(ConsoleSink sink, void* user) {
    LogState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.sink = sink;
    s.sinkUser = user;
}

}  // namespace vkfs::dvrfs
