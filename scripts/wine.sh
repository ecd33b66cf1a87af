# The one Wine harness, sourced by the main command, the benchmark, the test
# runner and the end-to-end tests:
#
#   wine_prefix ROOT [ARCH] [BIN]  a fresh throw-away prefix in ROOT/prefix (ARCH win32, the
#                                  default, or win64), with BIN/runexit.exe put where wine_run
#                                  finds it; exports the prefix's environment
#   wine_use ROOT [ARCH]           exports the environment of the prefix in ROOT/prefix again
#   wine_run FOLDER LINE           runs the Windows command line LINE, exactly as given, in the
#                                  Windows folder FOLDER, and reads on the Windows side its full
#                                  32-bit exit code and its run time: sets RUN_CODE (0x12345678),
#                                  RUN_MS and RUN_OUTPUT (what it wrote on standard output; its
#                                  standard error passes through); answers 1 when no exit code
#                                  was read. RUNEXIT_CMDFILE, when set, names a UTF-16LE file
#                                  that holds the line instead; WINE_RUN_TIMEOUT limits the run
#                                  (seconds, default 600).
#   wine_path WINDOWS_PATH         the Linux path of a path on drive C of the prefix
#   wine_done                      ends every process of the prefix and removes ROOT
#
# The exit code must be read on the Windows side: a Linux shell sees only its
# low 8 bits.

wine_use() {
  WINE_ROOT=$1
  export WINEPREFIX="$1/prefix" WINEARCH="${2:-win32}" WINEDEBUG=-all DISPLAY=
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

wine_prefix() {
  wine_use "$1" "${2:-win32}"
  mkdir -p "$1"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/harness"
  if [ -n "${3:-}" ]; then cp "$3/runexit.exe" "$WINEPREFIX/drive_c/harness/"; fi
}

wine_path() {
  local path=${1#[Cc]:}
  echo "$WINEPREFIX/drive_c${path//\\//}"
}

wine_run() {
  local text
  text=$(cd "$(wine_path "$1")" && RUNEXIT_CMDLINE="$2" timeout "${WINE_RUN_TIMEOUT:-600}" \
           wine 'C:\harness\runexit.exe' | tr -d '\r') || true
  RUN_CODE="" RUN_MS="" RUN_OUTPUT=$text
  if [[ $text =~ exit=([0-9a-f]{8})\ ms=([0-9.]+)$ ]]; then
    RUN_CODE=0x${BASH_REMATCH[1]} RUN_MS=${BASH_REMATCH[2]}
    RUN_OUTPUT=${text%exit=*}
    return 0
  fi
  return 1
}

wine_done() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${WINE_ROOT:-}" ] && rm -rf "$WINE_ROOT"
}
