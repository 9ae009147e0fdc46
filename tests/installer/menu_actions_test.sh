#!/usr/bin/env bash
# The x64 package's actions for the Windows 11 menu under Wine, with the recording stand-in for the client
# standing in for Windows PowerShell: in a fresh 64-bit prefix whose registry says Windows 11 (build 22631)
# installing adds Ferrow.msix from the install folder with that folder as its external location, and
# removing removes the package; with build 19045 (Windows 10) neither runs. Wine has no package manager, so
# this checks the installer's conditions and command lines, not the registration itself.
#   menu_actions_test.sh <64-bit build>
# The package and the stand-in must be built (ctest's InstallerPackages does that).
set -euo pipefail
export LC_ALL=C
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^project(Ferrow VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
msi=$build/Ferrow-$version-x64.msi
work=$build/menu-actions-test
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
run() { "$build/wine-run.sh" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
settle() { wineserver -w; }
fail() { echo "FAIL: $*" >&2; exit 1; }
calls() { if [ -f "$work/calls.log" ]; then tr -d '\r' <"$work/calls.log"; fi; }

for windows in 22631 19045; do
  echo "== build $windows"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
  mkdir -p "$work"
  export FERROW_WINEPREFIX=$work/prefix WINEPREFIX=$work/prefix
  run wineboot -i >/dev/null 2>&1 || true
  settle
  cp "$build/tools/cvsstub.exe" "$WINEPREFIX/drive_c/powershell.exe"
  key='HKLM\SOFTWARE\Microsoft'
  run reg add "$key\\Windows NT\\CurrentVersion" /v CurrentBuildNumber /t REG_SZ /d "$windows" /f /reg:64 >/dev/null
  run reg add "$key\\PowerShell\\1\\ShellIds\\Microsoft.PowerShell" /v Path /t REG_SZ /d 'C:\powershell.exe' /f \
    /reg:64 >/dev/null
  settle
  export CVSSTUB_LOG="Z:$work/calls.log"
  run msiexec /i "Z:$msi" /qn || fail "msiexec /i exited $?"
  settle
  [ -f "$WINEPREFIX/drive_c/Program Files/Ferrow/Ferrow.msix" ] || fail "Ferrow.msix is not installed"
  added=$(calls)
  run msiexec /x "Z:$msi" /qn || fail "msiexec /x exited $?"
  settle
  calls=$(calls)
  unset CVSSTUB_LOG
  if [ "$windows" = 19045 ]; then
    [ -z "$calls" ] || fail "Windows 10 ran: $calls"
    continue
  fi
  echo "$calls" | sed 's/^/    /'
  folder='C:\Program Files\Ferrow\'
  [ "$(echo "$added" | wc -l)" = 1 ] || fail "installing ran: $added"
  echo "$added" | grep -qF "Add-AppxPackage -Path '${folder}Ferrow.msix' -ExternalLocation '$folder'" \
    || fail "installing ran: $added"
  removed=$(echo "$calls" | sed -n 2p)
  [ "$(echo "$calls" | wc -l)" = 2 ] || fail "removing ran: $calls"
  echo "$removed" | grep -qF "Get-AppxPackage -Name Pembrake.Ferrow | Remove-AppxPackage" || fail "removing ran: $removed"
done
echo "menu package actions: ok"
