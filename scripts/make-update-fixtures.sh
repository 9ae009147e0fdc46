#!/usr/bin/env bash
# Records what the real client prints for "cvs -n -q update" into tests/data/update/: every status letter
# it writes (U P A R M C ?), a lost file, a file removed in the repository, a new folder, and a file that
# changed on both sides (with and without overlapping edits). Run by hand; the output is committed.
set -euo pipefail
out=$(cd "$(dirname "$0")/.." && pwd)/tests/data/update
work=/tmp/ferrow-update-fixtures; rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
export CVSROOT=$work/repo TZ=UTC
cvs -q init
mkdir "$work/import" && cd "$work/import"
for f in same.txt stale.txt merge.txt clash.txt lost.txt gone.txt edited.txt removed.txt; do
  printf 'one\ntwo\nthree\nfour\nfive\n' > "$f"
done
mkdir sub && printf 'x\n' > sub/inner.txt
cvs -q import -m start mod vendor start >/dev/null
cd "$work" && cvs -q checkout -d a mod >/dev/null && cvs -q checkout -d b mod >/dev/null
# The other working copy commits: stale (needs update), merge and clash (changed there), gone (removed),
# a new file and a new folder.
cd "$work/b"
sed -i 's/one/ONE/' stale.txt merge.txt
sed -i 's/three/THEIRS/' clash.txt
rm gone.txt && cvs -q remove gone.txt >/dev/null 2>&1
printf 'new\n' > fresh.txt && cvs -q add fresh.txt >/dev/null 2>&1
mkdir newdir && cvs -q add newdir >/dev/null 2>&1 && printf 'n\n' > newdir/n.txt && cvs -q add newdir/n.txt >/dev/null 2>&1
cvs -q commit -m theirs >/dev/null
# This working copy: local edits that merge cleanly or clash, an added, a removed, a lost and an unknown file.
cd "$work/a"
sleep 1
sed -i 's/five/FIVE/' merge.txt edited.txt
sed -i 's/three/MINE/' clash.txt
printf 'added\n' > added.txt && cvs -q add added.txt >/dev/null 2>&1
rm removed.txt && cvs -q remove removed.txt >/dev/null 2>&1
rm lost.txt
printf 'unknown\n' > unknown.txt
printf 'y\n' > sub/unknown-inner.txt
mkdir -p "$out"
cvs -n -q update > "$out/mixed.out" 2> "$out/mixed.err" || true
# Nothing to report: no output at all.
cd "$work/b" && cvs -n -q update > "$out/clean.out" 2> "$out/clean.err" || true
# A file in a real conflict after a merge: its letter in a later check.
cd "$work/a" && cvs -q update clash.txt >/dev/null 2>&1 || true
cvs -n -q update clash.txt > "$out/conflict.out" 2> "$out/conflict.err" || true
