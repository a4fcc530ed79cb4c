#!/bin/bash
# Builds the 32-bit program and its benchmarks and prints their figures,
# measured under Wine on a virtual display: the cost of a publish, the
# footprint against three floors (three runs of each) and the start by
# phase, delivery while messengers stall or hang, a soak of 100,000
# publishes, and delivery to up to 2,000 messenger windows. Prints figures
# only (the receivers' lines go to build/logs/bench-receivers.log); never
# fails on a figure. About 20 minutes with the defaults; --real-time adds a
# soak at the normal one-second interval.
#   scripts/bench.sh [idle seconds, default 60] [runs, default 3] [--real-time SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

idle=60 runs=3 realtime=0 positional=()
while [ $# -gt 0 ]; do
    case "$1" in
        --real-time) realtime=${2:?seconds}; shift 2 ;;
        *) positional+=("$1"); shift ;;
    esac
done
[ ${#positional[@]} -ge 1 ] && idle=${positional[0]}
[ ${#positional[@]} -ge 2 ] && runs=${positional[1]}

scripts/install-deps.sh bench
scripts/build.sh win32
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$root/build/wine"

# The receivers' own lines are not figures: they go to a log of their own.
mkdir -p build/logs
received=$root/build/logs/bench-receivers.log
: >"$received"
echo "The receivers' lines go to $received."
figures() { awk -v out="$received" '/^(status-monitor|window=)/ { print >> out; next } { print; fflush() }'; }
echo "=== publish cost"
wine build/win32/bench/publish_bench.exe 2>/dev/null | figures
echo "=== delivery to 1, 10, 100 and 2,000 messenger windows"
wine build/win32/bench/delivery_bench.exe 2>/dev/null | figures
echo "=== delivery while it waits: healthy, stalling and hung messengers, one publish a second"
wine build/win32/bench/wait_bench.exe 2>/dev/null | figures
echo "=== footprint against the three floors (idle ${idle} s, ${runs} runs), and the start by phase"
wine build/win32/bench/footprint_bench.exe "$idle" "$runs" 2>/dev/null | figures
echo "=== soak: 100,000 publishes of the memory source, driven as fast as they go"
wine build/win32/bench/soak_bench.exe 100000 2>/dev/null | figures
if [ "$realtime" -gt 0 ]; then
    echo "=== soak in real time: ${realtime} s at the one-second interval"
    wine build/win32/bench/soak_bench.exe --real-time "$realtime" 2>/dev/null | figures
fi
