#!/usr/bin/env bash
# ThreadSanitizer run of native test programs. Builds a native tree of its own
# (every library of it with -fsanitize=thread, which cannot be combined with the
# address sanitizer of native-debug) and runs each named test program there.
#
#   tests/run_tsan.sh BUILD_DIR FOLDER/TARGET...
#       e.g. tests/run_tsan.sh build/native-tsan tests/vkfs/vkfs_tests
#
# Exit status: non-zero when a program fails or reports a race.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: tests/run_tsan.sh BUILD_DIR FOLDER/TARGET...}
shift
tsan=-fsanitize=thread
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEK_SANITIZE=OFF -DVEK_WERROR=ON \
  "-DCMAKE_C_FLAGS=$tsan" "-DCMAKE_CXX_FLAGS=$tsan" \
  "-DCMAKE_EXE_LINKER_FLAGS=$tsan" "-DCMAKE_SHARED_LINKER_FLAGS=$tsan" >/dev/null
targets=()
for program in "$@"; do targets+=("$(basename "$program")"); done
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"
for program in "$@"; do
  echo "== $program"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
    "$build/$program" --gtest_brief=1
done
