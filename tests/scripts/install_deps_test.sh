#!/bin/bash
# scripts/install-deps.sh beside a package mirror caught mid-sync: stand-ins
# for apt-get, dpkg and dpkg-query play a machine where nothing is installed
# and the i386 security index does not match its release file. The release
# command, which needs no i386 package, goes on and installs; the run command
# goes on and fails at the install, saying what is missing, from which index,
# and what to try.
set -uo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tree/scripts" "$work/bin"
cp "$source" "$work/tree/scripts/"
failures=0
check() {  # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

cat >"$work/bin/apt-get" <<'STANDIN'
#!/bin/bash
echo "apt-get $*" >>"$STANDIN_LOG"
if [ "$1" = update ]; then
    cat <<'OUT'
Hit:1 http://deb.debian.org/debian bookworm InRelease
Get:2 http://deb.debian.org/debian-security bookworm-security InRelease [48.0 kB]
Ign:4 http://deb.debian.org/debian-security bookworm-security/main i386 Packages
Err:4 http://deb.debian.org/debian-security bookworm-security/main i386 Packages
  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]
Fetched 48.0 kB in 1s (48.0 kB/s)
Reading package lists...
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]
E: Some index files failed to download. They have been ignored, or old ones used instead.
OUT
    exit 100
fi
packages=()
for a in "$@"; do [[ "$a" == -* || "$a" == install || "$a" == APT::* ]] || packages+=("$a"); done
if [[ " ${packages[*]} " == *":i386 "* && " $* " == *" wine32:i386 "* ]]; then
    cat <<'OUT'
The following packages have unmet dependencies:
 libcurl4:i386 : Depends: zlib1g:i386 (>= 1:1.1.4) but it is not going to be installed
E: Unable to correct problems, you have held broken packages.
OUT
    exit 100
fi
case " $* " in
    *" -s "*) echo "0 upgraded, $((${#packages[@]} + 5)) newly installed, 0 to remove and 0 not upgraded." ;;
    *" --print-uris "*) for p in "${packages[@]}"; do echo "'http://deb.debian.org/$p.deb' $p.deb 1000000 SHA256:0"; done ;;
    *) printf '%s\n' "${packages[@]}" >>"$STANDIN_INSTALLED"; echo "pmstatus:x:100:done" >&2 ;;
esac
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/bin/bash
exit 1
STANDIN
cat >"$work/bin/dpkg" <<'STANDIN'
#!/bin/bash
case "$1" in --print-foreign-architectures) echo i386 ;; --print-architecture) echo amd64 ;; esac
STANDIN
printf '#!/bin/bash\necho "sleep $*" >>"$STANDIN_LOG"\n' >"$work/bin/sleep"
printf '#!/bin/bash\necho 0\n' >"$work/bin/id"
printf '#!/bin/bash\nwhile [[ "$1" == -* || "$1" == env || "$1" == *=* ]]; do shift; done\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*

run() {  # run COMMAND: its output in $work/COMMAND.out, its status returned
    STANDIN_LOG=$work/$1.calls STANDIN_INSTALLED=$work/$1.installed PATH="$work/bin:$PATH" \
        "$work/tree/scripts/install-deps.sh" "$1" >"$work/$1.out" 2>&1
}
said() { grep -qF -- "$2" "$work/$1.out"; }

run release
status=$?
check "the release command succeeds" [ "$status" -eq 0 ]
check "it says which index failed and why" said release \
    "Warning: a package index could not be read: bookworm-security/main i386 Packages from http://deb.debian.org/debian-security (File has unexpected size (374820 != 376004). Mirror sync in progress?)."
check "it tries once more after a pause" [ "$(grep -c '^apt-get update' "$work/release.calls")" -eq 2 ]
check "the pause comes between the two" bash -c "grep -A1 '^apt-get update' '$work/release.calls' | grep -q '^sleep'"
check "it installs its packages" grep -qx python3 "$work/release.installed"

run run
status=$?
check "the run command fails" [ "$status" -ne 0 ]
check "it names what cannot be installed" said run "The install cannot be done: wine32:i386 cannot be installed."
check "it names the index it would have come from" said run \
    "They would come from a package index that could not be read: bookworm-security/main i386 Packages from http://deb.debian.org/debian-security"
check "it says what to try" said run "The package mirror is being updated: try again later, or use another mirror."
check "it installs nothing" [ ! -s "$work/run.installed" ]
check "apt's own riddle is not what it ends on" bash -c "! tail -2 '$work/run.out' | grep -q 'held broken packages'"

if [ "$failures" -ne 0 ]; then
    for c in release run; do echo "--- $c:"; cat "$work/$c.out"; done
    exit 1
fi
