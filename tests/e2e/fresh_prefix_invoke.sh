#!/usr/bin/env bash
# The shell host in a prefix made a moment ago, as a user's script does it: the prefix is made and the DLL
# registered without a display (so the session's desktop has none), then, while that session still runs,
# `invoke` and `band` are run with the display of this test. Both must site the console bar and run.
#
# Usage: fresh_prefix_invoke.sh <wine-run.sh> <build dir> <sample working copy>
set -uo pipefail
wine_run=$(realpath "$1")
build=$(realpath "$2")
sample=$(realpath "$3")
export FERROW_WINEPREFIX=$build/fresh-prefix
work=$build/fresh-prefix-work
rm -rf "$FERROW_WINEPREFIX" "$work"
mkdir -p "$work"
cp -a "$sample" "$work/wc"
trap 'WINEPREFIX=$FERROW_WINEPREFIX wineserver -k >/dev/null 2>&1; rm -rf "$FERROW_WINEPREFIX" "$work"' EXIT

failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

env -u DISPLAY "$wine_run" "$build/ferrowsh.exe" register >"$work/out" 2>&1 || fail "register: $(cat "$work/out")"
stub=$("$wine_run" winepath -w "$build/tools/cvsstub.exe" 2>/dev/null | tr -d '\r')
"$wine_run" reg add 'HKCU\Software\Pembrake\Ferrow\Tools' /v Cvs /d "$stub" /f >/dev/null 2>&1
file=$("$wine_run" winepath -w "$work/wc/unchanged.txt" 2>/dev/null | tr -d '\r')

"$wine_run" "$build/ferrowsh.exe" invoke --no-ui update "$file" >"$work/out" 2>&1
rc=$?
[ "$rc" = 0 ] && grep -q 'update: S_OK' "$work/out" || fail "invoke (exit $rc): $(cat "$work/out")"
"$wine_run" "$build/ferrowsh.exe" band --for 100 "a line" >"$work/out" 2>&1 || fail "band: $(cat "$work/out")"

[ "$failed" = 0 ] && echo "passed"
exit "$failed"
