// vkfs/dvrfs/log.h
//
// What the dvrfs reader says: console lines, and the log file
// "c:\dvrfs_log.txt" of fixed 256-byte records, each one message zero-padded
// (so NUL-terminated; longer messages are cut at 255 bytes). Every logged
// message is also printed. The log file is created afresh by each library
// start and closed when the library stops, or when the start fails, so the
// next start can create it again. Where the file cannot be created (no
// writable C:\) the reader goes on without it.
//
// Settings for tests: the log path ("" for no log file), a sink for console
// lines in place of stdout, and the disk-manage thread's tick and idle limit.
#pragma once

#include <cstdint>
#include <string>

namespace vkfs::dvrfs {

inline constexpr const char* kDefaultLogPath = "c:\\dvrfs_log.txt";
inline constexpr size_t kLogRecordBytes = 256;

// Creates the log file afresh at the configured path; false when it cannot.
bool OpenLog();
void CloseLog();
bool LogIsOpen();

// Formats a message, prints it and appends its record to the log file.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Prints a line on the console only.
void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- settings (tests) ----
// The log file of the next start; "" writes none. kDefaultLogPath restores.
void SetLogPath(const std::string& path);
using ConsoleSink = void (*)(const char* line, void* user);
// Console lines go to `sink` (null: stdout).
void SetConsoleSink(ConsoleSink sink, void* user);

}  // namespace vkfs::dvrfs
