#!/bin/bash
# The release command: builds the shipped 32-bit programs and writes
# dist/velkora-<version>-win32.zip (Velkora.exe, status-monitor.exe and a
# short text) and dist/SHA256SUMS. Programs and zip are reproducible: no
# time stamps, no build paths, a fixed order of entries.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh release
scripts/build.sh win32 Velkora status-monitor

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
name=velkora-$version-win32
mkdir -p dist
rm -f "dist/$name.zip" dist/SHA256SUMS
# The text with Windows line ends, for Notepad.
sed "s/@VERSION@/$version/g; s/\$/\r/" docs/release-readme.txt > "dist/$name-README.txt"

python3 - "dist/$name.zip" "$name" build/win32/Velkora.exe build/win32/status-monitor.exe "dist/$name-README.txt" <<'PY'
import os, sys, zipfile
out, folder, *files = sys.argv[1:]
with zipfile.ZipFile(out, "w") as z:
    for path in files:  # in the order given
        arcname = folder + "/" + ("README.txt" if path.endswith("README.txt") else os.path.basename(path))
        info = zipfile.ZipInfo(arcname, date_time=(1980, 1, 1, 0, 0, 0))
        info.create_system = 0           # MS-DOS, whatever system builds it
        info.external_attr = 0x20        # the archive attribute only
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
rm "dist/$name-README.txt"

{
    (cd dist && sha256sum "$name.zip")
    for exe in Velkora.exe status-monitor.exe; do
        echo "$(sha256sum "build/win32/$exe" | cut -d' ' -f1)  $name/$exe"
    done
} > dist/SHA256SUMS
echo "Written: dist/$name.zip and dist/SHA256SUMS"
cat dist/SHA256SUMS
