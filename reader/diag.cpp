// reader/diag.cpp
#include "reader/diag.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vekfs {

namespace {

std::atomic<DiagSink> gSink{nullptr};
std::atomic<void*> gSinkUser{nullptr};
std::atomic<bool> gEnabled{true};

__attribute__((format(printf, 1, 0))) std::string VFormat(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    big.resize(static_cast<size_t>(n));
    return big;
}

void WithNewline(std::string* s) {
    if (s->empty() || s->back() != '\n')
        s->push_back('\n');
}

}  // namespace

void SetDiagSink(DiagSink sink, void* user) {
    gSinkUser.store(user);
    gSink.store(sink);
}

void SetDiagEnabled(bool enabled) {
    gEnabled.store(enabled);
}

void DiagWrite(const char* text) {
    if (!gEnabled.load(std::memory_order_relaxed))
        return;
    if (DiagSink sink = gSink.load()) {
        sink(text, gSinkUser.load());
        return;
    }
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void DiagError(const char* function, int place, const char* format, ...) {
    if (!gEnabled.load(std::memory_order_relaxed))
        return;
    char prefix[160];
    std::snprintf(prefix, sizeof prefix, "[vekfserr]:%s,%d-->", function, place);
    va_list args;
    va_start(args, format);
    std::string line = prefix + VFormat(format, args);
    va_end(args);
    WithNewline(&line);
    DiagWrite(line.c_str());
}

void DiagInfo(const char* format, ...) {
    if (!gEnabled.load(std::memory_order_relaxed))
        return;
    va_list args;
    va_start(args, format);
    std::string line = "[vekfs]:" + VFormat(format, args);
    va_end(args);
    WithNewline(&line);
    DiagWrite(line.c_str());
}

void DiagDebugger(const char* text) {
#ifdef _WIN32
    OutputDebugStringA(text);
#else
    (void)text;
#endif
}

}  // namespace vekfs
