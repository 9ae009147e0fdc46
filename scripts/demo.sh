#!/usr/bin/env bash
# The demo: the whole extension at work on a real CVS repository under Wine, with nothing faked.
# Ferrow is installed from its x64 Windows Installer package (both DLLs) in a private 64-bit Wine prefix; the
# shell host (ferrowsh.exe, 64-bit like Explorer, and 32-bit like a 32-bit program's file dialog) drives it
# through COM the way Explorer does; every CVS command runs in the real Windows cvs client through cmd.exe.
# Prints each step's results, and writes screenshots of the dialogs and pages (English and German).
# Output: this terminal, and the folder demo-out/ (named at the end). Leaves nothing running.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/demo-out

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
say() { printf '%s\n' "$@" | fold -s -w 110; }

if [ "${1:-}" != --on-display ]; then
  step "Installing what is missing and building (the first run takes several minutes)"
  bash scripts/setup.sh
  [ -f build/win32/build.ninja ] ||
    cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  [ -f build/win64/build.ninja ] ||
    cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build build/win32 -j "$(nproc)" --target Ferrow ferrowsh >/dev/null
  cmake --build build/win64 -j "$(nproc)" --target Ferrow FerrowProgram ferrowsh >/dev/null
  say "Building the installer package (x64: the 64-bit and the 32-bit DLL)..."
  # No certificate here: the demo's package carries the menu package unsigned (Wine registers none anyway).
  cmake build/win64 -DFERROW_ALLOW_UNSIGNED_MSIX=ON >/dev/null
  cmake --build build/win64 -j "$(nproc)" --target msi >/dev/null
  say "Building the Windows cvs client from Debian's source package (cached after the first run)..."
  bash scripts/build-cvs-exe.sh build/cvs-win64 x86_64-w64-mingw32  # the 64-bit prefix's client
  if [ -d "$out/wineprefix" ]; then
    WINEPREFIX=$out/wineprefix wineserver -k 2>/dev/null || true
  fi
  rm -rf "$out"
  mkdir -p "$out"
  # Everything else runs on a virtual display of its own.
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --on-display
fi

export FERROW_WINEPREFIX=$out/wineprefix
export LC_ALL=C.UTF-8                # Wine's own texts in English whatever the caller's locale
export XDG_DATA_HOME=$out/xdg-data   # Wine's Recycle Bin is $XDG_DATA_HOME/Trash
mkdir -p "$XDG_DATA_HOME"
shots=$out/screenshots
mkdir -p "$shots"
drive_c=$FERROW_WINEPREFIX/drive_c
# The password server of step 2 (the Linux client, on 127.0.0.1) ends with the demo too.
pserver_state=$out/pserver
trap 'python3 "$root/tests/e2e/pserver.py" stop "$pserver_state" 2>/dev/null || true
      WINEPREFIX=$FERROW_WINEPREFIX wineserver -k 2>/dev/null || true' EXIT

# A 64-bit prefix: 64-bit programs (the cvs client among them) and, through WoW64, 32-bit ones (the 32-bit
# shell host).
wine_run() { "$root/build/win64/wine-run.sh" "$@"; }
sh64=build/win64/ferrowsh.exe sh32=build/win32/ferrowsh.exe
# The shell host through COM (the registration the package wrote); output without CRs, indented. host32 is
# the 32-bit one, which reaches the 32-bit DLL through the 32-bit registry view.
host() { wine_run $sh64 "$@" 2>&1 | tr -d '\r' | sed 's/^/    /' || true; }
# A machine whose kernel cannot run 32-bit programs has no 32-bit Wine: there the 64-bit host stands in.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  host32() { wine_run $sh32 "$@" 2>&1 | tr -d '\r' | sed 's/^/    /' || true; }
else
  host32() { echo "    (this machine cannot run 32-bit programs: the 64-bit shell host answers instead)"; host "$@"; }
