#!/usr/bin/env bash
# Makes one package from ferrow.wxs with wixl (the "msi" target of the Windows builds calls it).
#   make-msi.sh x64 <version> <out.msi> <64-bit package folder> <32-bit package folder>
#   make-msi.sh x86 <version> <out.msi> <32-bit package folder>
# A package folder holds Ferrow.dll (stripped), Ferrow.chm and the registry rows rows64.wxi / rows32.wxi
# (the 64-bit folder holds both rows files). wixl takes sources relative to the folder it runs in, so the
# files are gathered in a staging folder first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
platform=$1 version=$2
out=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
if [ "$platform" = x64 ]; then
  cp "$4/Ferrow.dll" "$stage/x64/"
  cp "$4/Ferrow.chm" "$4/rows64.wxi" "$4/rows32.wxi" "$stage/"
  cp "$5/Ferrow.dll" "$stage/x86/"
  arch=x64
else
  cp "$4/Ferrow.dll" "$stage/x86/"
  cp "$4/Ferrow.chm" "$4/rows32.wxi" "$stage/"
  arch=x86
fi
cp "$here/ferrow.wxs" "$stage/"
# The product code: a name-based GUID of the platform and the version, the same at every build.
product=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1])).upper())' \
          "urn:pembrake:ferrow:$platform:$version")
cd "$stage"
wixl -a "$arch" -D Platform="$platform" -D Version="$version" -D ProductCode="$product" \
  -D Dll64=x64/Ferrow.dll -D Dll32=x86/Ferrow.dll -D Chm=Ferrow.chm -D Rows64=rows64.wxi -D Rows32=rows32.wxi \
  -o "$out" ferrow.wxs
