#!/usr/bin/env bash
# Fails when a Windows binary imports a MinGW runtime DLL: they must be linked in statically.
set -euo pipefail
status=0
for f in "$@"; do
  if x86_64-w64-mingw32-objdump -p "$f" | grep -iE 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)'; then
    echo "$f imports a MinGW runtime DLL" >&2
    status=1
  fi
done
exit $status
