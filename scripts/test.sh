#!/usr/bin/env bash
# Installs what is missing, builds the three configurations, and runs every test: the platform-free core
# natively (ASan + UBSan), bounded libFuzzer runs over its parsers, the Windows tests of the 32-bit build through Wine under a virtual display.
# The 64-bit DLL is built and checked for a static runtime; its tests are not run yet.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
jobs=$(nproc)

configure() {  # build-dir [cmake args...]
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure build/native
configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFERROW_FUZZ=ON
configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DBUILD_TESTING=OFF

cmake --build build/native -j "$jobs"
cmake --build build/fuzz -j "$jobs"
cmake --build build/win32 -j "$jobs"
cmake --build build/win64 -j "$jobs"

bash scripts/check-static.sh build/win32/Ferrow.dll build/win64/Ferrow.dll

bash scripts/build-cvs-exe.sh  # the Windows cvs client of the Wine tests, cached in build/cvs-win
# The prefix is created before ctest so test discovery does not pay for it.
build/win32/wine-run.sh cmd /c exit >/dev/null 2>&1 || true

status=0
echo "== native tests (core, ASan + UBSan)"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== fuzzers (libFuzzer, bounded runs from the seed corpora)"
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs" || status=1
echo "== Windows tests (i686, Wine)"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/win32 --output-on-failure || status=1
WINEPREFIX=${FERROW_WINEPREFIX:-$PWD/build/win32/wineprefix} wineserver -k >/dev/null 2>&1 || true  # a Linux program, not for wine
exit $status
