#!/bin/bash
# The test command: installs what is missing, builds the native, sanitizer,
# fuzzing, Windows 32-bit and Windows 64-bit builds, and runs every test: the
# core's tests natively and under AddressSanitizer/UBSan, the same core tests
# plus the Win32 and end-to-end tests under Wine on a virtual display of its
# own, the screenshot check, a short fuzzing run of the receiver's decoder,
# and a second build of the shipped Velkora.exe from another folder, which
# must come out byte for byte the same. A failing stage does not stop the
# others; the last line sums up what ran, and the exit status is non-zero if
# anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

results=()   # one "stage: outcome" per stage that ran
failed=0
ctest_programs=0 ctest_failed=0
summary() {
    local ran=${#results[@]}
    echo
    printf '  %s\n' "${results[@]}"
    echo "Summary: $((ran - failed)) of $ran stages passed; ctest ran $ctest_programs test programs, $((ctest_programs - ctest_failed)) passed, $ctest_failed failed."
}
trap summary EXIT
record() {  # record NAME STATUS [DETAIL]
    if [ "$2" -eq 0 ]; then results+=("$1: passed${3:+ ($3)}"); else results+=("$1: FAILED${3:+ ($3)}"); failed=$((failed + 1)); fi
}

scripts/install-deps.sh || exit 1

jobs=$(nproc)
for preset in native native-sanitize fuzz win32 win64; do
    echo "=== build: $preset"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; }; then
        record "build $preset" 1
        exit 1
    fi
done
record "builds (native, native-sanitize, fuzz, win32, win64)" 0

# Runs one ctest preset and adds its programs to the count.
run_ctest() {
    local log status total bad
    log=$(mktemp)
    ctest --preset "$1" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)
    rm -f "$log"
    ctest_programs=$((ctest_programs + ${total:-0}))
    ctest_failed=$((ctest_failed + ${bad:-0}))
    [ "$status" -eq 0 ] && [ -n "$total" ] || status=1
    record "ctest $1" "$status" "${total:-0} programs"
}

echo "=== tests: native"
run_ctest native
echo "=== tests: native under AddressSanitizer and UBSan"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest native-sanitize

source scripts/wine-env.sh
trap 'wine_env_stop; summary' EXIT
wine_env_start "$root/build/wine" || exit 1

echo "=== tests: Windows 32-bit under Wine"
run_ctest win32
echo "=== tests: Windows 64-bit under Wine"
run_ctest win64

echo "=== screenshot of the window"
scripts/screenshot.sh "$root/build/screenshot.png"
record "screenshot" $?

echo "=== fuzzing the receiver's decoder (20 s)"
mkdir -p build/fuzz/corpus
fuzz_log=$(build/fuzz/tests/fuzz_decoder -max_total_time=20 -max_len=4096 -print_final_stats=1 \
    build/fuzz/corpus tests/fuzz/seeds 2>&1)
fuzz_status=$?
echo "$fuzz_log" | tail -6
record "fuzzing" "$fuzz_status" "$(echo "$fuzz_log" | sed -n 's/^Done \([0-9]*\) runs.*/\1 runs/p')"

echo "=== reproducible build: the shipped programs again, from another folder"
scripts/reproduce.sh "$root/build/win32"
record "reproducible Velkora.exe and status-monitor.exe" $?

[ "$failed" -eq 0 ]
