#!/usr/bin/env bash
# End-to-end benchmark under Wine. Each pair runs side by side, alternating,
# ROUNDS times (default 7); every time is start-to-exit as measured on the
# Windows side by runexit.exe, so Wine's own start-up does not dilute it.
# Prints medians and ratios; with an argument, also writes them to that file
# as Markdown rows.
#
#  1. Setup.exe installing the demo package (HostID readable at the first
#     read) against msiexec run directly with the same package and properties;
#     the overhead is the difference of the medians, in units of an empty
#     program's start-to-exit time measured in the same run (target: <= 2),
#     and in units of the start-up floor (libfloor.exe: the system libraries
#     every run loads by full path, and its command line split).
#  2. Setup.exe refused by its arguments against the empty program (<= 1.5x)
#     and against the start-up floor.
# Each row gives the spread of the rounds (lowest to highest) beside its median.
#  3. Setup.exe /x over 1,000 and 10,000 Uninstall entries, the match last,
#     against a program that enumerates the same key and reads each entry's
#     two values through one open of the subkey (target: <= 2x).
# It runs in the host's Wine mode (scripts/wine.sh): the i686 build in a
# 32-bit prefix, or the x86-64 build of the same sources in a 64-bit one where
# the host cannot run 32-bit programs; the first line names the mode and build.
set -euo pipefail
cd "$(dirname "$0")/.."
ROUNDS=${ROUNDS:-7}
out=${1:-}

source scripts/wine.sh
wine_mode
bin=build/$WINE_BUILD/bin package=build/host/package/$WINE_PACKAGES/pellworth-normal.msi
[ -x "$bin/Setup.exe" ] && [ -f "$package" ] || {
  echo "build first: bash scripts/demo.sh (or cmake --build --preset $WINE_BUILD and host)" >&2; exit 2; }
if [ "$WINE_BUILD" = windows ]; then build="i686 build, 32-bit prefix"; else build="x86-64 build, 64-bit prefix"; fi
mode_row="| Wine mode | $PELLWORTH_WINE_ARCH: $build ($WINE_MODE_REASON) | | |"

wine_prefix "$(mktemp -d /tmp/pellworth-bench-XXXXXX)" "$bin"
trap wine_done EXIT
drop=$(wine_path 'C:\b'); mkdir -p "$drop"
cp "$bin"/{Setup.exe,empty.exe,libfloor.exe,scanfloor.exe} "$drop/"
cp "$package" "$drop/p.msi"

# Runs one command line; prints its Windows-side time in ms.
timed() {
  wine_run 'C:\b' "$1" || { echo "no exit code: $1" >&2; exit 1; }
  echo "$RUN_MS"
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
declare -A samples
sample() { samples[$1]+="$(timed "$2") "; }
med() { tr ' ' '\n' <<<"${samples[$1]}" | grep -v '^$' | median; }
spread() { tr ' ' '\n' <<<"${samples[$1]}" | grep -v '^$' | sort -g | sed -n '1p;$p' | paste -sd- | sed 's/-/ to /'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a/b}'; }

msi='C:\b\p.msi'
setup_install="C:\\b\\Setup.exe /i:$msi /PAT:HOST-1"
direct_install="C:\\windows\\system32\\msiexec.exe PAT=HOST-1 /i \"$msi\"  REINSTALL=ALL REINSTALLMODE=vomus /quiet"
# The first install makes HostID readable; every measured run is then a repair.
timed "$setup_install" >/dev/null
for ((i = 0; i < ROUNDS; i++)); do
  s=$(timed "$setup_install"); d=$(timed "$direct_install")
  samples[setup_install]+="$s "; samples[direct_install]+="$d "
  samples[overhead]+="$(awk -v a="$s" -v b="$d" 'BEGIN {printf "%.3f", a-b}') "
  sample empty 'C:\b\empty.exe'
  sample libfloor 'C:\b\libfloor.exe'
  sample setup_refused 'C:\b\Setup.exe'
done
wine_exec 'C:\windows\system32\msiexec.exe' /x "$msi" /qn >/dev/null 2>&1 || true
wine_wait

# Uninstall entries of other products, then one matching entry that sorts last.
import_entries() {
  local count=$1 reg="$drop/entries.reg"
  {
    echo REGEDIT4
    echo
    for ((i = 0; i < count; i++)); do
      printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{00000000-0000-0000-0000-%012d}]\n' "$i"
      printf '"DisplayName"="Other Product %d"\n"UninstallString"="MsiExec.exe /X{%d}"\n\n' "$i" "$i"
    done
    echo '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{FFFFFFFF-1111-2222-3333-444444444444}]'
    echo '"DisplayName"="Pellworth"'
    echo
  } > "$reg"
  wine_exec regedit /s 'C:\b\entries.reg' >/dev/null 2>&1
  wine_wait
}
for entries in 1000 10000; do
  import_entries $((entries - 1))   # entries of other products, then the match
  for ((i = 0; i < ROUNDS; i++)); do
    sample "scan_$entries" 'C:\b\Setup.exe /x'
    sample "floor_$entries" 'C:\b\scanfloor.exe'
  done
  wine_wait   # the started uninstalls of the unknown product end
done

empty=$(med empty); floor=$(med libfloor)
si=$(med setup_install); di=$(med direct_install); sr=$(med setup_refused)
overhead=$(awk -v a="$si" -v b="$di" 'BEGIN {printf "%.3f", a-b}')
rows=(
  "$mode_row"
  "| install (repair), Setup.exe | $si ms ($(spread setup_install)) | msiexec direct: $di ms ($(spread direct_install)) | overhead $overhead ms (per round $(spread overhead)) = $(ratio "$overhead" "$empty") empty-program units (target <= 2), $(ratio "$overhead" "$floor") start-up floors |"
  "| refused by its arguments | $sr ms ($(spread setup_refused)) | empty program: $empty ms ($(spread empty)); start-up floor: $floor ms ($(spread libfloor)) | $(ratio "$sr" "$empty")x the empty program (target <= 1.5), $(ratio "$sr" "$floor")x the start-up floor |"
)
for entries in 1000 10000; do
  s=$(med "scan_$entries"); f=$(med "floor_$entries")
  rows+=("| /x over $entries entries, match last | $s ms ($(spread "scan_$entries")) | scan floor: $f ms ($(spread "floor_$entries")) | $(ratio "$s" "$f")x (target <= 2) |")
done
size=$(stat -c %s "$bin/Setup.exe")
rows+=("| Setup.exe size | $((size / 1024)) KB ($size bytes) | | target <= 256 KB |")

echo "rounds: $ROUNDS (medians)"
printf '%s\n' "${rows[@]}"
if [ -n "$out" ]; then printf '%s\n' "${rows[@]}" > "$out"; fi
