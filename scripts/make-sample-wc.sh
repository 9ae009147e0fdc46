#!/usr/bin/env bash
# Makes a CVS repository and a working copy of module "sample" with the real cvs client, covering each state:
# unchanged, modified, added, removed, sticky-tagged, binary, unlisted, and a sub-folder.
# Usage: make-sample-wc.sh DIR   (DIR/repo is the repository, DIR/wc the working copy; DIR is replaced)
set -euo pipefail
dir=$1
rm -rf "$dir"
mkdir -p "$dir/import/sub"
dir=$(cd "$dir" && pwd)
export CVSROOT="$dir/repo" TZ=UTC
unset CVS_RSH
cvs -Q init

cd "$dir/import"
printf 'unchanged\n' > unchanged.txt
printf 'int main(void) { return 0; }\n' > modified.c
printf 'to be removed\n' > removed.txt
printf 'first version\n' > sticky.txt
printf '\x00\x01\x02binary' > image.bin
printf 'in a sub-folder\n' > sub/nested.txt
cvs -Q import -m "Initial import" sample pembrake start
cd "$dir"
rm -rf import
cvs -Q checkout -d wc sample
cd wc
cvs -Q admin -kb image.bin >/dev/null
cvs -Q update image.bin
cvs -Q tag v1_0
cvs -Q tag -b stable
printf 'second version\n' >> sticky.txt
cvs -Q commit -m "Second version of sticky.txt" sticky.txt
cvs -Q update -r v1_0 sticky.txt
printf 'new file\n' > added.txt
cvs -Q add added.txt 2>/dev/null
rm removed.txt
cvs -Q remove removed.txt 2>/dev/null
printf 'not in cvs\n' > unlisted.txt
# Changed after checkout: a later modification time than the one recorded.
sleep 1
printf '/* changed */\n' >> modified.c
touch -d '+2 seconds' modified.c
cd "$dir"
# A second working copy checked out on the branch "stable": its folders carry the sticky tag in CVS/Tag.
cvs -Q checkout -r stable -d wc-tagged sample
