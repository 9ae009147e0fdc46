#!/usr/bin/env bash
# Makes the recorded `cvs log` outputs under tests/data/logs/ with the real client, on a scratch repository:
# trunk revisions, a branch with its branch tag, ordinary tags, multi-line and empty messages, a removed
# file, a file with many tags, and the logs of several files in one output. The outputs are committed; run
# this again only to refresh them (dates and commit ids change on every run, the tests do not depend on them).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/tests/data/logs
mkdir -p "$out"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export CVSROOT=$scratch/repo
export CVS_RSH=
unset CVSREAD || true
cvs -Q init
mkdir -p "$scratch/repo/mod"
cd "$scratch"
cvs -Q checkout mod
cd mod

commit() {  # message files...
  local msg=$1; shift
  cvs -Q commit -m "$msg" "$@"
}

# trunk.c: only trunk revisions 1.1 to 1.3.
printf 'one\n' > trunk.c
cvs -Q add trunk.c
commit "first revision of trunk.c" trunk.c
printf 'two\n' >> trunk.c
commit "second revision" trunk.c
printf 'three\n' >> trunk.c
commit "third revision" trunk.c

# branch.c: 1.1, 1.2, a branch from 1.2 (branch_x -> 1.2.0.2) with 1.2.2.1 and 1.2.2.2, then 1.3 on the
# trunk; tags REL_0 on 1.1, REL_1 on 1.3, BP_x on 1.2; a multi-line message with an empty middle line and a
# message emptied afterwards in the repository file (the client never records an empty message, and prints
# "*** empty log message ***" for one).
printf 'base\n' > branch.c
cvs -Q add branch.c
commit "initial version" branch.c
cvs -Q tag REL_0 branch.c
printf 'more\n' >> branch.c
commit "$(printf 'fixed the build\n\nsecond paragraph: after an empty line\nlast line')" branch.c
cvs -Q tag BP_x branch.c
cvs -Q tag -b branch_x branch.c
cvs -Q update -r branch_x branch.c
printf 'on branch\n' >> branch.c
commit "first change on the branch" branch.c
printf 'on branch again\n' >> branch.c
commit "EMPTY-ME" branch.c
cvs -Q update -A branch.c
printf 'trunk again\n' >> branch.c
commit "$(printf 'trunk after the branch\nwith a second line')" branch.c
cvs -Q tag REL_1 branch.c
# An empty message: "log @@" in the repository file for the revision committed as EMPTY-ME.
perl -0pi -e 's/\@EMPTY-ME\n\@/\@\@/' "$CVSROOT/mod/branch.c,v"

# gone.c: added, changed, then removed (state dead on the last revision).
printf 'x\n' > gone.c
cvs -Q add gone.c
commit "add gone.c" gone.c
printf 'y\n' >> gone.c
commit "change gone.c" gone.c
rm gone.c
cvs -Q remove gone.c
commit "remove gone.c" gone.c

# many.c: one revision with 45 tags, more than the tag table holds before it grows.
printf 'm\n' > many.c
cvs -Q add many.c
commit "many tags" many.c
for i in $(seq 1 45); do cvs -Q tag "T$i" many.c; done

cvs log trunk.c > "$out/trunk.log"
cvs log branch.c > "$out/branch.log"
cvs log many.c > "$out/many-tags.log"
cvs log -l > "$out/folder.log" 2>/dev/null
cvs log trunk.c branch.c > "$out/two-files.log"
cvs log -l branch.c > "$out/local-branch.log"
echo "written: $(ls "$out" | tr '\n' ' ')"
