#!/usr/bin/env bash
# Makes the benchmark's inputs: the real client's `cvs log` output for files of 10, 1,000 and 10,000
# revisions, a tag on every fifth revision (2,000 tags on the largest). The repository files are written directly (committing 10,000 times would take minutes);
# the log text is the client's own. Usage: make-bench-data.sh OUTDIR   (skips sizes already made)
set -euo pipefail
out=$(mkdir -p "$1" && cd "$1" && pwd)
for n in 10 1000 10000; do
  [ -s "$out/log-$n.txt" ] && grep -q "REL_$((n - 5)):" "$out/log-$n.txt" && continue
  scratch=$(mktemp -d)
  mkdir -p "$scratch/repo/CVSROOT" "$scratch/repo/bench"
  export CVSROOT=$scratch/repo TZ=UTC
  cvs -Q init
  python3 - "$scratch/repo/bench/file.c,v" "$n" <<'PY'
import sys
path, n = sys.argv[1], int(sys.argv[2])
tags = "".join("\n\tREL_%d:1.%d" % (i, i) for i in range(n, 0, -5))
with open(path, "w") as f:
    f.write("head\t1.%d;\naccess;\nsymbols%s;\nlocks; strict;\ncomment\t@ * @;\n\n\n" % (n, tags))
    for i in range(n, 0, -1):
        day = 1 + (i % 28)
        f.write("1.%d\ndate\t2020.%02d.%02d.%02d.%02d.%02d;\tauthor dev%d;\tstate Exp;\nbranches;\nnext\t%s;\n\n"
                % (i, 1 + (i % 12), day, i % 24, i % 60, (i * 7) % 60, i % 5, "1.%d" % (i - 1) if i > 1 else ""))
    f.write("\ndesc\n@@\n")
    for i in range(n, 0, -1):
        msg = "Change %d: adjust the parser\nsecond line of message %d\n" % (i, i)
        text = "line %d\n" % i if i == n else "d1 1\na1 1\nline %d\n" % i
        f.write("\n\n1.%d\nlog\n@%s@\ntext\n@%s@\n" % (i, msg.replace("@", "@@"), text))
PY
  (cd "$scratch" && cvs -Q checkout bench && cd bench && cvs log file.c > "$out/log-$n.txt")
  rm -rf "$scratch"
done
