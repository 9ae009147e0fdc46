#!/usr/bin/env bash
# Checks the Windows cvs client that the end-to-end tests and the demo use (scripts/build-cvs-exe.sh) with
# real commands under Wine: a repository on C: (inside the prefix: Z: paths make Wine print volume warnings
# on its own standard error), init, import, checkout, commit, log, tag, a conflict from a concurrent change, a branch,
# a failing command's exit code and message, and the same through cmd.exe with redirection. The client is
# found on the prefix's PATH, as the DLL finds it.
#
# Usage: cvs_client_smoke.sh <wine-run.sh> <wine prefix>
set -uo pipefail
wine_run=$(realpath "$1")
drive_c=$(realpath "$2")/drive_c
work=$drive_c/ferrow-cvs-smoke
root=:local:C:/ferrow-cvs-smoke/repo

passed=0
failed=0
check() {  # description command... : runs the command, counts it.
  local what=$1; shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
  fi
}
# cvs <folder under $work> <args...>: runs the client there, output in $work/out and $work/err, status in rc.
cvs() {
  local dir=$1; shift
  (cd "$work/$dir" && "$wine_run" cvs "$@" >"$work/out" 2>"$work/err")
  rc=$?
}
has() { grep -q -- "$2" "$work/$1"; }
crlf_only() { ! grep -qv $'\r$' "$1"; }

"$wine_run" cmd /c exit >/dev/null 2>&1  # the prefix, once
rm -rf "$work"
mkdir -p "$work/import/sub" "$work/w"
printf 'one\r\ntwo\r\n' >"$work/import/a.txt"
printf 'b\r\n' >"$work/import/sub/b.txt"

cvs . -d "$root" init
check "init exits 0" test "$rc" = 0
check "init makes CVSROOT" test -f "$work/repo/CVSROOT/history"

cvs import -d "$root" import -m "first import" proj vendor start
check "import exits 0" test "$rc" = 0
check "import lists the files" has out 'N proj/a.txt'
check "import stores the file" test -f "$work/repo/proj/sub/b.txt,v"

cvs w -d "$root" checkout proj
check "checkout exits 0" test "$rc" = 0
check "checkout writes the files" test -f "$work/w/proj/sub/b.txt"
check "checkout names folders on standard error" has err 'Updating proj/sub'
check "Entries has the file at 1.1.1.1" grep -q '^/a.txt/1.1.1.1/' "$work/w/proj/CVS/Entries"
for f in Entries Root Repository; do
  check "CVS/$f has CR LF line ends" crlf_only "$work/w/proj/CVS/$f"
done
check "Root is stored as given" grep -q "^$root"$'\r$' "$work/w/proj/CVS/Root"

printf 'one\r\ntwo\r\nthree\r\n' >"$work/w/proj/a.txt"
cvs w/proj commit -m "third line" a.txt
check "commit exits 0" test "$rc" = 0
check "commit makes 1.2" has out 'new revision: 1.2'
check "Entries has 1.2" grep -q '^/a.txt/1.2/' "$work/w/proj/CVS/Entries"

# Date parsing and printing go through the runtime's time zone data: a wrong import crashed here.
cvs w/proj log a.txt
check "log exits 0" test "$rc" = 0
check "log shows the new revision" has out '^revision 1.2'
check "log shows the message" has out '^third line'
check "log shows the import tag" has out 'start: 1.1.1.1'

cvs w/proj tag REL_1
check "tag exits 0" test "$rc" = 0
cvs w/proj -q status a.txt
check "status shows the file up to date" has out 'Status: Up-to-date'

# A concurrent change from a second working copy, then a conflicting local edit.
mkdir -p "$work/w2"
cvs w2 -Q -d "$root" checkout proj
printf 'ONE\r\ntwo\r\nthree\r\n' >"$work/w2/proj/a.txt"
cvs w2/proj -Q commit -m "theirs" a.txt
check "the concurrent commit exits 0" test "$rc" = 0
printf 'uno\r\ntwo\r\nthree\r\n' >"$work/w/proj/a.txt"
cvs w/proj update a.txt
check "update reports the conflict" has out '^C a.txt'
check "the file has conflict markers" grep -q '^<<<<<<< a.txt' "$work/w/proj/a.txt"
check "Entries marks the merge" grep -q '^/a.txt/1.3/Result of merge+' "$work/w/proj/CVS/Entries"

# A branch: sticky tag in Tag and Entries.
cvs w2/proj -Q tag -b BR_1
check "tag -b exits 0" test "$rc" = 0
cvs w2/proj -Q update -r BR_1
check "update -r exits 0" test "$rc" = 0
check "CVS/Tag names the branch" grep -q $'^TBR_1\r$' "$work/w2/proj/CVS/Tag"
check "Entries has the sticky tag" grep -q $'^/a.txt/1.3/.*//TBR_1\r$' "$work/w2/proj/CVS/Entries"

cvs w/proj log nosuchfile
check "a failing command exits 1" test "$rc" = 1
check "its message is on standard error" has err 'nothing known about nosuchfile'

# Through cmd.exe, as the DLL runs the client: exit code and redirection into a file.
(cd "$work/w/proj" && "$wine_run" cmd /c "cvs log a.txt > log.txt 2> err.txt" >/dev/null 2>&1)
check "cmd.exe: exit 0" test $? = 0
check "cmd.exe: redirected output" grep -q '^revision 1.2' "$work/w/proj/log.txt"
(cd "$work/w/proj" && "$wine_run" cmd /c "cvs update -r NO_SUCH_TAG a.txt 2> err.txt" >/dev/null 2>&1)
check "cmd.exe: a failing command exits 1" test $? = 1
check "cmd.exe: its message in the redirected file" grep -q 'NO_SUCH_TAG' "$work/w/proj/err.txt"

rm -rf "$work"
echo "$passed passed, $failed failed"
test "$failed" = 0
