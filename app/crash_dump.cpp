// app/crash_dump.cpp
//
// The filter runs on a thread that has just failed, with the heap possibly
// damaged: it works in fixed buffers on the stack and allocates nothing.
#include "app/crash_dump.h"

#include <dbghelp.h>

#include <exception>

namespace {

constexpr wchar_t kDumpName[] = L"\\Dravik.dmp";

// The executable's folder followed by "\Dravik.dmp"; false when the path does
// not fit.
bool DumpPath(wchar_t* path, DWORD size) {
    const DWORD n = GetModuleFileNameW(nullptr, path, size);
    if (n == 0 || n >= size)
        return false;
    DWORD cut = n;
    while (cut > 0 && path[cut - 1] != L'\\')
        cut--;
    if (cut == 0)
        return false;
    cut--;  // the backslash comes back with the name
    const DWORD nameLength = sizeof kDumpName / sizeof kDumpName[0];
    if (cut + nameLength > size)
        return false;
    for (DWORD i = 0; i < nameLength; i++)
        path[cut + i] = kDumpName[i];
    return true;
}

[[noreturn]] void RaiseUncaught() {
    RaiseException(kUncaughtCxxException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    ExitProcess(1);
}

}  // namespace

BOOL WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* pointers) {
    if (pointers == nullptr) {
        // No exception at hand: a breakpoint record at the caller's state.
        CONTEXT context = {};
        RtlCaptureContext(&context);
        EXCEPTION_RECORD record = {};
        record.ExceptionCode = EXCEPTION_BREAKPOINT;
        record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
        EXCEPTION_POINTERS own = {&record, &context};
        return WriteMiniDump(file, &own);
    }
    OutputDebugStringA("writing minidump\r\n");
    MINIDUMP_EXCEPTION_INFORMATION exception = {GetCurrentThreadId(), pointers, FALSE};
    return MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception,
                             nullptr, nullptr);
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* pointers) {
    wchar_t path[1024];
    if (DumpPath(path, sizeof path / sizeof path[0])) {
        const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            WriteMiniDump(file, pointers);
            CloseHandle(file);
        }
    }
    ExitProcess(1);
}

void InstallCrashDump() {
    SetUnhandledExceptionFilter(CrashDumpFilter);
    std::set_terminate(RaiseUncaught);
}
