#!/usr/bin/env bash
# Compiles the help pages of one folder (with its ferrow.hhp project) into a .chm file.
#   bash help/build-chm.sh <pages folder> <output .chm>
set -euo pipefail
src=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src"/* "$work"/
(cd "$work" && chmcmd --no-html-scan ferrow.hhp >chmcmd.log 2>&1) || { cat "$work/chmcmd.log" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
mv "$work/Ferrow.chm" "$out"
