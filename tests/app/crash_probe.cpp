// tests/app/crash_probe.cpp
//
// A program that fails on purpose, with the crash dump installed as the
// program installs it:
//   crash_probe access   writes through a null pointer
//   crash_probe throw    lets a C++ exception escape main
#include <cstring>
#include <stdexcept>

#include "app/crash_dump.h"

namespace {

volatile int* volatile g_nowhere = nullptr;

}  // namespace

int main(int argc, char** argv) {
    InstallCrashDump();
    if (argc > 1 && std::strcmp(argv[1], "access") == 0)
        *g_nowhere = 1;
    if (argc > 1 && std::strcmp(argv[1], "throw") == 0)
        throw std::runtime_error("nobody catches this");
    return 0;
}
