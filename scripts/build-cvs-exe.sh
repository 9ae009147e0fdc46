#!/usr/bin/env bash
# Builds the Windows cvs client that the Wine tests and the demo run (a Linux program started from inside
# Wine runs detached: exit code and piped output are lost). The client is a third-party dependency: Debian's
# source package `cvs` (1.12.13, which has a windows-NT port), our patch and our MinGW makefile from
# third_party/cvs-win/, linked into a static cvs.exe for the prefix's architecture: 32-bit for a 32-bit
# prefix, 64-bit for a 64-bit one (a machine that cannot run 32-bit programs has only the latter).
#
# Usage: scripts/build-cvs-exe.sh [cache-folder [triplet]]
#        (defaults: build/cvs-win, i686-w64-mingw32; the 64-bit one: build/cvs-win64 x86_64-w64-mingw32)
# Result: <cache-folder>/cvs.exe. A run with an up-to-date cache does nothing; a changed patch, makefile or
# script rebuilds from the downloaded package without fetching it again. The only download is that source
# package, through apt-get with a private configuration in the cache folder (the system's apt setup, its
# lists and its caches are left alone); the archive is the one the system's apt already uses.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
kit=$root/third_party/cvs-win
out=$(realpath -m "${1:-$root/build/cvs-win}")
triplet=${2:-i686-w64-mingw32}
# The patch is made for this suite's package; the system itself may be of another release.
suite=bookworm

inputs_hash() {
  { echo "$triplet"; cat "$kit/Makefile.mingw" "$kit"/patches/*.patch "$root/scripts/build-cvs-exe.sh"; } |
    sha256sum | cut -c1-16
}
stamp=$(inputs_hash)
up_to_date() { [ -f "$out/cvs.exe" ] && [ "$(cat "$out/stamp" 2>/dev/null)" = "$stamp" ]; }
up_to_date && exit 0

mkdir -p "$out"
# One build at a time per cache folder (test.sh and a ctest fixture may both ask).
exec 9>"$out/.lock"
flock 9
up_to_date && exit 0

log=$out/build.log
: >"$log"
fail() {
  echo "build-cvs-exe: $*" >&2
  tail -n 40 "$log" >&2
  exit 1
}
run() {  # Runs a command with its output in the log; on failure shows the log's end and stops.
  "$@" >>"$log" 2>&1 || fail "failed: $*"
}
started=$SECONDS

# 1. Debian's source package, once.
dl=$out/download
if ! ls "$dl"/cvs_*.dsc >/dev/null 2>&1; then
  uri=${FERROW_DEBIAN_ARCHIVE:-}
  if [ -z "$uri" ]; then
    # The system's own Debian archive: the binary index whose release is the system's codename.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    targets=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' 2>/dev/null | sort -u)
    uri=$(awk -v c="$codename" '$2 == c { print $1; exit }' <<<"$targets")
    [ -n "$uri" ] || uri=$(awk '$2 !~ /-(security|updates|backports)$/ { print $1; exit }' <<<"$targets")
  fi
  [ -n "$uri" ] || fail "no Debian archive in the system's apt sources (set FERROW_DEBIAN_ARCHIVE)"
  apt=$out/apt
  rm -rf "$apt" "$dl"
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$dl"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  options=""
  [ -f "$keyring" ] && options="[signed-by=$keyring] "
  echo "deb-src $options$uri $suite main" >"$apt/sources.list"
  aptopts=(-o "Dir::Etc::sourcelist=$apt/sources.list" -o "Dir::Etc::sourceparts=$apt/parts"
           -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root" -q)
  run apt-get "${aptopts[@]}" update
  (cd "$dl" && apt-get "${aptopts[@]}" source --download-only cvs) >>"$log" 2>&1 || fail "apt-get source cvs failed"
  rm -rf "$apt"
fi
dsc=$(ls "$dl"/cvs_*.dsc | head -n 1)

# 2. Unpack with Debian's changes, then ours.
rm -rf "$out/src" "$out/obj"
run dpkg-source --no-copy -x "$dsc" "$out/src"
for p in "$kit"/patches/*.patch; do
  run patch -p1 -d "$out/src" --no-backup-if-mismatch -f -s -i "$p"
done

# 3. Build, check, install into the cache.
run make -s -j2 -f "$kit/Makefile.mingw" SRC="$out/src" OUT="$out/obj" CROSS="$triplet-"
if x86_64-w64-mingw32-objdump -p "$out/obj/cvs.exe" | grep -iE 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)' >>"$log"; then
  fail "cvs.exe imports a MinGW runtime DLL"
fi
cp "$out/obj/cvs.exe" "$out/cvs.exe.tmp"
mv "$out/cvs.exe.tmp" "$out/cvs.exe"
echo "$stamp" >"$out/stamp"
rm -rf "$out/src" "$out/obj"
echo "build-cvs-exe: built $out/cvs.exe in $((SECONDS - started)) s"
