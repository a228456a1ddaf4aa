// vkfs/process_log.cpp
#include "vkfs/process_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>

#include "platform/clock.h"
#include "platform/paths.h"

namespace vkfs {

namespace {

// Every line of every disk object goes through this lock: they share the file.
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

std::string& PathOverride() {
    static std::string path;
    return path;
}

std::string DefaultPath() {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::current_path(ec);
    return platform::JoinPath(ec ? std::string() : dir.string(), "log.txt");
}

// "2024-3-5 9:07:02" with no leading zeros, as the log has always written it.
std::string Stamp() {
    std::tm tm{};
    if (!platform::LocalTime(std::time(nullptr), &tm))
        return "0-0-0 0:0:0";
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

void WriteLine(const std::string& path, const char* mode, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), mode);
    if (!f)
        return;
    std::fprintf(f, "%s %s\n", Stamp().c_str(), text.c_str());
    std::fflush(f);
    std::fclose(f);
}

}  // namespace

void SetLogPathForTests(const std::string& path) {
    std::lock_guard<std::mutex> hold(LogLock());
    PathOverride() = path;
}

ProcessLog::ProcessLog() {
    std::lock_guard<std::mutex> hold(LogLock());
    path_ = PathOverride().empty() ? DefaultPath() : PathOverride();
}

void ProcessLog::Start() {
    std::lock_guard<std::mutex> hold(LogLock());
    WriteLine(path_, "w", "------------start-----------");
}

void ProcessLog::Write(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::lock_guard<std::mutex> hold(LogLock());
    last_ = text;
    WriteLine(path_, "a", last_);
}

std::string ProcessLog::LastMessage() const {
    std::lock_guard<std::mutex> hold(LogLock());
    return last_;
}

}  // namespace vkfs
