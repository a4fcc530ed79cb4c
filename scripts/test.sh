#!/bin/bash
# The test command: installs what is missing, builds the native, sanitizer,
# Windows 32-bit and Windows 64-bit builds, and runs every test: the core's
# tests natively and under AddressSanitizer/UBSan, the same core tests plus
# the Win32 and end-to-end tests under Wine on a virtual display of its own,
# the screenshot check and a short fuzzing run of the receiver's decoder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

jobs=$(nproc)
for preset in native native-sanitize fuzz win32 win64; do
    echo "=== build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

# Each ctest run's lines also go to a summary, for the closing count.
summary=build/ctest-summary.log
: > "$summary"
run_ctest() { ctest --preset "$1" | tee -a "$summary"; }

echo "=== tests: native"
run_ctest native
echo "=== tests: native under AddressSanitizer and UBSan"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest native-sanitize

source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$root/build/wine"

echo "=== tests: Windows 32-bit under Wine"
run_ctest win32
echo "=== tests: Windows 64-bit under Wine"
run_ctest win64

echo "=== screenshot of the window"
scripts/screenshot.sh "$root/build/screenshot.png"

echo "=== fuzzing the receiver's decoder (20 s)"
mkdir -p build/fuzz/corpus
build/fuzz/tests/fuzz_decoder -max_total_time=20 -max_len=4096 -print_final_stats=1 \
    build/fuzz/corpus tests/fuzz/seeds 2>&1 | tail -6
programs=$(awk '/tests passed, .* tests failed out of/ {n += $NF} END {print n}' "$summary")
echo "All test stages passed: the screenshot check, the fuzzing run and $programs test programs under ctest."
echo "ctest: $programs passed, 0 failed"
