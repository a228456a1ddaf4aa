// app/crash_dump.h
//
// The crash dump: an unhandled exception on any thread writes a normal
// minidump "Dravik.dmp" beside the executable and ends the process with exit
// code 1. When the file cannot be created the process ends without a dump.
//
// A C++ exception that nothing catches ends in std::terminate rather than in
// the unhandled-exception filter; InstallCrashDump routes it there too (as
// kUncaughtCxxException), so that it leaves a dump and exit code 1 as well.
#pragma once

#include <windows.h>

inline constexpr DWORD kUncaughtCxxException = 0xE0564B43;

// The filter given to SetUnhandledExceptionFilter; never returns.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* pointers);

// Writes the minidump into an open file. Without exception pointers the dump
// records the caller's own state under a breakpoint record, and the call
// returns. TRUE when the dump was written.
BOOL WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers);

// SetUnhandledExceptionFilter(CrashDumpFilter), and std::terminate raised as
// an exception that reaches it.
void InstallCrashDump();
