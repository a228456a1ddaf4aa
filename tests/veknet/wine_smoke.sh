#!/usr/bin/env bash
# VekNet.dll under Wine logs into the NATIVE simulated recorder on 127.0.0.1,
# queries a month and a day, and downloads one record (veknet_wine_smoke.exe).
#
#   tests/veknet/wine_smoke.sh NATIVE_BUILD WINDOWS_BUILD
#
# Exit status 0 when the smoke program succeeded.
set -uo pipefail
native=${1:?usage: wine_smoke.sh NATIVE_BUILD WINDOWS_BUILD}
windows=${2:?usage: wine_smoke.sh NATIVE_BUILD WINDOWS_BUILD}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The simulator picks its port and names it on its first line.
"$native/tools/simrecorder/simrecorder" --port 0 --user admin --pass 1234 --day 2024-03-05 \
  >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^simrecorder: listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim.out")
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "wine_smoke: the simulator did not start"
  cat "$work/sim.err"
  exit 1
fi
echo "wine_smoke: simulator on 127.0.0.1:$port"

"$root/scripts/wine-run" --build "$windows" "$windows/testbin/veknet_wine_smoke.exe" "$port" admin 1234 2>&1 |
  tr -d '\r'
exit "${PIPESTATUS[0]}"
