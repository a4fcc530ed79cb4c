#!/bin/bash
# Starts Velkora under Wine, saves a PNG of its window and checks that the
# picture has the window's size and is not blank. Needs DISPLAY and
# WINEPREFIX (scripts/wine-env.sh); builds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
out=${1:-build/screenshot.png}
exe=build/win32/Velkora.exe

wine "$exe" >/dev/null 2>&1 &
pid=$!
id=$(wait_for_velkora_window)
if [ -z "$id" ]; then
    echo "screenshot: the Velkora window did not appear" >&2
    kill $pid 2>/dev/null || true
    exit 1
fi
sleep 1.5
import -window "$id" "$out"
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true

size=$(identify -format '%wx%h' "$out")
colours=$(convert "$out" -format '%k' info:)
echo "screenshot: $out, $size pixels, $colours colours"
if [ "$size" != "404x571" ]; then
    echo "screenshot: expected 404x571 at 96 DPI" >&2
    exit 1
fi
if [ "$colours" -lt 50 ]; then
    echo "screenshot: the picture is blank" >&2
    exit 1
fi
