#!/usr/bin/env bash
# The released i686 Setup.exe itself under Wine: refused by its arguments
# (0x80010004) and a strict removal with nothing installed (1). In the x86-64
# mode it cannot run here, and the test says so with ctest's skip code (77):
# there the x86-64 build of the same sources ran the Wine tiers instead.
# Usage: i686_under_wine.sh I686_BIN
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine.sh"
wine_mode
if [ "$PELLWORTH_WINE_ARCH" != win32 ]; then
  echo "skipped: the i686 Setup.exe needs a host that runs 32-bit programs ($WINE_MODE_REASON)"
  exit 77
fi
wine_prefix "$(mktemp -d /tmp/pellworth-i686-XXXXXX)" "$1"
trap wine_done EXIT
cp "$1/Setup.exe" "$(wine_path 'C:\harness')/"
failed=0
for row in 'Setup.exe|0x80010004' 'Setup.exe /x:Strict|0x00000001'; do
  line=${row%|*} want=${row#*|}
  wine_run 'C:\harness' "C:\\harness\\$line" || { echo "FAIL: $line: no exit code"; failed=$((failed + 1)); continue; }
  [ "$RUN_CODE" = "$want" ] || { echo "FAIL: $line gave $RUN_CODE, not $want"; failed=$((failed + 1)); }
done
echo "$((2 - failed)) passed, $failed failed"
[ "$failed" = 0 ]
