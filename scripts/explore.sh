#!/bin/bash
# The explorer: the real Velkora.exe under Wine, driven by seeded random real
# input (mouse, keys, the clipboard, the tray icon, second starts,
# broadcasts, messengers that come, go, stall and hang, closing and starting
# again), with its invariants checked after every action. On a violation it
# prints the seed and the last actions, writes the whole list, replays it and
# shrinks it (build/explore/seed-S.txt and .short); exits non-zero.
#   scripts/explore.sh [minutes, default 1] [seed, default: from the clock]
#   scripts/explore.sh --replay FILE
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

replay=""
if [ "${1:-}" = "--replay" ]; then
    replay=$(realpath "${2:?usage: scripts/explore.sh --replay FILE}")
    minutes=0 seed=0
else
    minutes=${1:-1}
    seed=${2:-$(date +%s)}
fi

scripts/install-deps.sh test
scripts/build.sh win32 Velkora status-monitor explorer
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$root/build/wine"

mkdir -p build/explore
log=build/explore/seed-$seed.txt
# The receivers' own lines are not the explorer's.
quiet() { grep --line-buffered -v "^status-monitor\|^window=" || true; }
if [ -n "$replay" ]; then
    echo "=== explorer: replaying $replay"
    wine build/win32/tests/explorer.exe --replay "$(winepath -w "$replay")" --log "$(winepath -w "$root/$log")" 2>/dev/null | quiet
else
    echo "=== explorer: $minutes minute(s), seed $seed"
    wine build/win32/tests/explorer.exe --seconds $((minutes * 60)) --seed "$seed" \
        --log "$(winepath -w "$root/$log")" 2>/dev/null | quiet
fi
exit "${PIPESTATUS[0]}"
