#!/usr/bin/env bash
# Screenshots of the settings frame's three pages (Options, Tools, About) in English and German, taken
# through the shell host on a virtual display: <folder>/settings-<language>-<page>.png.
# usage: scripts/settings-screenshots.sh <folder>
# Needs build/win32 built (Ferrow.dll, ferrowsh.exe); honours FERROW_WINEPREFIX like wine-run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/settings-screenshots.sh <folder>}
mkdir -p "$out"
out=$(cd "$out" && pwd)
build/win32/wine-run.sh cmd /c exit >/dev/null 2>&1 || true  # the prefix exists before the clock runs
# Wine's desktop process belongs to a prefix's running session: wait until any session started without
# this display (such as the line above) has ended, so that the frame is drawn on the virtual display.
WINEPREFIX=${FERROW_WINEPREFIX:-$PWD/build/win32/wineprefix} wineserver -w

dll="Z:$PWD/build/win32/Ferrow.dll"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -eu
  dll=$1 out=$2
  for language in 1033 1031; do
    for page in 0 1 2; do
      log=$out/.options.log
      WINEDEBUG=-all build/win32/wine-run.sh build/win32/ferrowsh.exe --dll "$dll" \
          options --lang "$language" --page "$page" --for 3000 >"$log" 2>&1 &
      host=$!
      for _ in $(seq 120); do grep -q "frame open" "$log" && break; sleep 0.25; done
      sleep 1  # the chosen tab paints
      name=$([ "$language" = 1033 ] && echo en || echo de)-$(echo options tools about | cut -d" " -f$((page + 1)))
      xwd -root -silent | convert xwd:- -trim +repage "$out/settings-$name.png"
      wait "$host"
    done
  done
  rm -f "$out/.options.log"
' _ "$dll" "$out"
ls "$out"/settings-*.png
