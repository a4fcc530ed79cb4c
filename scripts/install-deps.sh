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
# A package index that cannot be read (a mirror caught mid-sync, say) does
# not stop the install: apt-get update reads every other index and keeps the
# old copy of the failed one, if any. It is said, in one line per index, and
# tried once more after a pause; what could not be read is remembered for the
# install's own message, if the install then needs it.
failed=()   # "ARCH index (reason)", one per index the last update could not read
update() {
    local out status
    out=$("${sudo[@]}" apt-get update 2>&1)
    status=$?
    echo "$out" >>"$log"
    # Each failed index: "Err:4 http://host/path suite/component arch Packages",
    # and its reason: "E: Failed to fetch http://host/path/dists/suite/
    # component/binary-arch/FILE  REASON [IP: ...]".
    mapfile -t failed < <(echo "$out" | awk '
        /^Err:[0-9]+ / { n++; arch[n] = $4; name[n] = $3 " " $4 " " $5 " from " $2
                         split($3, sc, "/"); url[n] = $2 "/dists/" sc[1] "/" sc[2] "/binary-" $4 "/" }
        /^[EW]: Failed to fetch / { reason[$5] = $0; sub(/^[EW]: Failed to fetch [^ ]*  /, "", reason[$5])
                                    sub(/ *\[IP: [^]]*\]$/, "", reason[$5]); seen[++m] = $5 }
        END { for (i = 1; i <= n; i++) {
                  r = ""; for (j = 1; j <= m; j++) if (index(seen[j], url[i]) == 1) r = reason[seen[j]]
                  print arch[i] " " name[i] (r == "" ? "" : " (" r ")") } }')
    [ "$status" -eq 0 ] && return 0
    [ ${#failed[@]} -gt 0 ] || failed=("? an index ($(echo "$out" | grep -m1 '^E:' | cut -c4-))")
    return 1
}
started=$(date +%s)
printf 'Reading the package lists (apt-get update)... '
if update; then
    echo "done, $(seconds "$started")."
else
    # What was read is used; a mirror caught mid-sync is often whole again
    # a few seconds later.
    echo
    for index in "${failed[@]}"; do echo "Warning: a package index could not be read: ${index#* }." >&2; done
    printf 'Trying again in 10 s... '
    sleep 10
    if update; then
        echo "done, $(seconds "$started")."
    else
        echo "the same; going on with the package lists that were read."
    fi
fi

# What it comes to: a simulated install counts the packages, and the
# archives not yet in apt's cache are the download.
plan=$("${sudo[@]}" apt-get install -s --no-install-recommends "${missing[@]}" 2>&1) || {
    echo "$plan" >>"$log"
    # apt's own words ("you have held broken packages") tell a newcomer
    # nothing: name the packages that cannot be had, each tried alone, and
    # the unread index of their architecture they would have come from.
    echo "apt-get cannot install them all; finding out which cannot be had..." >&2
    native=$(dpkg --print-architecture)
    blocked=() sources=()
    for p in "${missing[@]}"; do
        "${sudo[@]}" apt-get install -s --no-install-recommends "$p" >>"$log" 2>&1 && continue
        blocked+=("$p")
        arch=$native; [[ "$p" == *:* ]] && arch=${p##*:}
        for index in "${failed[@]}"; do
            [ "${index%% *}" = "$arch" ] && [[ " ${sources[*]} " != *" ${index#* } "* ]] && sources+=("${index#* }")
        done
    done
    echo "The install cannot be done: ${blocked[*]:-${missing[*]}} cannot be installed." >&2
    if [ ${#sources[@]} -gt 0 ]; then
        for index in "${sources[@]}"; do echo "They would come from a package index that could not be read: $index." >&2; done
        echo "The package mirror is being updated: try again later, or use another mirror." >&2
    else
        grep '^E:' <<<"$plan" | tail -3 >&2 || true
    fi
    echo "apt-get's output is in $log" >&2
    exit 1
}
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