fi
# The real client in a folder of the prefix's drive C:, as a person at a command prompt would run it.
cvs_at() { local dir=$1; shift; (cd "$drive_c/$dir" && wine_run cvs "$@" 2>&1 | tr -d '\r' | sed 's/^/    /'); }
# Waits for a top-level window whose title starts with the text and writes it as $shots/<name>.png.
# The window is read by its own id: a whole-screen capture shows dialogs owned by another window as black.
shot() {  # name, title, [seconds to wait once it shows, 1 by default]
  local name=$1 title=$2 settle=${3:-1} id=""
  for _ in $(seq 60); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title" | head -n 1 | awk '{print $1}' || true)
    if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then break; fi
    id=""
    sleep 0.25
  done
  if [ -z "$id" ]; then echo "    (no window \"$title\" appeared for $name)"; return 0; fi
  sleep "$settle"  # painted
  xwd -id "$id" -silent | convert xwd:- "$shots/$name.png" && echo "    screenshot: $shots/$name.png"
}

step "1. A private 64-bit Wine prefix with Ferrow installed from its package"
wine_run cmd /c exit >/dev/null 2>&1 || true
version=$(sed -n 's/^project(Ferrow VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The package for 64-bit Windows: both DLLs, each registered in the registry view of its bitness.
msi=build/win64/Ferrow-$version-x64.msi
wine_run msiexec /i "Z:$root/$msi" /qn >/dev/null 2>&1
say "msiexec /i $(basename "$msi") /qn installed (the package writes the registry entries; nothing registers itself):"
find "$drive_c"/Program\ Files*/Ferrow -type f | sed "s|^$drive_c/|    C:/|"
say "Explorer finds the extension through these keys:"
for key in '*\shellex' 'Directory\Background\shellex'; do
  wine_run reg query "HKCR\\$key\\ContextMenuHandlers" /s 2>/dev/null | tr -d '\r' | grep -v '^$' | sed 's/^/    /'
done
wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\ShellIconOverlayIdentifiers' /s \
  2>/dev/null | tr -d '\r' | grep -v '^$' | sed 's/^/    /'
say "Each registry view has its own class keys, so each host loads the DLL of its bitness:"
for h in host host32; do $h handlers | grep '^    served by'; done

step "2. A repository, made by the Windows cvs client and served by the Linux one (password server, 127.0.0.1)"
say "The repository is C:\\demo\\repo, with the module proj imported. The Linux cvs client serves it in pserver" \
    "mode on a free port of 127.0.0.1: a password file in its CVSROOT names the user \"me\" (no system account)."
mkdir -p "$drive_c/demo/import/doc" "$drive_c/demo/wc" "$drive_c/demo/colleague"
printf 'int main(void) { return 0; }\r\n' >"$drive_c/demo/import/hello.c"
printf 'The demo project.\r\nRead me first.\r\n' >"$drive_c/demo/import/README.txt"
printf 'Old notes, soon removed.\r\n' >"$drive_c/demo/import/notes.txt"
printf 'How to use it.\r\n' >"$drive_c/demo/import/doc/guide.txt"
cvs_at demo -d :local:C:/demo/repo init
cvs_at demo/import -Q -d :local:C:/demo/repo import -m "first import" proj pembrake start
python3 "$root/tests/e2e/pserver.py" serve "$pserver_state" "$drive_c/demo/repo" me secret >/dev/null
R=$(cat "$pserver_state/root")
say "Served as $R"
# The demo's user types this password; the shell host reads it from here, never from a command line.
export FERROW_DEMO_PASSWORD=secret

step "2a. The first day: an empty folder, C:\\demo\\wc. A right-click on its empty area shows the CVS menu"
say "Outside a working copy the menu offers Checkout and Import (a folder's own menu does the same):"
host menu --background 'C:\demo\wc'

step "2b. Checkout from that menu: the Checkout dialog, its \"Log in...\" button, the Log in dialog, the checkout"
say "Ferrow.exe shows the Checkout dialog (the repository and the module filled in by the host); \"Log in...\" asks" \
    "for the password, which the server checks before it goes into the client's password file (scrambled as the" \
    "client scrambles it, on no command line); then the checkout runs in its output window. Screenshots:"
log=$out/.invoke.log
wine_run $sh64 invoke --no-bar --background --pause 2500 --root "$R" --module proj \
  --login-password-env FERROW_DEMO_PASSWORD --window-close 4000 checkout 'C:\demo\wc' >"$log" 2>&1 &
shot checkout-dialog-en "Checkout"
shot login-dialog-en "Log in"
shot checkout-output-en "CVS Checkout" 3
wait
tr -d '\r' <"$log" | sed 's/^/    /'
say "The client's password file (C:\\users\\<user>\\.cvspass), as Ferrow wrote it:"
sed 's/ A.*/ A.../; s/^/    /' "$drive_c"/users/*/.cvspass
wc=demo/wc/proj
[ -f "$drive_c/$wc/CVS/Root" ] || { echo "FAILED: the checkout made no working copy" >&2; exit 1; }
say "The empty area of the new working copy now gets the working folder's menu:"
host menu --background 'C:\demo\wc\proj'

step "2c. History for the demo, made with the client on that working copy (through the server)"
say "hello.c gets a history: revision 1.2 tagged REL_1, a branch BR_1 with 1.2.2.1, and 1.3 on the trunk; a" \
    "colleague works in C:\\demo\\colleague\\proj."
cvs_at demo/colleague -Q -d "$R" checkout proj
sleep 1  # edits below must fall into a later second than the checkout
printf '\x89PNG\r\n\x1a\nbinary' >"$drive_c/$wc/logo.png"
cvs_at $wc -Q add -kb logo.png
printf 'int main(void) { return 1; }\r\n' >"$drive_c/$wc/hello.c"
cvs_at $wc -Q commit -m "Return 1 from main" hello.c logo.png
cvs_at $wc -Q tag REL_1 hello.c
cvs_at $wc -Q tag -b BR_1 hello.c
cvs_at $wc -Q update -r BR_1 hello.c
sleep 1
printf 'int main(void) { return 2; } /* branch */\r\n' >"$drive_c/$wc/hello.c"
cvs_at $wc -Q commit -m "A fix on the branch" hello.c
cvs_at $wc -Q update -A hello.c
sleep 1
printf 'int main(void) { return 3; }\r\n' >"$drive_c/$wc/hello.c"
cvs_at $wc -Q commit -m "Return 3 from main" hello.c
W='C:\demo\wc\proj'
sleep 1
printf 'Not under version control.\r\n' >"$drive_c/$wc/scratch.txt"
printf 'The demo project.\r\nRead me first.\r\nA local change.\r\n' >"$drive_c/$wc/README.txt"

views() {  # [--full] item names of the working copy: their overlays and column values
  local full=0 paths=()
  if [ "$1" = --full ]; then full=1; shift; fi
  for i in "$@"; do paths+=("$W\\$i"); done
  say "Overlays (the mark Explorer draws over each icon):"
  if [ $full = 1 ]; then host overlays "${paths[@]}"; else host overlays "${paths[@]}" | grep -v ' {'; fi
  say "Columns of the details view:"
  if [ $full = 1 ]; then host columns "$W"; return; fi
  for i in "$@"; do
    local folder=$W base=$i
    if [[ $i == *\\* ]]; then folder="$W\\${i%\\*}"; base=${i##*\\}; fi
    host columns "$folder" | grep -F "    $base:" || true
  done
}

step "3. What Explorer shows of the working copy"
say "README.txt has a local change, scratch.txt was never added, hello.c is at 1.3, logo.png is binary."
views --full . hello.c README.txt notes.txt logo.png scratch.txt doc doc\\guide.txt CVS
say "A picture of the folder as Explorer's details view shows it (Wine's Explorer draws no overlays): shell icons" \
    "with the module's marks laid over them by the image list's overlay images, column headers in English and German:"
for language in 1033 1031; do
  lang=$([ $language = 1033 ] && echo en || echo de)
  wine_run $sh64 folderview --lang $language --for 4000 "$W" >"$out/.folderview.log" 2>&1 &
  shot "folder-view-$lang" "Ferrow folder view"
  wait
  if [ $lang = en ]; then tr -d '\r' <"$out/.folderview.log" | grep -v 'folder view open' | sed 's/^/    /'; fi
done
rm -f "$out/.folderview.log"
say "The CVS context menu of README.txt (changed), scratch.txt (not listed), and the folder:"
host menu "$W\\README.txt"
host menu "$W\\scratch.txt"
host menu "$W"
say "Windows 11's first level shows the command class the package names instead (Wine has no such menu; this is" \
    "the tree the shell walks): README.txt, and the empty space of the folder:"
host commands "$W\\README.txt"
host commands --background "$W"

invoke() {  # [--32] explanation, then ferrowsh invoke arguments: runs a menu item and prints the console bar
  local h=host
  if [ "$1" = --32 ]; then h=host32; shift; fi
  local what=$1; shift
  step "$what"
  $h invoke --close-error 1500 "$@"
}

step "3b. The same working copy through the 32-bit shell host (a 32-bit program's file dialog, the 32-bit DLL)"
say "Overlays of README.txt (changed) and scratch.txt (not listed), the menu of README.txt:"
host32 overlays "$W\\README.txt" "$W\\scratch.txt" | grep -v ' {'
host32 menu "$W\\README.txt"

printf 'How to use it.\r\nAnd how not to.\r\n' >"$drive_c/demo/colleague/proj/doc/guide.txt"
cvs_at demo/colleague/proj -Q commit -m "More guidance" doc/guide.txt
invoke "4. Update: a colleague committed a change to doc\\guide.txt; Update brings it in" \
  update "$W\\doc\\guide.txt" "$W\\hello.c"
views doc\\guide.txt

invoke "5. Commit README.txt with a log message (typed into the Commit dialog by the host)" \
  commit --message "Explain the demo" "$W\\README.txt"
views README.txt

invoke --32 "6. Add scratch.txt through the 32-bit shell host (scheduled for addition: both marks, status Added)" add "$W\\scratch.txt"
views scratch.txt
invoke "   ... and commit it" commit --message "Add the scratch file" "$W\\scratch.txt"

invoke "7. Remove notes.txt: the file goes to the Recycle Bin, then cvs remove" remove "$W\\notes.txt"
say "In the Recycle Bin ($XDG_DATA_HOME/Trash/files):"
ls "$XDG_DATA_HOME/Trash/files" | sed 's/^/    /'
views notes.txt
invoke "   ... and commit the removal" commit --message "Notes are obsolete" "$W\\notes.txt"

invoke "8. Tag the whole folder REL_2 (Tag dialog filled by the host)" tag --tag REL_2 "$W"

invoke "9. Custom command: update hello.c to REL_1, which makes the tag sticky" \
  custom --command '$(CVS) -q update -r REL_1 $(Names)' "$W\\hello.c"
views hello.c
say "The menu of hello.c now offers \"Reset sticky tag\":"
host menu "$W\\hello.c"

invoke "10. Reset sticky tag of hello.c" reset "$W\\hello.c"
views hello.c

printf 'int main(void) { return 42; }\r\n' >"$drive_c/$wc/hello.c"
invoke "11. Undo a local change of hello.c (cvs update -C keeps a backup copy)" undo "$W\\hello.c"
views hello.c

step "12. A failing command: tag with \"Check that working files are unmodified\" on a changed file"
say "The client refuses; the console shows its output and \"failed\", and the message box \"CVS Error\" shows its" \
    "error text. Screenshots of the box and of the window with the console bar:"
printf 'The demo project.\r\nChanged again.\r\n' >"$drive_c/$wc/README.txt"
wine_run $sh64 invoke --close-error 3000 --hold 4000 --tag REL_3 --check tag "$W\\README.txt" \
  >"$log" 2>&1 &
shot error-box-en "CVS Error"
sleep 3  # the box is gone; the window stays a while with its console bar
shot console-bar-en "Ferrow - invoke"
wait
tr -d '\r' <"$log" | sed 's/^/    /'

step "13. The Properties dialog of hello.c: the CVS page (its log) and the History page (a branch and tags)"
say "Wine's shell opens it through the \"properties\" verb and hosts the registered pages after its own." \
    "The German pictures come from a session in a German locale (LC_ALL), where Wine's own texts are German too."
for lang in en de; do
  locale=$LC_ALL title="Properties for hello.c"
  if [ $lang = de ]; then locale=de_DE.UTF-8 title="Eigenschaften"; fi
  for page in 1 2; do
    name=$([ $page = 1 ] && echo cvs || echo history)
    env LC_ALL=$locale "$root/build/win64/wine-run.sh" $sh64 props --page $page --tree --for 5000 \
      "$W\\hello.c" >"$log" 2>&1 &
    shot "properties-$name-$lang" "$title"
    wait
    if [ $lang = en ]; then tr -d '\r' <"$log" | sed 's/^/    /'; fi
  done
done

step "14. Screenshots of the dialogs and the settings pages, in English and German"
for lang in en de; do
  for item in commit tag custom; do
    title=$(case $item in commit) echo "CVS Commit" ;; tag) echo "CVS Tag" ;; custom) echo "CVS " ;; esac)
    wine_run $sh64 invoke --lang $lang --pause 3000 --cancel $item "$W\\README.txt" \
      >/dev/null 2>&1 &
    shot "$item-dialog-$lang" "$title"
    wait
  done
  if [ $lang = de ]; then
    # The Checkout and Log in dialogs in German (Ferrow.exe takes the session's language), both cancelled.
    mkdir -p "$drive_c/demo/empty"
    env LC_ALL=de_DE.UTF-8 "$root/build/win64/wine-run.sh" $sh64 invoke --no-bar --background --lang de \
      --pause 2500 --cancel --root "$R" --module proj --login-password-env FERROW_DEMO_PASSWORD \
      checkout 'C:\demo\empty' >/dev/null 2>&1 &
    shot checkout-dialog-de "Auschecken"
    shot login-dialog-de "Anmelden"
    wait
  fi
  language=$([ $lang = en ] && echo 1033 || echo 1031)
  for page in 0 1 2; do
    name=$(echo options tools about | cut -d' ' -f$((page + 1)))
    wine_run $sh64 options --lang $language --page $page --for 2500 >/dev/null 2>&1 &
    shot "settings-$name-$lang" "Properties for Ferrow"
    wait
  done
