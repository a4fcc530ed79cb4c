#!/bin/bash
# Installs the Debian packages a command needs, and nothing when they are all
# there already. One list per purpose; the names exist on Debian 12 and 13.
#   scripts/install-deps.sh run|test|release|bench   (test when not given)
# Prints a few lines of progress; apt-get's own output goes to
# build/logs/install.log, whose path is printed when the install fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# Wine's X11 driver loads these at run time (Debian only recommends them):
# pointer, input, screens, compositing and anti-aliased drawing. Wine runs
# 32-bit programs with the i386 copies.
x_libs=(libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1)

# The run command: the shipped 32-bit build, Wine (with the 64-bit half, as
# the shared prefix under build/wine is a 64-bit one), a virtual display,
# fonts, and the tools that find, click and photograph the window.
run=(cmake ninja-build g++-mingw-w64-i686-posix
     wine wine64 wine32:i386 "${x_libs[@]}" "${x_libs[@]/%/:i386}"
     xvfb fonts-wine fonts-liberation fonts-dejavu-core xdotool imagemagick)
# The test command adds the native compilers (GCC with its sanitizer
# runtimes; clang with its fuzzer and sanitizer runtimes, whatever clang
# version the release has), GoogleTest's sources and the 64-bit toolchain.
test=("${run[@]}" g++ clang libclang-rt-dev googletest g++-mingw-w64-x86-64-posix)
# The release command: the shipped build and python3 to write the zip.
release=(cmake ninja-build g++-mingw-w64-i686-posix python3)
# The benchmarks: the run command's packages and GoogleTest (the harness is
# built with the tests).
bench=("${run[@]}" googletest)

case "${1:-test}" in
    run) packages=("${run[@]}") ;;
    test) packages=("${test[@]}") ;;
    release) packages=("${release[@]}") ;;
    bench) packages=("${bench[@]}") ;;
    *) echo "usage: scripts/install-deps.sh run|test|release|bench" >&2; exit 2 ;;
esac
purpose=${1:-test}

installed() { [[ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" == ii* ]]; }
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Installing packages needs root: run this as root, or install sudo. Missing: ${missing[*]}" >&2
        exit 1
    fi
    # sudo drops the environment; apt-get must stay non-interactive and speak
    # the English the lines below read.
    sudo=(sudo env DEBIAN_FRONTEND=noninteractive LC_ALL=C)
fi
mkdir -p build/logs
log=$(pwd)/build/logs/install.log
: >"$log"
export DEBIAN_FRONTEND=noninteractive LC_ALL=C
fail() {
    echo "The install failed: $1" >&2
    grep '^E:' "$log" | tail -5 >&2 || true
    echo "apt-get's output is in $log" >&2
    exit 1
}
seconds() { echo "$(($(date +%s) - $1)) s"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386 >>"$log" 2>&1 || fail "dpkg --add-architecture i386"
fi
started=$(date +%s)
printf 'Reading the package lists (apt-get update)... '
"${sudo[@]}" apt-get update >>"$log" 2>&1 || { echo; fail "apt-get update"; }
echo "done, $(seconds "$started")."

# What it comes to: a simulated install counts the packages, and the
# archives not yet in apt's cache are the download.
plan=$("${sudo[@]}" apt-get install -s --no-install-recommends "${missing[@]}" 2>&1) ||
    { echo "$plan" >>"$log"; fail "apt-get cannot install: ${missing[*]}"; }
echo "$plan" >>"$log"
count=$(echo "$plan" | sed -n 's/.* upgraded, \([0-9]*\) newly installed.*/\1/p')
bytes=$("${sudo[@]}" apt-get install --print-uris -qq --no-install-recommends "${missing[@]}" 2>/dev/null |
        awk '{ sum += $3 } END { print sum + 0 }')
if [ "$bytes" -ge 1000000 ]; then download="$(((bytes + 500000) / 1000000)) MB"
elif [ "$bytes" -ge 1000 ]; then download="$(((bytes + 500) / 1000)) kB"
else download="$bytes B"; fi
packages() { if [ "$1" = 1 ]; then echo "1 package"; else echo "$1 packages"; fi; }
echo "Installing $(packages ${#missing[@]}) for the $purpose command, ${count:-?} with what they need, $download to download."

# Progress from apt-get's status lines: one line for the download and one
# for unpacking and setting up, in steps of ten per cent (the last line is
# left open for the outcome). dpkg's last status comes before its last step,
# so the marks not yet shown are written to $rest, for a success to finish.
rest=$(mktemp)
progress() {
    local line kind pct phase="" next=0
    while IFS= read -r line; do
        IFS=: read -r kind _ pct _ <<<"$line"
        case "$kind" in
            dlstatus) kind="  downloading:" ;;
            pmstatus) kind="  unpacking and setting up:" ;;
            *) echo "$line" >>"$log"; continue ;;
        esac
        if [ "$kind" != "$phase" ]; then
            [ -n "$phase" ] && echo
            phase=$kind next=10
            printf '%s' "$phase"
        fi
        pct=${pct%%.*}
        while [ "$next" -le 100 ] && [ "${pct:-0}" -ge "$next" ]; do
            printf ' %d%%' "$next"
            next=$((next + 10))
        done
    done
    echo "$next" >"$rest"
}
started=$(date +%s)
set +e
# The status lines come on standard error (sudo passes no other descriptor),
# with apt-get's errors, which go to the log like the rest of its output.
"${sudo[@]}" apt-get install -y --no-install-recommends -o APT::Status-Fd=2 "${missing[@]}" 2>&1 >>"$log" | progress
status=${PIPESTATUS[0]}
set -e
next=$(cat "$rest")
rm -f "$rest"
[ "$status" -eq 0 ] || { echo; fail "apt-get install (exit status $status)"; }
while [ "$next" -ge 10 ] && [ "$next" -le 100 ]; do
    printf ' %d%%' "$next"
    next=$((next + 10))
done
echo ", done in $(seconds "$started")."
