#!/usr/bin/env bash
# Makes the administrative files of an interrupted command under tests/data/entries/ with the real client:
# a working folder whose CVS/Entries.Backup is in the way (a folder), so that the client cannot fold its
# CVS/Entries.Log into CVS/Entries at the end and leaves both behind, as after a lost connection or a
# closed window. The log holds the client's own "A" and "R" lines (an add, a remove, an update of a
# changed file and of a file removed in the repository), then malformed lines added here. Last, the client
# reads the pair again with the obstacle gone and writes the folded CVS/Entries, kept as Entries.folded:
# what the client itself makes of the pair. The files are committed; run this again only to refresh them.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/tests/data/entries/interrupted
mkdir -p "$out"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export CVSROOT=$scratch/repo
export CVS_RSH=
unset CVSREAD || true
cvs -Q init
mkdir -p "$scratch/import"
cd "$scratch/import"
for f in kept.c changed.c gone.c removed.c Mixed.TXT; do printf '%s\n' "$f" > "$f"; done
cvs -Q import -m import mod vendor start
cd "$scratch"
cvs -Q checkout -d other mod
cvs -Q checkout -d wc mod

# Another working copy changes changed.c and removes gone.c in the repository.
cd "$scratch/other"
printf 'more\n' >> changed.c
rm gone.c
cvs -Q remove gone.c
cvs -Q commit -m "change and remove" changed.c gone.c

# The interrupted folder: every change goes to the log only.
cd "$scratch/wc"
mkdir CVS/Entries.Backup
printf 'new\n' > added.c
cvs -Q add added.c 2>/dev/null || true
rm removed.c
cvs -Q remove removed.c 2>/dev/null || true
cvs -Q update changed.c gone.c 2>/dev/null || true
# Lines the client must skip: an unknown command, no space after the letter, a bare letter, a file line
# without its closing fields, a line with no command at all, and a folder line.
printf 'X /kept.c/9.9/junk//\nA/kept.c/9.9/junk//\nR\nA /kept.c/9.9\n/kept.c/9.9/junk//\nA D/sub////\n' >> CVS/Entries.Log
cp CVS/Entries "$out/Entries"
cp CVS/Entries.Log "$out/Entries.Log"

# What the client makes of them: it folds the log into Entries at the next command that reads them.
rmdir CVS/Entries.Backup
cvs -Q status > /dev/null 2>&1 || true
cp CVS/Entries "$out/Entries.folded"
test ! -e CVS/Entries.Log
