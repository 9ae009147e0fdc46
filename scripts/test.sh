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

# Some machines (kernels without 32-bit support) cannot run a 32-bit program, so 32-bit Wine does not start
# there: the i686 build is still made, and its Windows tests run wherever the machine allows.
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
arches=(win64)
if runs_32bit; then
  arches=(win32 win64)
  bash scripts/build-cvs-exe.sh build/cvs-win i686-w64-mingw32  # the Windows cvs clients of the Wine tests
fi
bash scripts/build-cvs-exe.sh build/cvs-win64 x86_64-w64-mingw32
# Each prefix is created before ctest; ctest keeps one wine server alive for its run (fixture wine_server).
stop_servers() { for arch in "${arches[@]}"; do "build/$arch/wine-run.sh" --server-stop; done; }
trap stop_servers EXIT

status=0
echo "== native tests (core, ASan + UBSan)"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== fuzzers (libFuzzer, bounded runs from the seed corpora)"
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs" || status=1
if ! runs_32bit; then
  echo "== Windows tests (win32 build): NOT RUN: this machine cannot run 32-bit programs (no 32-bit Wine)"
fi
for arch in "${arches[@]}"; do
  echo "== Windows tests ($arch build, $arch Wine prefix)"
  "build/$arch/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
  "build/$arch/wine-run.sh" --server-stop  # the server's desktop must be on the display of the tests
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "build/$arch" --output-on-failure || status=1
  "build/$arch/wine-run.sh" --server-stop
done
exit $status