done

step "15. Ferrow.exe's output window, where the Explorer window has no console bar (as on current Windows)"
say "The menu hands the selection to Ferrow.exe and returns at once; the program shows the dialog and a window of" \
    "its own, centred on the invoking window: the command line, the output as it comes (errors in red), a moving" \
    "bar while it runs, the result at the end, Cancel and then OK, and tells Explorer what changed. Pictures while a" \
    "command runs (the client, then a pause), after a success and after a failure, in English and German; then the" \
    "same started from Windows 11's menu (the command tree the shell walks):"
# Ferrow.exe takes the session's language, as it would beside an Explorer of that language.
for lang in en de; do
  if [ $lang = en ]; then custom="CVS Custom Command - " update="CVS Update - " tag="CVS Tag - " locale=$LC_ALL
  else custom="CVS Kommando eingeben - " update="CVS Aktualisieren - " tag="CVS Markieren - " locale=de_DE.UTF-8; fi
  LC_ALL=$locale wine_run $sh64 invoke --no-bar --lang $lang --window-close 500 \
    custom --command '$(CVS) -q status $(Names) & ping -n 6 127.0.0.1 >NUL' "$W\\hello.c" >"$log" 2>&1 &
  shot "output-running-$lang" "$custom" 2
  wait
  LC_ALL=$locale wine_run $sh64 invoke --no-bar --lang $lang --window-close 4000 update "$W" >"$log" 2>&1 &
  shot "output-success-$lang" "$update" 3
  wait
  if [ $lang = en ]; then tr -d '\r' <"$log" | sed 's/^/    /'; fi
  LC_ALL=$locale wine_run $sh64 invoke --no-bar --lang $lang --window-close 4000 --tag REL_3 --check tag "$W\\README.txt" \
    >"$log" 2>&1 &
  shot "output-failure-$lang" "$tag" 3
  wait
  LC_ALL=$locale wine_run $sh64 invoke --modern --no-bar --lang $lang --window-close 4000 update "$W" >"$log" 2>&1 &
  shot "output-modern-menu-$lang" "$update" 3
  wait
  if [ $lang = en ]; then tr -d '\r' <"$log" | grep '^program\|^update' | sed 's/^/    /'; fi
