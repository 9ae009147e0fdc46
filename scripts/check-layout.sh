#!/usr/bin/env bash
# The floors of src/, top down. A folder includes its own headers and those of folders on lower floors,
# never one beside it on its floor or above it; a platform-free core (src/<folder>/core/) includes only
# other cores and resources/resource.h. Prints every include that breaks the rule; exits 1 if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

floors=(
  "module app setup"                  # the entries: the DLL's (exports, class table, registration), Ferrow.exe's,
                                      # the installer's custom action's
  "menu views propsheet config repo changes"  # the shell-facing features; the program's windows
  "ops diffview"                      # one operation from arguments to refresh; the diff viewer
  "console exec"                      # the console link and bar; composing and running commands
  "model"                             # the working-copy model: administrative files, the log's text
  "settings"                          # the settings store and recent-entries lists
  "com"                               # the COM base every class derives from, the registry script engine
  "common resources"                  # helpers every folder uses; ids, strings, dialogs, images
)

declare -A floor_of
for i in "${!floors[@]}"; do
  for folder in ${floors[$i]}; do floor_of[$folder]=$i; done
done

status=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [ -z "${floor_of[$folder]+set}" ]; then
    echo "layout: src/$folder has no floor in scripts/check-layout.sh"
    status=1
    continue
  fi
  own=${floor_of[$folder]}
  while IFS=: read -r file line include; do
    target=${include%%/*}
    if [ "$target" = "$folder" ]; then
      :
    elif [ -z "${floor_of[$target]+set}" ]; then
      continue  # not one of ours (a generated header)
    elif (( ${floor_of[$target]} <= own )); then
      echo "layout: $file:$line includes $include ($target is not below $folder)"
      status=1
    fi
    case $file in
      src/*/core/*)
        case $include in
          */core/*|resources/resource.h) ;;
          *) echo "layout: $file:$line includes $include (a core includes only cores and resources/resource.h)"
             status=1 ;;
        esac ;;
    esac
  done < <(grep -rnoE '^#include "[a-z_]+/[^"]+"' "$dir" | sed -E 's/#include "([^"]+)"/\1/')
done
exit $status
