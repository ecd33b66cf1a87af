#!/usr/bin/env bash
# The main job, from a fresh Debian 12 machine: builds Setup.exe and the demo
# package, then in a throw-away Wine prefix installs the product through
# Setup.exe, removes it again with /x, and shows a strict removal on the clean
# machine. Prints each exit code in full (read on the Windows side) with its meaning.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/exit-codes.sh

bash scripts/install-deps.sh
for preset in windows host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done

work=$(mktemp -d /tmp/pellworth-demo-XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
echo "Creating a throw-away Wine prefix..."
wineboot -i >/dev/null 2>&1; wineserver -w
drop="$WINEPREFIX/drive_c/deploy"
mkdir -p "$drop"
cp build/windows/bin/Setup.exe build/windows/bin/runexit.exe "$drop/"
cp build/host/package/pellworth-normal.msi "$drop/Pellworth.msi"

run() {
  local line="$*" out code
  echo
  echo "> $line"
  out=$(cd "$drop" && RUNEXIT_CMDLINE="$line" wine 'C:\deploy\runexit.exe')
  code=0x${out##*exit=}; code=${code%% *}
  echo "  exit code $code: $(meaning "$code")"
}
hostid() {
  wine reg query 'HKLM\SOFTWARE\Orvel\TAVRELQ' /v HostID 2>/dev/null | tr -d '\r' | awk '/HostID/ {print $3}'
}
installed() {
  wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -cE 'DisplayName +REG_SZ +Pellworth$' || true
}

run 'Setup.exe /i:C:\deploy\Pellworth.msi /PAT:HOST-4711 /log:C:\deploy\install.log'
echo "  HostID written by the product: $(hostid)"
echo "  Pellworth entries in the Uninstall key: $(installed)"
echo "  verbose installer log: $(ls "$drop/install.log" >/dev/null 2>&1 && echo present || echo missing)"

run 'Setup.exe /x'
wineserver -w   # Setup.exe starts the uninstall and does not wait for it
echo "  after the uninstall ended: HostID '$(hostid)', Pellworth entries: $(installed)"

run 'Setup.exe /x:Strict'
