#!/usr/bin/env bash
# The 64-bit and the 32-bit DLL side by side in one 64-bit prefix, each registered by the regsvr32 of its
# bitness, in both orders: registering, re-registering or unregistering one never breaks the other, as the
# 64-bit and the 32-bit shell host see it (`ferrowsh handlers` follows every registration point of its view),
# and unregistering both leaves none of the keys the views share.
# Usage: side_by_side.sh <x86_64 build> <i686 build>   (exit 0 when every check holds)
set -u
b64=$1 b32=$2
# 77: skipped (ctest's SKIP_RETURN_CODE) on a machine that cannot run 32-bit programs.
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "SKIPPED: this machine cannot run 32-bit programs"; exit 77; }
failures=0
run() { "$b64/wine-run.sh" "$@" 2>&1 | tr -d '\r'; }
dll64=$(run winepath -w "$b64/Ferrow.dll")
dll32=$(run winepath -w "$b32/Ferrow.dll")

regsvr() {  # 64|32 [/u]
  local bits=$1 dll=$dll64 tool=regsvr32; shift
  if [ "$bits" = 32 ]; then dll=$dll32 tool='C:\windows\syswow64\regsvr32.exe'; fi
  "$b64/wine-run.sh" "$tool" /s "$@" "$dll" >/dev/null 2>&1 || { echo "FAIL: regsvr32 ($bits) $* failed"; failures=$((failures + 1)); }
}
handlers() { local dir=$b64; [ "$1" = 32 ] && dir=$b32; run "$dir/ferrowsh.exe" handlers; }

complete() {  # 64|32 step: every point of the view works and its classes load this bitness's DLL
  local bits=$1 dll=$dll64 out; [ "$bits" = 32 ] && dll=$dll32
  if ! out=$(handlers "$bits") || ! grep -qxF "served by $dll" <<<"$out"; then
    echo "FAIL after $2: the $bits-bit view is incomplete:"; grep -v '^ok' <<<"$out"; failures=$((failures + 1))
  fi
}
gone() {  # 64|32 step: no point of the view leads to a class of the module any more
  local out
  out=$(handlers "$1")
  if grep -q '^ok \|^served by .' <<<"$out"; then
    echo "FAIL after $2: the $1-bit view still serves the module:"; echo "$out"; failures=$((failures + 1))
  fi
}
# After both DLLs are unregistered nothing of the module is left in either view: no key or value names it, its
# DLLs or one of its identifiers (a leftover shared key would make the other bitness's Explorer load a class
# that is gone). HKLM\Software in the 64-bit view holds both views (the 32-bit one under Wow6432Node); HKCR adds
# the user's classes.
ids=$(grep -ohE '"[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}"' "$(dirname "$0")/../../src/com/guids.h" | tr -d '"')
nothing_left() {  # step
  local dump left key
  dump=$(mktemp -d)
  for key in 'HKLM\Software' 'HKCR'; do
    "$b64/wine-run.sh" reg export "$key" "$(run winepath -w "$dump")\\${key%%\\*}.reg" /reg:64 /y >/dev/null 2>&1 ||
      { echo "FAIL after $1: reg export $key"; failures=$((failures + 1)); }
  done
  left=$(cat "$dump"/*.reg | iconv -f UTF-16LE -t UTF-8 | tr -d '\r' | grep -i -e 'ferrow' -e CVSControlled -e CVSModified \
         $(printf -- '-e %s ' $ids))
  rm -rf "$dump"
  if [ -n "$left" ]; then echo "FAIL after $1: left in the registry:"; echo "$left"; failures=$((failures + 1)); fi
}

regsvr 64 /u; regsvr 32 /u  # a clean start whatever an earlier run left

# One order: the 64-bit DLL first, the 32-bit one registered twice, unregistered first.
regsvr 64; regsvr 32; regsvr 32
complete 64 "registering 64, 32, 32"; complete 32 "registering 64, 32, 32"
regsvr 32 /u
complete 64 "unregistering 32"; gone 32 "unregistering 32"
regsvr 64 /u
gone 64 "unregistering both"; nothing_left "unregistering 32 then 64"

# The other order.
regsvr 32; regsvr 64; regsvr 64
complete 64 "registering 32, 64, 64"; complete 32 "registering 32, 64, 64"
regsvr 64 /u
complete 32 "unregistering 64"; gone 64 "unregistering 64"
regsvr 32 /u
gone 32 "unregistering both"; nothing_left "unregistering 64 then 32"

[ "$failures" = 0 ] && echo "side by side: every check holds"
exit $((failures > 0))
