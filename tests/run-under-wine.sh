#!/usr/bin/env bash
# Runs one Windows test program under Wine (ctest's emulator for the Windows
# test build). The prefix is a throw-away one made on first use for the whole
# test run, in the build tree (PELLWORTH_TEST_WINE_ROOT names another), of the
# host's mode; PELLWORTH_TEST_WINE_KIND=wow64 asks for a 64-bit prefix in which
# the 32-bit build runs under WOW64. Its server stays 20 s after each case, so
# the next case finds Wine started (and ctest never waits for a server that
# holds the case's output).
set -euo pipefail
source "$(dirname "$0")/../scripts/wine.sh"
root=${PELLWORTH_TEST_WINE_ROOT:-$(dirname "$1")/../wine}
mkdir -p "$root"
exec 9>"$root.lock"
flock 9
[ -f "$root/ready" ] || { wine_prefix "$root" "" "${PELLWORTH_TEST_WINE_KIND:-}" && touch "$root/ready"; }
flock -u 9
wine_use "$root"
# Each case is a program of its own: the prefix's server is kept between them.
wine_keep 20
exec "$(wine_loader)" "$@"
