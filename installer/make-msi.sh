#!/usr/bin/env bash
# Makes one package from ferrow.wxs with wixl (the "msi" target of the Windows builds calls it).
#   make-msi.sh x64 <version> <out.msi> <64-bit package folder> <32-bit package folder>
#   make-msi.sh x86 <version> <out.msi> <32-bit package folder>
# A package folder holds Ferrow.dll and Ferrow.exe (stripped), Ferrow.chm and the registry rows rows64.wxi /
# rows32.wxi (the 64-bit folder holds both rows files, Ferrow.msix, the Windows 11 menu's package, and
# FerrowSetup.dll, the custom action that registers it) with the keys
# installing removes (rows64.remove, rows32.remove: names of older versions; wixl has no RemoveRegistry
# table, so msibuild adds it to the package). wixl takes
# sources relative to the folder it runs in, so the files are gathered in a staging folder first.
# Windows registers only a package whose signature it trusts: an unsigned Ferrow.msix stops the x64 package
# unless FERROW_ALLOW_UNSIGNED_MSIX=ON (for tests; then a warning).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
platform=$1 version=$2
if [ "$platform" = x64 ] && ! python3 -c 'import sys, zipfile; sys.exit("AppxSignature.p7x" not in zipfile.ZipFile(sys.argv[1]).namelist())' "$4/Ferrow.msix"; then
  if [ "${FERROW_ALLOW_UNSIGNED_MSIX:-OFF}" != ON ]; then
    echo "make-msi: $4/Ferrow.msix is not signed, and Windows registers no unsigned package: configure FERROW_SIGN_PFX and FERROW_SIGN_PASSWORD_FILE (see the README), or FERROW_ALLOW_UNSIGNED_MSIX=ON for a test package" >&2
    exit 1
  fi
  echo "make-msi: warning: Ferrow.msix is not signed (FERROW_ALLOW_UNSIGNED_MSIX=ON); Windows 11 will not register it" >&2
fi
out=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
if [ "$platform" = x64 ]; then
  cp "$4/Ferrow.dll" "$4/Ferrow.exe" "$4/Ferrow.msix" "$4/FerrowSetup.dll" "$stage/x64/"
  cp "$4/Ferrow.chm" "$4/rows64.wxi" "$4/rows32.wxi" "$4/rows64.remove" "$4/rows32.remove" "$stage/"
  cp "$5/Ferrow.dll" "$5/Ferrow.exe" "$stage/x86/"
  arch=x64
else
  cp "$4/Ferrow.dll" "$4/Ferrow.exe" "$stage/x86/"
  cp "$4/Ferrow.chm" "$4/rows32.wxi" "$4/rows32.remove" "$stage/"
  arch=x86
fi
cp "$here/ferrow.wxs" "$stage/"
# The product code: a name-based GUID of the platform and the version, the same at every build.
product=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.NAMESPACE_URL, sys.argv[1])).upper())' \
          "urn:pembrake:ferrow:$platform:$version")
cd "$stage"
wixl -a "$arch" -D Platform="$platform" -D Version="$version" -D ProductCode="$product" \
  -D Dll64=x64/Ferrow.dll -D Dll32=x86/Ferrow.dll -D Exe64=x64/Ferrow.exe -D Exe32=x86/Ferrow.exe \
  -D ActiveSetupVersion="${version//./,}" -D Chm=Ferrow.chm -D Rows64=rows64.wxi -D Rows32=rows32.wxi -D Msix=x64/Ferrow.msix \
  -D SetupDll=x64/FerrowSetup.dll \
  -o "$out" ferrow.wxs

# The RemoveRegistry table: each key removed with its contents ("-") when its DLL's component is installed,
# in that component's registry view.
queries=("CREATE TABLE \`RemoveRegistry\` (\`RemoveRegistry\` CHAR(72) NOT NULL, \`Root\` SHORT NOT NULL, \`Key\` CHAR(255) NOT NULL LOCALIZABLE, \`Name\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`RemoveRegistry\`)")
n=0
for pair in "rows64.remove Dll64" "rows32.remove Dll32"; do
  set -- $pair
  [ -f "$1" ] || continue
  while IFS=$'\t' read -r root key; do
    [ -n "$key" ] || continue
    case $root in HKCR) r=0 ;; HKCU) r=1 ;; HKLM) r=2 ;; HKU) r=3 ;; *) echo "make-msi: root $root" >&2; exit 1 ;; esac
    n=$((n + 1))
    queries+=("INSERT INTO \`RemoveRegistry\` (\`RemoveRegistry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('RemoveOld$n', $r, '$key', '-', '$2')")
  done < "$1"
done
if [ "$n" -gt 0 ]; then
  args=()
  for q in "${queries[@]}"; do args+=(-q "$q"); done
  msibuild "$out" "${args[@]}"
fi
