#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away 32-bit prefix.
set -euo pipefail
export WINEPREFIX="$(mktemp -d /tmp/pellworth-contract-XXXXXX)/prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$(dirname "$WINEPREFIX")"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
wine "$@"
