#!/usr/bin/env bash
# The demo: builds Ferrow.dll, registers it in a private Wine prefix, makes a sample CVS repository and
# working copy with the real cvs client, and shows what the extension makes of every item, driven through
# the shell host (ferrowsh.exe) the way Explorer drives the DLL.
# Output: this terminal, and the folder demo-out/ (named at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/demo-out

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Installing what is missing and building (first run: a few minutes)"
bash scripts/setup.sh
[ -f build/win32/build.ninja ] ||
  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$(nproc)" --target Ferrow ferrowsh >/dev/null

rm -rf "$out"
mkdir -p "$out"
export FERROW_WINEPREFIX=$out/wineprefix
wine_run() { build/win32/wine-run.sh "$@"; }
host() { wine_run build/win32/ferrowsh.exe "$@"; }

step "A private Wine prefix ($FERROW_WINEPREFIX) with Ferrow.dll registered"
wine_run cmd /c exit >/dev/null 2>&1 || true
host register

step "A sample repository and working copy, made by the real cvs client"
bash scripts/make-sample-wc.sh "$out/sample" >/dev/null
wc=$out/sample/wc
cat <<TEXT
Working copy $wc:
  unchanged.txt  checked out, not touched          modified.c   changed after checkout
  added.txt      "cvs add" (not committed)         removed.txt  deleted and "cvs remove"d
  sticky.txt     updated to tag v1_0 (sticky)      image.bin    binary (-kb)
  unlisted.txt   never added                       sub/         a sub-folder with nested.txt
TEXT
items=(. CVS unchanged.txt modified.c added.txt removed.txt sticky.txt image.bin unlisted.txt sub sub/nested.txt)
paths=()
for i in "${items[@]}"; do paths+=("$wc/$i"); done

step "What the working-copy model says of each item (status in English / German)"
host status "${paths[@]}"

step "Icon overlays: what each overlay identifier answers, and the mark Explorer draws"
host overlays "${paths[@]}"

step "Done"
echo "Everything the demo made is in $out (the Wine prefix, the repository and the working copy)."
wine_run wineserver -k >/dev/null 2>&1 || true
