#!/usr/bin/env bash
# The "CVS" context menu through the shell host, on a copy of the sample working copy: the submenu for each
# state, Update and Commit run through the DLL (the recording stand-in plays the client), and screenshots of
# the Commit, Tag and Custom command dialogs in English and German.
# Usage: scripts/demo-menu.sh [output-folder]   (default: build/demo-menu; needs a built build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-$root/build/demo-menu}")
build=$root/build/win32
[ -x "$build/ferrowsh.exe" ] || { echo "build build/win32 first" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out"
cp -a "$build/fixtures/sample/wc" "$out/wc"

winpath() { echo "Z:$1" | tr / '\\'; }
export CVSSTUB_LOG=$(winpath "$out/stub.log")
export CVSSTUB_STDOUT='M modified.c\n'
export OUT=$out BUILD=$build STUB=$(winpath "$build/tools/cvsstub.exe")

xvfb-run -a -s "-screen 0 1024x768x24" bash -s <<'SCRIPT' | tee "$out/transcript.txt"
set -u
W=$BUILD/wine-run.sh
sh() { "$W" "$BUILD/ferrowsh.exe" --dll "$BUILD/Ferrow.dll" "$@"; }
"$W" reg add 'HKCU\Software\Pembrake\Ferrow\Tools' /v Cvs /d "$STUB" /f >/dev/null 2>&1
wc=$OUT/wc
for item in unlisted.txt unchanged.txt sticky.txt modified.c added.txt image.bin sub .; do
  echo "== menu $item"
  sh menu "$wc/$item"
done
echo "== menu modified.c unchanged.txt (two items)"
sh menu "$wc/modified.c" "$wc/unchanged.txt"
echo "== menu --shift (outside any working copy)"
sh menu --shift "$OUT"
echo "== invoke update modified.c unchanged.txt"
sh invoke --no-ui update "$wc/modified.c" "$wc/unchanged.txt"
echo "== invoke commit --message 'Fix the \"main\" return value' modified.c"
sh invoke --no-ui commit --message 'Fix the "main" return value' "$wc/modified.c"
shot() {  # name item [options...]
  local name=$1; shift
  sh invoke --no-ui --pause 5000 --cancel "$@" >/dev/null &
  sleep 4
  xwd -root -silent | convert xwd:- "$OUT/$name.png"
  wait
}
for lang in en de; do
  shot "commit-$lang" --lang $lang commit "$wc/sticky.txt"
  shot "tag-$lang" --lang $lang tag "$wc/sticky.txt"
  shot "custom-$lang" --lang $lang custom "$wc/sticky.txt"
done
"$W" reg delete 'HKCU\Software\Pembrake' /f >/dev/null 2>&1
SCRIPT
echo "== commands the stand-in received (folder, arguments)"
cat "$out/stub.log"
echo "screenshots: $out/*.png"