done

step "16. Ferrow's own diff viewer and Annotate"
say "Windows 10 and 11 have no windiff, the default diff program: Diff shows the file in Ferrow's viewer instead," \
    "the base revision beside the working file, changed words marked. Annotate lists every line of hello.c with the" \
    "revision, author and date of its last change, newer lines warmer. Pictures in English and German:"
printf 'int main(void) { return 3; }\r\n/* second line */\r\n' >"$drive_c/$wc/hello.c"
cvs_at $wc -Q commit -m "A second line" hello.c
printf 'The demo project.\r\nRead this first.\r\nA local change.\r\n' >"$drive_c/$wc/README.txt"
for lang in en de; do
  locale=C.UTF-8
  if [ $lang = de ]; then locale=de_DE.UTF-8; fi
  env LC_ALL=$locale "$root/build/win64/wine-run.sh" build/win64/Ferrow.exe /command:diff /close:6000 \
    "$W\\README.txt" >/dev/null 2>&1 &
  shot "diff-viewer-$lang" "README.txt:" 2
  wait
  env LC_ALL=$locale "$root/build/win64/wine-run.sh" build/win64/Ferrow.exe /command:annotate /close:6000 \
    "$W\\hello.c" >/dev/null 2>&1 &
  shot "annotate-$lang" "hello.c - " 2
  wait
