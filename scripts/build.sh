#!/bin/bash
# Configures and builds one preset, printing the build tool's own counter
# instead of every step; the full output goes to build/logs/build-PRESET.log,
# whose errors and path are printed when the build fails.
#   scripts/build.sh PRESET [TARGET...]
# With targets, only those are built, and the tests are configured only if
# GoogleTest's sources are there (the run and release commands do not
# install them); without, everything, tests included.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:?usage: scripts/build.sh PRESET [TARGET...]}
shift
mkdir -p build/logs
log=$(pwd)/build/logs/build-$preset.log
: >"$log"

tests=ON
[ $# -gt 0 ] && [ ! -f /usr/src/googletest/CMakeLists.txt ] && tests=OFF
fail() {
    echo >&2
    echo "The $preset build failed ($1):" >&2
    grep -E -A6 '(^|[^[:alnum:]_])(error|Error):|^FAILED:|CMake Error|undefined reference|ninja: build stopped' "$log" \
        | head -40 >&2 || tail -20 "$log" >&2
    echo "The whole output is in $log" >&2
    exit 1
}
cmake --preset "$preset" -DVELKORA_TESTS=$tests >>"$log" 2>&1 || fail "configure"

targets=()
for t in "$@"; do targets+=(--target "$t"); done
started=$(date +%s)
# Ninja prints "[done/total] step" per step when it does not write to a
# terminal; keep the counter: on a terminal in place, else every quarter.
if [ -t 1 ]; then tty=1; else tty=0; fi
counter() {
    local line done total mark=25 shown=0
    while IFS= read -r line; do
        echo "$line" >>"$log"
        [[ "$line" =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
        done=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
        if [ "$tty" = 1 ]; then
            printf '\rBuilding %s: [%d/%d]' "$preset" "$done" "$total"
            shown=1
        else
            [ "$shown" = 1 ] || { printf 'Building %s: %d steps:' "$preset" "$total"; shown=1; }
            if [ "$mark" -le 100 ] && [ $((done * 100)) -ge $((mark * total)) ]; then
                printf ' [%d/%d]' "$done" "$total"
                while [ "$mark" -le 100 ] && [ $((done * 100)) -ge $((mark * total)) ]; do mark=$((mark + 25)); done
            fi
        fi
    done
    [ "$shown" = 1 ] || printf 'Building %s: up to date' "$preset"
}
set +e
cmake --build --preset "$preset" "${targets[@]}" -j "${VELKORA_JOBS:-$(nproc)}" 2>&1 | counter
status=${PIPESTATUS[0]}
set -e
[ "$status" -eq 0 ] || fail "the build tool's exit status $status"
warnings=$(grep -c 'warning:' "$log" || true)
summary=", $(($(date +%s) - started)) s"
[ "$warnings" -eq 0 ] || summary+="; $warnings warnings, see $log"
echo "$summary."
