#!/bin/bash
# Builds the shipped 32-bit programs a second time, from a copy of the
# sources in another folder into another build folder, and compares them
# byte for byte with those of the given build folder. A difference fails,
# with the offsets that differ.
#   scripts/reproduce.sh BUILD_DIR   (default build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
first=${1:-$root/build/win32}
other=$root/build/reproduce
rm -rf "$other"
mkdir -p "$other/source"
# The tracked files only, as a clean checkout has them.
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$other/source"
cmake -S "$other/source" -B "$other/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$other/source/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DVELKORA_TESTS=OFF >/dev/null
cmake --build "$other/build" --target Velkora status-monitor -j "$(nproc)" >/dev/null

status=0
for exe in Velkora.exe status-monitor.exe; do
    if cmp -s "$first/$exe" "$other/build/$exe"; then
        echo "$exe: identical from both folders, sha256 $(sha256sum "$first/$exe" | cut -d' ' -f1)"
    else
        echo "$exe differs between $first and $other/build; offsets (hex), first and second byte:" >&2
        cmp -l "$first/$exe" "$other/build/$exe" | head -20 | awk '{printf "  0x%x: %s %s\n", $1 - 1, $2, $3}' >&2
        status=1
    fi
done
exit $status