done

step "16. The changes list: Check for modifications and the commit dialog, in English and German"
say "Ferrow.exe lists every changed file below the selection from the working copy alone (the unversioned ones" \
    "in a group of their own, unchecked); \"Check repository\" adds what the server has. The commit dialog shows" \
    "the same list with the changed files checked: only the checked files are committed."
printf 'Edited for the changes list.\r\n' >>"$drive_c/$wc/hello.c"
printf 'A new file, not yet added.\r\n' >"$drive_c/$wc/todo.txt"
printf 'C:\\demo\\wc\\proj\r\n' | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$drive_c/demo/selection.txt"
for lang in en de; do
  if [ $lang = en ]; then check="Check for modifications - " commit="Commit - "; lc=C.UTF-8
  else check="Auf Änderungen prüfen - " commit="Bereitstellen - "; lc=de_DE.UTF-8; fi
  for command in checkmods commit; do
    LC_ALL=$lc wine_run build/win64/Ferrow.exe /command:$command '/pathfile:C:\demo\selection.txt' >/dev/null 2>&1 &
    if [ $command = checkmods ]; then shot "checkmods-$lang" "$check" 2; else shot "commit-changes-$lang" "$commit" 2; fi
    wine_run taskkill /f /im Ferrow.exe >/dev/null 2>&1 || true
    wait
  done
done

step "Done"
rm -f "$log"
say "Screenshots: $shots" "Everything else the demo made (the Wine prefix with the repository and the working copies" \
    "under drive_c/demo, the Recycle Bin) is in $out."
