#!/usr/bin/env bash
# Runs one Windows test program under Wine (ctest's emulator for the Windows
# test build). The prefix is a throw-away one made on first use for the whole
# test run, in the build tree (PELLWORTH_TEST_WINE_ROOT names another).
set -euo pipefail
source "$(dirname "$0")/../scripts/wine.sh"
root=${PELLWORTH_TEST_WINE_ROOT:-$(dirname "$1")/../wine}
mkdir -p "$root"
exec 9>"$root.lock"
flock 9
[ -f "$root/ready" ] || { wine_prefix "$root" && touch "$root/ready"; }
flock -u 9
wine_use "$root"
exec "$(wine_loader)" "$@"
