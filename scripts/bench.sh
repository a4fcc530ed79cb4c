#!/bin/bash
# Builds the 32-bit program and its benchmarks and prints their figures,
# measured under Wine on a virtual display. Takes about two and a half
# minutes (the idle measure is a minute). Prints; never fails on a figure.
#   scripts/bench.sh [idle seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)"
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$root/build/wine"
echo "=== publish cost"
wine build/win32/bench/publish_bench.exe 2>/dev/null | grep -v "^status-monitor\|^window="
echo "=== footprint against a minimal Win32 program"
# CPU time (ms) and private memory (KB) of a Wine process, read from /proc.
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
private_kb() { awk '/^RssAnon/ {print $2}' "/proc/$1/status"; }
declare -A at
wine build/win32/bench/footprint_bench.exe "${1:-60}" 2>/dev/null | while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
        "mark "*)
            set -- $line ""
            case "$2" in VelkoraFloor) exe=floor.exe;; *) exe=Velkora.exe;; esac
            pid=$(pgrep -f "$exe" | head -1)
            at[$2${3:+-${3}}]=$(cpu_ms "$pid")
            [ "${3:-}" = idle-start ] && at[$2-private]=$(private_kb "$pid")
            if [ "$2" = publishing-end ]; then
                echo "As the host measures them:"
                echo "| measure | Velkora | floor | ratio |"
                echo "|---|---|---|---|"
                awk -v v="${at[VelkoraMain-private]}" -v f="${at[VelkoraFloor-private]}" \
                    'BEGIN {printf "| private memory after 10 s | %d KB | %d KB | %.2f |\n", v, f, v / f}'
                awk -v v1="${at[VelkoraMain-idle-end]}" -v v0="${at[VelkoraMain-idle-start]}" \
                    -v f1="${at[VelkoraFloor-idle-end]}" -v f0="${at[VelkoraFloor-idle-start]}" \
                    'BEGIN {v = v1 - v0; f = f1 - f0; printf "| CPU time over the idle minute | %.0f ms | %.0f ms | %.2f |\n", v, f, (f > 0 ? v / f : 0)}'
                awk -v v1="${at[publishing-end]}" -v v0="${at[publishing-start]}" \
                    'BEGIN {printf "| CPU time per second, memory source publishing | %.1f ms | - | - |\n", (v1 - v0) / 10}'
            fi
            ;;
        status-monitor*|window=*) ;;
        *) echo "$line" ;;
    esac
done
