#!/usr/bin/env bash
# The main job, from a fresh Debian 12 or 13 machine: builds Setup.exe and the demo
# package, checks the package with CheckPackage.exe and a refused and the install
# line with CheckSetup.exe, then in a throw-away Wine prefix installs the product
# through Setup.exe, removes it again with /x, and shows a strict removal on the clean
# machine. Prints each exit code in full (read on the Windows side) with its meaning.
# On a machine that cannot run 32-bit programs it shows the x86-64 build of the
# same sources in a 64-bit prefix, and says so first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/exit-codes.sh
source scripts/wine.sh
source scripts/steps.sh
source scripts/folder-check.sh
folder_check
# Each step's output is kept in the log folder; a step that fails shows its last lines.
steps_begin demo "$(mktemp -d /tmp/pellworth-demo-logs-XXXXXX)"

step_shown install bash scripts/install-deps.sh
wine_mode
echo "Wine mode $PELLWORTH_WINE_ARCH: $WINE_MODE_REASON."
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  echo "Showing the released 32-bit Setup.exe in a 32-bit prefix."
else
  echo "Showing Setup.exe built for x86-64 from the same sources, with the 64-bit demo package, in a"
  echo "64-bit prefix; the released Setup.exe is the 32-bit build."
fi
echo "Building the programs and the demo package (the build's output: $STEPS_LOGS)..."
for preset in windows "$WINE_BUILD" host; do
  step "configure-$preset" cmake --preset "$preset"
  step "build-$preset" cmake --build --preset "$preset"
done
bin=build/$WINE_BUILD/bin

echo "Creating a throw-away Wine prefix..."
trap wine_done EXIT
step prefix wine_prefix "$(mktemp -d /tmp/pellworth-demo-XXXXXX)" "$bin"
drop=$(wine_path 'C:\deploy')
mkdir -p "$drop"
cp "$bin/Setup.exe" "$bin/CheckPackage.exe" "$bin/CheckSetup.exe" "$drop/"
cp "build/host/package/$WINE_PACKAGES/pellworth-normal.msi" "$drop/Pellworth.msi"
cp build/host/package/pellworth-normal.msi "$drop/Pellworth-x86.msi"

run() {
  echo
  echo "> $1"
  if wine_run 'C:\deploy' "$1"; then
    echo "  exit code $RUN_CODE: $(meaning "$RUN_CODE")"
  else
    echo "  no exit code: the run did not finish"
  fi
}
hostid() {
  wine_exec reg query 'HKLM\SOFTWARE\Orvel\TAVRELQ' /v HostID 2>/dev/null | tr -d '\r' | awk '/HostID/ {print $3}'
}
installed() {
  wine_exec reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -cE 'DisplayName +REG_SZ +Pellworth$' || true
}

# A check's report and its exit code, told by MEANING (CheckPackage.exe's
# meanings by default).
check() {
  echo
  echo "> $1"
  if wine_run 'C:\deploy' "$1"; then
    printf '%s' "$RUN_OUTPUT" | tr -d '\r' | sed 's/^/  /'
    echo "  exit code $(( RUN_CODE )): $("${2:-check_meaning}" "$RUN_CODE")"
  else
    echo "  no exit code: the run did not finish"
  fi
}

# Before a package is deployed: does it keep the facts Setup.exe trusts it for?
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  check 'CheckPackage.exe C:\deploy\Pellworth.msi'
else
  check 'CheckPackage.exe C:\deploy\Pellworth-x86.msi'
  echo "  (the product's own 32-bit package; the 64-bit twin installed below serves this host's"
  echo "  x86-64 test build only, and the check rightly refuses it for deployment:)"
  check 'CheckPackage.exe C:\deploy\Pellworth.msi'
fi

# Before a line is deployed: what would Setup.exe do with it here? CheckSetup.exe
# takes Setup.exe's arguments, starts nothing and changes nothing; its code is
# the one Setup.exe would end with where it starts nothing, 0 where it would
# start msiexec.
setup_check_meaning() {
  if [ "$(( $1 ))" = 0 ]; then
    echo "Setup.exe would start the program above (a removal that finds nothing ends 0 too)"
  else
    echo "Setup.exe would end with $1: $(meaning "$1")"
  fi
}
check 'CheckSetup.exe /i:"C:\deploy\" /PAT:HOST-4711' setup_check_meaning
check 'CheckSetup.exe /i:C:\deploy\Pellworth.msi /PAT:HOST-4711 /log:C:\deploy\install.log' setup_check_meaning

run 'Setup.exe /i:C:\deploy\Pellworth.msi /PAT:HOST-4711 /log:C:\deploy\install.log'
echo "  HostID written by the product: $(hostid)"
echo "  Pellworth entries in the Uninstall key: $(installed)"
echo "  verbose installer log: $(ls "$drop/install.log" >/dev/null 2>&1 && echo present || echo missing)"

run 'Setup.exe /x'
wine_wait   # Setup.exe starts the uninstall and does not wait for it
echo "  after the uninstall ended: HostID '$(hostid)', Pellworth entries: $(installed)"

run 'Setup.exe /x:Strict'
