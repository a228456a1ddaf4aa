#!/usr/bin/env bash
# ThreadSanitizer run of the VKFS tests. Builds a native tree of its own (every
# library of it with -fsanitize=thread, which cannot be combined with the
# address sanitizer of native-debug) and runs vkfs_tests there.
#
#   tests/vkfs/run_tsan.sh [BUILD_DIR]     default BUILD_DIR: build/native-tsan
#
# Exit status: the test program's (non-zero on a failure or a race report).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/native-tsan}
tsan=-fsanitize=thread
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEK_SANITIZE=OFF -DVEK_WERROR=ON \
  "-DCMAKE_C_FLAGS=$tsan" "-DCMAKE_CXX_FLAGS=$tsan" \
  "-DCMAKE_EXE_LINKER_FLAGS=$tsan" "-DCMAKE_SHARED_LINKER_FLAGS=$tsan" >/dev/null
cmake --build "$build" --target vkfs_tests -j "$(nproc)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  "$build/tests/vkfs/vkfs_tests" --gtest_brief=1
