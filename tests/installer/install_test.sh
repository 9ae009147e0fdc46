#!/usr/bin/env bash
# The x64 package under Wine in a fresh 64-bit prefix: install, use from the 64-bit and the 32-bit shell host,
# open the help, install again, remove; an older package replaced by the newer; and the registry an
# installation writes compared, in both views, with what the two DLLs' own registration writes.
#   install_test.sh <64-bit build> <32-bit build>
# The packages and both shell hosts must be built (ctest's InstallerPackages does that).
set -euo pipefail
export LC_ALL=C
# The help window needs a display.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"; fi
build=$(cd "$1" && pwd)
build32=$(cd "$2" && pwd)
# The package carries both DLLs wherever it is built; the steps that start a 32-bit program (the 32-bit
# shell host and regsvr32) run only on a machine that can run one.
hosts=("$build/ferrowsh.exe")
runs_32bit=false
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then runs_32bit=true; hosts+=("$build32/ferrowsh.exe"); fi
$runs_32bit || echo "note: this machine cannot run 32-bit programs: the 32-bit shell host and regsvr32 steps are left out"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
version=$(sed -n 's/^project(Ferrow VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
msi=$build/Ferrow-$version-x64.msi
work=$build/installer-test
rm -rf "$work"
mkdir -p "$work"
export FERROW_WINEPREFIX=$work/prefix WINEPREFIX=$work/prefix
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
run() { "$build/wine-run.sh" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
settle() { wineserver -w; }  # the server writes the registry files when it ends
fail() { echo "FAIL: $*" >&2; exit 1; }
lines() { python3 "$here/registry_lines.py" "$WINEPREFIX" "$@"; }
# Keys of Windows Installer's own records, not the package's rows.
bookkeeping='\\Installer\\|\\Uninstall\\|\\Installer$|\\Installer :: '
pf64=$WINEPREFIX/drive_c/Program\ Files/Ferrow
pf32=$WINEPREFIX/drive_c/Program\ Files\ \(x86\)/Ferrow

run wineboot -i >/dev/null 2>&1 || true
settle
grep -q '#arch=win64' "$WINEPREFIX/system.reg" || fail "the prefix is not a 64-bit one"
# The user's own settings, which removal must keep.
run reg add 'HKCU\Software\Pembrake\Ferrow\Options' /v AutoShowOutput /t REG_DWORD /d 1 /f >/dev/null
settle
lines > "$work/before.txt"
lines --ferrow > "$work/before-ferrow.txt"

echo "== install"
run msiexec /i "Z:$msi" /qn || fail "msiexec /i exited $?"
settle
for f in "$pf64/Ferrow.dll" "$pf64/Ferrow.exe" "$pf64/Ferrow.chm" "$pf64/menu/Ferrow.dll" "$pf64/menu/Ferrow.msix" \
         "$pf32/Ferrow.dll" "$pf32/Ferrow.exe" "$pf32/Ferrow.chm"; do
  [ -f "$f" ] || fail "missing after install: $f"
done
file "$pf64/Ferrow.dll" | grep -q 'x86-64' || fail "the 64-bit folder holds no 64-bit DLL"
file "$pf32/Ferrow.dll" | grep -q 'Intel 80386\|Intel i386' || fail "the 32-bit folder holds no 32-bit DLL"
lines --ferrow | grep -Eiv "$bookkeeping" > "$work/installed.txt"

echo "== use"
bash "$root/scripts/make-sample-wc.sh" "$WINEPREFIX/drive_c/sample" >/dev/null
wc='C:\sample\wc'
for host in "${hosts[@]}"; do
  out=$(run "$host" create) || fail "$host create: $out"
  case $host in
    "$build"/*) echo "$out" | grep -qi 'loaded C:\\Program Files\\Ferrow\\Ferrow.dll' || fail "64-bit host: $out" ;;
    *) echo "$out" | grep -qi 'loaded C:\\Program Files (x86)\\Ferrow\\Ferrow.dll' || fail "32-bit host: $out" ;;
  esac
  [ "$(echo "$out" | grep -c ' ok')" = 20 ] || fail "$host create: $out"
  out=$(run "$host" overlays "$wc\\modified.c" "$wc\\unchanged.txt" "$wc\\unlisted.txt")
  echo "$out" | grep -q 'modified.c:.*-> red' || fail "$host overlays: $out"
  echo "$out" | grep -q 'unchanged.txt:.*-> blue' || fail "$host overlays: $out"
  echo "$out" | grep -q 'unlisted.txt:.*-> no mark' || fail "$host overlays: $out"
  out=$(run "$host" menu "$wc\\modified.c")
  echo "$out" | grep -q '&Update' || fail "$host menu: $out"
done

echo "== help"
out=$(run "$build/ferrowsh.exe" pagehelp) || fail "pagehelp: $out"
echo "$out" | grep -q '^help window: ' || fail "the Options page's Help opened no help window: $out"
# Without a help file beside the DLL, Help does nothing and reports no failure.
out=$(run "$build/ferrowsh.exe" --dll "Z:$build/Ferrow.dll" pagehelp --wait 500) || fail "pagehelp without file: $out"
[ "$out" = "no help window" ] || fail "pagehelp without a help file: $out"
settle

echo "== install again"
run msiexec /i "Z:$msi" /qn || fail "second msiexec /i exited $?"
settle
lines --ferrow | grep -Eiv "$bookkeeping" > "$work/reinstalled.txt"
diff "$work/installed.txt" "$work/reinstalled.txt" || fail "installing again changed the registry"
# A package rebuilt at the same version is the same product: it must not install a second copy.
rebuilt=$work/rebuilt-x64.msi
FERROW_ALLOW_UNSIGNED_MSIX=ON bash "$root/installer/make-msi.sh" x64 "$version" "$rebuilt" "$build/package" \
  "$build32/package" 2>/dev/null
run msiexec /i "Z:$rebuilt" /qn || echo "(msiexec /i of the rebuilt package exited $?)"
settle
products=$(lines | grep -ic 'Uninstall\\{[^\\]*} :: "DisplayName"="Ferrow (64-bit)"' || true)
[ "$products" = 1 ] || fail "$products installed products after installing again"

# After a removal: no file left, no Ferrow key or value in either view but the user's settings, and no key
# that was there before taken away.
check_removed() {
  [ ! -e "$pf64" ] && [ ! -e "$pf32" ] || fail "$1: files left: $(ls -R "$pf64" "$pf32" 2>&1)"
  lines > "$work/removed.txt"
  lines --ferrow > "$work/removed-ferrow.txt"
  diff "$work/before-ferrow.txt" "$work/removed-ferrow.txt" || fail "$1: Ferrow entries differ from before installing"
  # Wine's installer also deletes a key that our rows leave empty (the prefix's empty "Approved" and
  # "*\shellex\ContextMenuHandlers"); any other key that was there before must stay.
  gone=$(comm -23 "$work/before.txt" "$work/removed.txt" | grep -v ' :: ' |
         while read -r key; do grep -qiF -e "$key\\" -e "$key :: " "$work/installed.txt" || echo "$key"; done)
  [ -z "$gone" ] || fail "$1: keys that were there before are gone: $gone"
}

echo "== remove"
run msiexec /x "Z:$msi" /qn || fail "msiexec /x exited $?"
settle
check_removed "removal"

echo "== upgrade"
# The same files as an older version: installing the current package over it must leave one product.
old=$work/Ferrow-1.0.0.0-x64.msi
FERROW_ALLOW_UNSIGNED_MSIX=ON bash "$root/installer/make-msi.sh" x64 1.0.0.0 "$old" "$build/package" \
  "$build32/package" 2>/dev/null
run msiexec /i "Z:$old" /qn || fail "msiexec /i of the older package exited $?"
# An older version's overlay identifiers, under the names it used (which sort after other programs'), in
# both views: installing removes them.
overlays='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\ShellIconOverlayIdentifiers'
for view in 64 32; do
  run reg add "$overlays\CVSModified" /ve /d '{0A340D40-6A03-4DDA-B9E8-BE51AE1BA8A5}' /f /reg:$view >/dev/null
  run reg add "$overlays\CVSControlled" /ve /d '{F7A5E93F-93B2-4304-A9CB-86A84EA1DB33}' /f /reg:$view >/dev/null
done
run msiexec /i "Z:$msi" /qn || fail "msiexec /i over the older package exited $?"
settle
stale=$(lines | grep -iE 'ShellIconOverlayIdentifiers\\CVS(Modified|Controlled)' || true)
[ -z "$stale" ] || fail "the older version's overlay identifiers are left: $stale"
products=$(lines | grep -ic 'Uninstall\\{[^\\]*} :: "DisplayName"="Ferrow (64-bit)"' || true)
[ "$products" = 1 ] || fail "$products installed products after the upgrade"
lines --ferrow | grep -Eiv "$bookkeeping" > "$work/upgraded.txt"
diff "$work/installed.txt" "$work/upgraded.txt" || fail "the upgrade left other registry entries than an installation"
run msiexec /x "Z:$msi" /qn || fail "msiexec /x after the upgrade exited $?"
settle
check_removed "removal after the upgrade"

echo "== compare with regsvr32"
# The same files in the same places, registered by the DLLs themselves: the same entries in both views.
mkdir -p "$pf64" "$pf32"
cp "$build/package/Ferrow.dll" "$pf64/"
cp "$build32/package/Ferrow.dll" "$pf32/"
run regsvr32 /s 'C:\Program Files\Ferrow\Ferrow.dll' || fail "64-bit regsvr32 exited $?"
if $runs_32bit; then
  run 'C:\windows\syswow64\regsvr32.exe' /s 'C:\Program Files (x86)\Ferrow\Ferrow.dll' || fail "32-bit regsvr32 exited $?"
fi
settle
# The installer writes a folder with its trailing backslash: the type library's HELPDIR is the one value
# where that shows ("C:\Program Files\Ferrow\" for regsvr32's "C:\Program Files\Ferrow").
helpdir='s/(\\helpdir :: @=".*)\\\\"$/\1"/'
# Without the 32-bit regsvr32 only the 64-bit view compares (the 32-bit one lives under Wow6432Node
# and the type library's win32 entry, which is in the shared HKCR\TypeLib).
view32=$($runs_32bit && echo '^$' || echo 'wow6432node|\\typelib\\.*\\win32( |$)')
comm -13 "$work/before-ferrow.txt" <(lines --ferrow) | sed -E "$helpdir" | grep -Eiv "$view32" > "$work/registered.txt"
# Active Setup's line for the Windows 11 menu is the installer's alone.
comm -13 "$work/before-ferrow.txt" "$work/installed.txt" | sed -E "$helpdir" | grep -Eiv "$view32" |
  grep -iv '\\Active Setup\\' > "$work/installed-only.txt"
diff -u "$work/registered.txt" "$work/installed-only.txt" || fail "the package's registry entries differ from regsvr32's (- regsvr32, + package)"
echo "PASS"
