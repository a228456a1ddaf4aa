// reader/diag.h
//
// The reader's console diagnostics. An error line is "[vekfserr]:<function>,<place>-->"
// followed by the message; an information line is "[vekfs]:" followed by the
// message. The place number is the source line, which identifies the place.
//
// Output goes to stdout unless a sink is installed (tests capture it that way).
#pragma once

namespace vekfs {

using DiagSink = void (*)(const char* text, void* user);

// Installs a sink for every diagnostic line (null restores stdout). Process-wide.
void SetDiagSink(DiagSink sink, void* user);
// Turns every diagnostic line off (nothing is even formatted) or back on.
void SetDiagEnabled(bool enabled);

void DiagWrite(const char* text);
void DiagError(const char* function, int place, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void DiagInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Sends a line to the debugger output on Windows; does nothing elsewhere.
void DiagDebugger(const char* text);

}  // namespace vekfs

#define VEKFS_ERR(...) ::vekfs::DiagError(__func__, __LINE__, __VA_ARGS__)
#define VEKFS_INFO(...) ::vekfs::DiagInfo(__VA_ARGS__)
