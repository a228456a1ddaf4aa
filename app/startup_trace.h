// app/startup_trace.h
//
// An optional record of what the start-up and the shut-down did, in order:
// when the environment names a file in VEK_STARTUP_TRACE, each step appends
// one line to it ("<step>" or "<step> <detail>"). Tests read it to see the
// order of the calls into the skin manager, VekPlay, VekNet and the offset
// database; without the variable nothing is written. A trace that cannot be
// written is dropped silently: it never changes what the program does.
#pragma once

#include <string>

inline constexpr const char* kStartupTraceVariable = "VEK_STARTUP_TRACE";

void TraceStartup(const std::string& step, const std::string& detail = std::string());
void TraceStartup(const std::string& step, long long value);
