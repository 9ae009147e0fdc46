#!/usr/bin/env bash
# The x64 package's actions for the Windows 11 menu under Wine, with the recording stand-in for the client
# standing in for Windows PowerShell (Wine has no package manager: this checks who runs what with which
# script, not the registration itself). In fresh 64-bit prefixes whose registry says Windows 11 (build
# 22631), installed into a folder whose name holds a quote:
#   - installing runs Ferrow.exe /register-menu, whose script replaces this user's registration with the
#     package of the menu folder, that folder its external location; PowerShell fails there, and the
#     installation succeeds with the program's exit code and PowerShell's message in its log (/l*v);
#   - Active Setup's StubPath, run as Windows runs it at another user's first logon, does the same;
#   - removing unregisters the package for all users and resets the menu folder's permissions, and logs
#     how the program ended;
#   - run by hand with a failing PowerShell, Ferrow.exe exits with 1 and passes the message on.
# With build 19045 (Windows 10) nothing runs, the StubPath included.
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
# The scripts PowerShell was given, decoded, one call after another ("== call" before each).
scripts() {
  [ -f "$work/calls.log" ] || return 0
  python3 -c '
import base64, re, sys
for line in open(sys.argv[1], encoding="latin-1").read().split("\r\n"):
    m = re.search(r"-EncodedCommand (\S+)", line)
    if m:
        print("== call")
        print(base64.b64decode(m.group(1)).decode("utf-16-le").replace("\r\n", "\n").rstrip("\n"))
    elif line:
        print("== call without a script: " + line)' "$work/calls.log"
  rm -f "$work/calls.log"
}
expect() { grep -qxF -- "$2" <<<"$1" || { echo "$1" | sed 's/^/    /' >&2; fail "$3: no line: $2"; }; }

folder="C:\\it's Ferrow\\"   # the install folder, a quote in its name
menu="${folder}menu\\"
q="'" qq="''"
refusal='Add-AppxPackage : Deployment failed with HRESULT: 0x80073CF3 [Pembrake.Ferrow] {1}'
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
  # PowerShell fails while the package is installed: the installation goes on.
  CVSSTUB_EXIT=1 CVSSTUB_STDERR="$refusal" \
    run msiexec /i "Z:$msi" /qn /l*v "Z:$work/install.log" "INSTALLDIR64=$folder" || fail "msiexec /i exited $?"
  settle
  installed=$WINEPREFIX/drive_c/"it's Ferrow"
  [ -f "$installed/menu/Ferrow.msix" ] && [ -f "$installed/menu/Ferrow.dll" ] && [ -f "$installed/Ferrow.exe" ] \
    || fail "the menu folder or the program is missing"
  added=$(scripts)
  stub=$(run reg query "$key\\Active Setup\\Installed Components\\{91476590-8E10-4F6E-9C22-599A13DB3BDD}" /v StubPath \
         /reg:64 | sed -n 's/.*StubPath *REG_SZ *//p')
  [ "$stub" = "\"${folder}Ferrow.exe\" /register-menu /quiet" ] || fail "StubPath: $stub"
  # Active Setup starts the line at the logon (split here as CreateProcess splits it: the quoted program, then
  # the arguments).
  program=${stub#\"}
  program=${program%%\"*}
  read -r -a arguments <<<"${stub#\"$program\"}"
  run "$program" "${arguments[@]}" || fail "the StubPath exited $?"
  settle
  logon=$(scripts)
  # A PowerShell that fails: the program says so and exits with 1.
  code=0
  CVSSTUB_EXIT=1 CVSSTUB_STDERR='Add-AppxPackage : Deployment failed with HRESULT: 0x80073CF3' \
    run "${folder}Ferrow.exe" /register-menu /quiet >"$work/stdout.txt" 2>"$work/stderr.txt" || code=$?
  settle
  scripts >/dev/null
  run msiexec /x "Z:$msi" /qn /l*v "Z:$work/remove.log" || fail "msiexec /x exited $?"
  settle
  removed=$(scripts)
  unset CVSSTUB_LOG
  if [ "$windows" = 19045 ]; then
    [ -z "$added$logon$removed" ] || fail "Windows 10 ran: $added$logon$removed"
    [ "$code" = 0 ] || fail "on Windows 10 the program did something: exit $code"
    continue
  fi
  echo "$added" | sed 's/^/    /'
  for script in "$added" "$logon"; do
    [ "$(grep -c '^== call' <<<"$script")" = 1 ] || fail "one call expected: $script"
    expect "$script" "Get-AppxPackage -Name 'Pembrake.Ferrow' | Remove-AppxPackage" "registering"
    expect "$script" "Add-AppxPackage -Path '${menu//$q/$qq}Ferrow.msix' -ExternalLocation '${menu//$q/$qq}'" "registering"
  done
  # The installer's log (the installer's own lines end in LF, the program's text in CR LF).
  tr -d '\r' <"$work/install.log" >"$work/install.txt"
  tr -d '\r' <"$work/remove.log" >"$work/remove.txt"
  grep -qxF "\"${folder}Ferrow.exe\" /register-menu /quiet ended with exit code 1." "$work/install.txt" \
    && grep -qxF "$refusal" "$work/install.txt" || fail "the install log lacks the failed registration: $(grep -a -A4 'Action start.*: RegisterMenuPackage' "$work/install.txt")"
  grep -qxF "\"${folder}Ferrow.exe\" /unregister-menu /allusers /quiet ended with exit code 0." "$work/remove.txt" \
    || fail "the removal log lacks the unregistration: $(grep -a -A4 'Action start.*: UnregisterMenuPackage' "$work/remove.txt")"
  [ "$code" = 1 ] || fail "a failed registration exited $code"
  grep -q "0x80073CF3" "$work/stdout.txt" "$work/stderr.txt" || fail "the failure's message was not passed on"
  echo "$removed" | sed 's/^/    /'
  [ "$(grep -c '^== call' <<<"$removed")" = 1 ] || fail "removing ran: $removed"
  expect "$removed" "Get-AppxPackage -AllUsers -Name 'Pembrake.Ferrow' | Remove-AppxPackage -AllUsers" "removing"
  expect "$removed" "icacls '${menu//$q/$qq}' /reset /t /c /q" "removing"
done
echo "menu package actions: ok"
