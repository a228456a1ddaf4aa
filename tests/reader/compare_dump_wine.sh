#!/usr/bin/env bash
# The Windows vekfs-dump.exe, reading a generated image through
# "\\.\PhysicalDrive5" under Wine (the raw-drive path the program uses), prints
# the same mount, month, half-hour and event output as the native vekfs-dump
# reading the image file (the disk's name in the repair lines aside: both are
# printed as DISK).
#
#   tests/reader/compare_dump_wine.sh NATIVE_BUILD WINDOWS_BUILD
set -uo pipefail
native=$1
windows=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
# The link goes with the image, so no later test finds it dangling.
trap 'rm -rf "$work"; rm -f "$windows/wineprefix/dosdevices/physicaldrive5"' EXIT

status=0
for version in 1 2; do
  image=$work/basic-v$version.img
  "$native/tools/vekfs-mkimg" --version $version --scenario basic -o "$image" >/dev/null || exit 1
  while IFS='|' read -r name args; do
    read -r -a argv <<<"$args"
    # the event search takes two times with a blank inside each
    if [ "$name" = events ]; then argv=(events "2023-12-01 00:00:00" "2024-01-31 23:59:59"); fi
    "$native/tools/vekfs-dump" --build $version "$image" "${argv[@]}" 2>&1 |
      sed "s|$image|DISK|g" >"$work/native.txt"
    VEK_WINE_LINKS="physicaldrive5=$image" "$root/scripts/wine-run" --build "$windows" \
      "$windows/bin/vekfs-dump.exe" --build $version '\\.\PhysicalDrive5' "${argv[@]}" 2>&1 |
      tr -d '\r' | sed 's|\\\\\.\\PhysicalDrive5|DISK|g' >"$work/wine.txt"
    if ! cmp -s "$work/native.txt" "$work/wine.txt"; then
      echo "v$version $name: Wine output differs from native"
      diff "$work/native.txt" "$work/wine.txt" | head -20
      status=1
    elif [ ! -s "$work/native.txt" ]; then
      echo "v$version $name: no output"
      status=1
    else
      echo "v$version $name: $(wc -l <"$work/native.txt") lines equal"
    fi
  done <<'CASES'
mount|mount
month-2023-12|month 2023-12
month-2024-01|month 2024-01
halfhour|halfhour 2023-12-01
events|events
CASES
done
exit $status
