#!/bin/bash
# The test command: installs what is missing, builds the native, sanitizer,
# fuzzing, Windows 32-bit and Windows 64-bit builds, and runs every test: the
# core's tests natively and under AddressSanitizer/UBSan, the same core tests
# plus the Win32 and end-to-end tests under Wine on a virtual display of its
# own, the screenshot check, a short fuzzing run of the receiver's decoder,
# and a second build of the shipped Velkora.exe from another folder, which
# must come out byte for byte the same. A failing stage does not stop the
# others (a stage whose build failed is not run); the last line sums up every
# stage, the install and the builds included, and the exit status is
# non-zero if any failed or did not run.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

results=()   # one "stage: outcome" per stage
failed=0
ctest_programs=0 ctest_failed=0
summary() {
    local ran=${#results[@]}
    echo
    printf '  %s\n' "${results[@]}"
    echo "Summary: $((ran - failed)) of $ran stages passed; ctest ran $(count "$ctest_programs" "test program"), $((ctest_programs - ctest_failed)) passed, $ctest_failed failed."
}
trap summary EXIT
record() {  # record NAME STATUS [DETAIL]
    if [ "$2" -eq 0 ]; then results+=("$1: passed${3:+ ($3)}"); else results+=("$1: FAILED${3:+ ($3)}"); failed=$((failed + 1)); fi
}
count() {  # count N NOUN: "1 program", "3 programs"
    if [ "$1" = 1 ]; then echo "1 $2"; else echo "$1 $2s"; fi
}
not_run() {  # not_run NAME WHY
    echo "Not run: $2."
    results+=("$1: not run ($2)")
    failed=$((failed + 1))
}

echo "=== install: the test command's packages"
if ! scripts/install-deps.sh test; then
    record "install of the test command's packages" 1 "see build/logs/install.log"
    exit 1
fi
record "install of the test command's packages" 0

declare -A built
for preset in native native-sanitize fuzz win32 win64; do
    if scripts/build.sh "$preset"; then
        built[$preset]=1
    else
        record "build $preset" 1 "see build/logs/build-$preset.log"
    fi
done
[ ${#built[@]} -eq 5 ] && record "builds (native, native-sanitize, fuzz, win32, win64)" 0

# Runs one ctest preset and adds its programs to the count.
run_ctest() {
    local log status total bad names
    if [ -z "${built[$1]:-}" ]; then
        not_run "ctest $1" "its build failed"
        return
    fi
    log=$(mktemp)
    ctest --preset "$1" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
    bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -1)
    names=$(sed -n '/The following tests FAILED/,$s/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log" | paste -sd, - | sed 's/,/, /g')
    rm -f "$log"
    ctest_programs=$((ctest_programs + ${total:-0}))
    ctest_failed=$((ctest_failed + ${bad:-0}))
    if [ "$status" -eq 0 ] && [ -n "$total" ]; then
        record "ctest $1" 0 "$(count "$total" program)"
    elif [ -n "$total" ] && [ "${bad:-0}" -gt 0 ]; then
        record "ctest $1" 1 "$bad of $(count "$total" program) failed: $names"
    else
        record "ctest $1" 1 "ctest exit status $status, ${total:-no} programs counted"
    fi
}

echo "=== tests: native"
run_ctest native
echo "=== tests: native under AddressSanitizer and UBSan"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest native-sanitize

source scripts/wine-env.sh
trap 'wine_env_stop; summary' EXIT
echo "=== Wine on a virtual display"
if wine_env_start "$root/build/wine"; then
    wine_ready=1
    record "Wine and the virtual display" 0
else
    wine_ready=0
    record "Wine and the virtual display" 1 "see build/wine/xvfb.log"
fi

for preset in win32 win64; do
    if [ "$preset" = win32 ]; then echo "=== tests: Windows 32-bit under Wine"; else echo "=== tests: Windows 64-bit under Wine"; fi
    if [ "$wine_ready" = 1 ]; then run_ctest "$preset"; else not_run "ctest $preset" "no Wine"; fi
done

echo "=== screenshot of the window"
if [ "$wine_ready" = 1 ] && [ -n "${built[win32]:-}" ]; then
    scripts/screenshot.sh "$root/build/screenshot.png"
    record "screenshot" $?
else
    not_run "screenshot" "no Wine or no 32-bit build"
fi

echo "=== explorer: random real input with invariants (seeds 1 and 2, 30 s each), and the regression lists"
if [ "$wine_ready" = 1 ] && [ -n "${built[win32]:-}" ]; then
    mkdir -p build/explore
    explorer_status=0 explorer_actions=0
    quiet() { grep --line-buffered -v "^status-monitor\|^window=" || true; }
    runs=()
    for seed in 1 2; do runs+=("--seconds 30 --seed $seed --log $(winepath -w "$root/build/explore/seed-$seed.txt")"); done
    for list in tests/explore/regressions/*.txt; do runs+=("--replay $list"); done
    for args in "${runs[@]}"; do
        out=$(wine build/win32/tests/explorer.exe $args 2>/dev/null | quiet)
        status=$?
        echo "$out" | grep -v '^explorer: [0-9]* passed'
        [ "$status" -eq 0 ] || explorer_status=1
        done_actions=$(echo "$out" | sed -n 's/^explorer: \([0-9]*\) passed.*/\1/p' | tail -1)
        explorer_actions=$((explorer_actions + ${done_actions:-0}))
    done
    record "explorer" "$explorer_status" "$(count "$explorer_actions" action)"
else
    not_run "explorer" "no Wine or no 32-bit build"
fi

echo "=== fuzzing the receiver's decoder (20 s)"
if [ -n "${built[fuzz]:-}" ]; then
    mkdir -p build/fuzz/corpus
    fuzz_log=$(build/fuzz/tests/fuzz_decoder -max_total_time=20 -max_len=4096 -print_final_stats=1 \
        build/fuzz/corpus tests/fuzz/seeds 2>&1)
    fuzz_status=$?
    runs=$(echo "$fuzz_log" | sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p')
    if [ "$fuzz_status" -eq 0 ]; then
        echo "$fuzz_log" | tail -6
        record "fuzzing" 0 "$(count "${runs:-0}" run)"
    else
        echo "$fuzz_log" | grep -E 'ERROR|SUMMARY|runtime error|Test unit written|^Base64' | head -10
        unit=$(echo "$fuzz_log" | sed -n 's/.*Test unit written to \(.*\)$/\1/p' | tail -1)
        record "fuzzing" "$fuzz_status" "stopped after ${runs:-?} runs${unit:+; the input is $unit}"
    fi
else
    not_run "fuzzing" "its build failed"
fi

echo "=== reproducible build: the shipped programs again, from another folder"
if [ -n "${built[win32]:-}" ]; then
    scripts/reproduce.sh "$root/build/win32"
    record "reproducible Velkora.exe and status-monitor.exe" $?
else
    not_run "reproducible Velkora.exe and status-monitor.exe" "the 32-bit build failed"
fi

[ "$failed" -eq 0 ]
