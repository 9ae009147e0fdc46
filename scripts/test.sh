#!/usr/bin/env bash
# Installs what is missing, builds the three configurations, and runs every test: the platform-free core
# natively (ASan + UBSan), bounded libFuzzer runs over its parsers, and the Windows tests of both DLLs through
# Wine under a virtual display: the 32-bit build in a 32-bit prefix, the 64-bit build in a 64-bit prefix (where
# the two DLLs are also registered side by side).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
jobs=$(nproc)

bash scripts/check-layout.sh  # the floors of src/: what may include what

configure() {  # build-dir [cmake args...]
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure build/native
configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DFERROW_FUZZ=ON
configure build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
configure build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
# Older trees configured the 64-bit build without tests; the side-by-side and installer tests use the 32-bit
# build's DLL too.
# The test packages carry an unsigned menu package (tests/installer/signing_test.sh signs one of its own).
cmake build/win64 -DBUILD_TESTING=ON -DFERROW_WIN32_BUILD_DIR="$root/build/win32" -DFERROW_ALLOW_UNSIGNED_MSIX=ON >/dev/null

cmake --build build/native -j "$jobs"
cmake --build build/fuzz -j "$jobs"
cmake --build build/win32 -j "$jobs"
cmake --build build/win64 -j "$jobs"

bash scripts/check-static.sh build/win32/Ferrow.dll build/win64/Ferrow.dll build/win32/Ferrow.exe build/win64/Ferrow.exe

bash scripts/build-cvs-exe.sh  # the Windows cvs client of the Wine tests, cached in build/cvs-win
# Each prefix is created before ctest; ctest keeps one wine server alive for its run (fixture wine_server).
stop_servers() { for arch in win32 win64; do "build/$arch/wine-run.sh" --server-stop; done; }
trap stop_servers EXIT

status=0
echo "== native tests (core, ASan + UBSan)"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== fuzzers (libFuzzer, bounded runs from the seed corpora)"
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs" || status=1
for arch in win32 win64; do
  echo "== Windows tests ($arch build, $arch Wine prefix)"
  "build/$arch/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
  "build/$arch/wine-run.sh" --server-stop  # the server's desktop must be on the display of the tests
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "build/$arch" --output-on-failure || status=1
  "build/$arch/wine-run.sh" --server-stop
done
exit $status
