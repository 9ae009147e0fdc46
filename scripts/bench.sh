#!/usr/bin/env bash
# The benchmarks (not tests): the platform-free core natively, optimised and without sanitizers, and
# Ferrow.dll through its COM interfaces under Wine (with the argument win64, the x86_64 DLL as well). Prints
# the tables; takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
[ -f build/bench-native/build.ninja ] ||
  cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERROW_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
[ -f build/win32/build.ninja ] ||
  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/bench-native --target core_bench >/dev/null
cmake --build build/win32 --target Ferrow dll_bench diff_bench >/dev/null
bash scripts/make-bench-data.sh build/bench-data
build/bench-native/core_bench build/bench-data
build/win32/wine-run.sh build/win32/dll_bench.exe build/win32/Ferrow.dll
build/win32/wine-run.sh build/win32/diff_bench.exe
WINEPREFIX=${FERROW_WINEPREFIX:-$PWD/build/win32/wineprefix} wineserver -k >/dev/null 2>&1 || true  # a Linux program, not for wine
if [ "${1:-}" = win64 ]; then  # the x86_64 DLL too, in the 64-bit build's prefix
  [ -f build/win64/build.ninja ] ||
    cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build build/win64 --target Ferrow dll_bench diff_bench >/dev/null
  build/win64/wine-run.sh build/win64/dll_bench.exe build/win64/Ferrow.dll
  build/win64/wine-run.sh build/win64/diff_bench.exe
  WINEPREFIX=${FERROW_WINEPREFIX:-$PWD/build/win64/wineprefix} wineserver -k >/dev/null 2>&1 || true
fi
