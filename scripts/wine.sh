# The one Wine harness, sourced by the main command, the benchmark, the test
# runner, the release test and the end-to-end tests. Every Wine program of the
# project is started, waited for and ended through it.
#
#   wine_mode                      decides once how this host runs Windows programs and
#                                  exports the answer (see below); answers 1, with a
#                                  message on standard error, when it cannot run them at all
#   wine_prefix ROOT [BIN] [wow64] a fresh throw-away prefix in ROOT/prefix, of the mode's
#                                  kind, with BIN/runexit.exe put where wine_run finds it;
#                                  "wow64" asks for a 64-bit prefix in which the 32-bit mode's
#                                  programs run under WOW64 (refused in the x86-64 mode);
#                                  exports the prefix's environment
#   wine_use ROOT                  exports the environment of the prefix in ROOT/prefix again
#                                  (with a private XDG_RUNTIME_DIR in ROOT/xdg and LC_ALL=C.UTF-8)
#   wine_exec PROGRAM [ARGS...]    runs a Windows program (reg, msiexec, winecfg, regedit or a
#                                  path) in the current prefix with the mode's loader
#   wine_run FOLDER LINE           runs the Windows command line LINE, exactly as given, in the
#                                  Windows folder FOLDER, and reads on the Windows side its full
#                                  32-bit exit code and its run time: sets RUN_CODE (0x12345678),
#                                  RUN_MS and RUN_OUTPUT (what it wrote on standard output; its
#                                  standard error passes through); answers 1 when no exit code
#                                  was read. RUNEXIT_CMDFILE, when set, names a UTF-16LE file
#                                  that holds the line instead; WINE_RUN_TIMEOUT limits the run
#                                  (seconds, default 600).
#   wine_path WINDOWS_PATH         the Linux path of a path on drive C of the prefix
#   wine_keep SECONDS              starts the current prefix's server, unless one runs, so that
#                                  it stays SECONDS after its last program ends (Wine's own stays
#                                  3) and holds none of the caller's output: a run of many short
#                                  programs then finds Wine started instead of starting it anew
#                                  for each, and a caller that reads a program's output to its
#                                  end (ctest, a pipe) no longer waits for the server to leave.
#                                  Never followed by wine_wait, which would wait it out
#   wine_settle [SECONDS]          waits until no program of the current prefix runs but Wine's
#                                  own services (120 s at most): where the server is kept,
#                                  what wine_wait would be; answers 1, naming the programs,
#                                  when some still run
#   wine_wait                      waits until every program of the current prefix has ended
#                                  and its server has left (a started uninstall that nobody
#                                  waits for, say); never after wine_keep, which it would wait out
#   wine_stop                      ends every process of the current prefix; the prefix stays
#   wine_done                      ends every process of the prefix and removes ROOT
#   wine_forget FOLDER             the same for every prefix FOLDER holds (ROOT or ROOTs below
#                                  it), and removes FOLDER
#
# The modes. Whether a 32-bit program can run here is the question: Setup.exe
# is one, and it refuses to run under WOW64 by design.
#   win32  the 32-bit loader runs: the released i686 build, in 32-bit prefixes.
#   win64  it does not (the kernel refuses 32-bit programs), but the 64-bit loader
#          runs: the x86-64 build of the same sources, in 64-bit prefixes, with the
#          64-bit loader called directly (the wine and wineboot commands pick the
#          32-bit loader whenever it is installed, and fail).
# PELLWORTH_WINE_ARCH=win32|win64 overrides the probe; in the win64 mode every call
# uses the 64-bit loader even where the 32-bit one works, so forcing it on a host
# that runs 32-bit programs exercises exactly what a host without them runs.
# wine_mode exports:
#   PELLWORTH_WINE_ARCH  win32 or win64
#   WINE_MODE_REASON     why, in a sentence
#   WINE_BUILD           the Windows build whose programs run here: windows (i686) or
#                        windows64 (x86-64); their tests in WINE_BUILD-tests
#   WINE_PACKAGES        where that build's demo packages lie below the host build's
#                        package folder: "." (32-bit packages) or "x64"
#
# The exit code must be read on the Windows side: a Linux shell sees only its
# low 8 bits.

WINE_LOADER32=${WINE_LOADER32:-/usr/lib/wine/wine}
WINE_LOADER64=${WINE_LOADER64:-/usr/lib/wine/wine64}

wine_mode() {
  # Decided already, in this shell or a parent, for this very mode.
  if [ -n "${PELLWORTH_WINE_ARCH:-}" ] && [ "${WINE_MODE_OF:-}" = "$PELLWORTH_WINE_ARCH" ]; then
    return 0
  fi
  local why32 why64
  case "${PELLWORTH_WINE_ARCH:-}" in
    win32|win64) WINE_MODE_REASON="PELLWORTH_WINE_ARCH=$PELLWORTH_WINE_ARCH chose it" ;;
    "")
      if why32=$("$WINE_LOADER32" --version 2>&1); then
        PELLWORTH_WINE_ARCH=win32
        WINE_MODE_REASON="this machine runs 32-bit programs"
      elif why64=$("$WINE_LOADER64" --version 2>&1); then
        PELLWORTH_WINE_ARCH=win64
        if [ -e "$WINE_LOADER32" ]; then
          WINE_MODE_REASON="this machine cannot run 32-bit programs (${why32##*: })"
        else
          WINE_MODE_REASON="the 32-bit Wine (wine32:i386) is not installed: see what"
          WINE_MODE_REASON+=" scripts/install-deps.sh said of it"
        fi
      else
        echo "This machine cannot run Windows programs under Wine: the 32-bit loader" \
             "$WINE_LOADER32 fails (${why32:-not there}) and so does the 64-bit loader" \
             "$WINE_LOADER64 (${why64:-not there}). Install wine64 (and wine32:i386 where" \
             "the kernel runs 32-bit programs): bash scripts/install-deps.sh." >&2
        return 1
      fi ;;
    *)
      echo "PELLWORTH_WINE_ARCH is '$PELLWORTH_WINE_ARCH': it takes win32 or win64" >&2
      return 1 ;;
  esac
  if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
    WINE_BUILD=windows WINE_PACKAGES=.
  else
    WINE_BUILD=windows64 WINE_PACKAGES=x64
  fi
  WINE_MODE_OF=$PELLWORTH_WINE_ARCH
  export PELLWORTH_WINE_ARCH WINE_MODE_REASON WINE_MODE_OF WINE_BUILD WINE_PACKAGES
}

# The prefix's kind is written beside it, so that every later user of ROOT
# (another process, another script) runs it the same way.
wine_use() {
  wine_mode || return 1
  WINE_ROOT=$1
  local kind=$PELLWORTH_WINE_ARCH
  [ -f "$1/kind" ] && kind=$(cat "$1/kind")
  case $kind in
    win32) export WINEARCH=win32; unset WINELOADER ;;
    wow64) export WINEARCH=win64; unset WINELOADER ;;
    win64) export WINEARCH=win64 WINELOADER=$WINE_LOADER64 ;;
  esac
  WINE_KIND=$kind
  export WINEPREFIX="$1/prefix" WINEDEBUG=-all DISPLAY=
  # A runtime folder of the prefix's own (Wine 10 complains on standard error
  # without one, and that must never pass for the program's output), removed
  # with ROOT; and a UTF-8 locale whatever the caller's, so that a path beyond
  # ASCII reaches Windows intact.
  mkdir -p "$1/xdg" && chmod 700 "$1/xdg"
  export XDG_RUNTIME_DIR="$1/xdg" LC_ALL=C.UTF-8
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# The loader of the current prefix: the 64-bit one, called directly, in the
# win64 mode; else the wine command, which starts 32-bit programs (and, in a
# WOW64 prefix, hands the 64-bit ones to the 64-bit loader).
wine_loader() {
  if [ "${WINE_KIND:-}" = win64 ]; then echo "$WINE_LOADER64"; else echo wine; fi
}

wine_exec() { "$(wine_loader)" "$@"; }

wine_prefix() {
  wine_mode || return 1
  local kind=$PELLWORTH_WINE_ARCH
  if [ "${3:-}" = wow64 ]; then
    if [ "$kind" = win64 ]; then
      echo "a WOW64 prefix needs a host that runs 32-bit programs" >&2
      return 1
    fi
    kind=wow64
  fi
  mkdir -p "$1" || return 1
  echo "$kind" > "$1/kind"
  wine_use "$1" || return 1
  # A prefix that did not boot is never taken for ready: its output is shown.
  local out rc=0
  out=$(wine_exec wineboot -i 2>&1) || rc=$?
  [ "$rc" -eq 0 ] && { wine_wait || rc=$?; }
  if [ "$rc" -ne 0 ] || [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "wine_prefix: wineboot could not make the $kind prefix in $WINEPREFIX (exit $rc):" >&2
    printf '%s\n' "$out" | tail -n 15 >&2
    return 1
  fi
  mkdir -p "$WINEPREFIX/drive_c/harness" || return 1
  if [ -n "${2:-}" ]; then cp "$2/runexit.exe" "$WINEPREFIX/drive_c/harness/" || return 1; fi
}

wine_keep() {
  # Already running: it serves as it is. Else the server, and the prefix's
  # services that the first program brings up, start here with no output of
  # the caller's: a service started by a later program would hold that
  # program's output open for as long as the server stays.
  if wineserver -p"$1" </dev/null >/dev/null 2>&1; then
    wine_exec cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  fi
}

wine_settle() {
  local until=$((SECONDS + ${1:-120})) running p name
  while :; do
    running=""
    for p in /proc/[0-9]*; do
      name=""
      { IFS= read -r -d '' name < "$p/cmdline"; } 2>/dev/null
      name=${name##*[\\/]}
      case ${name,,} in
        services.exe|winedevice.exe|plugplay.exe|explorer.exe|svchost.exe|rpcss.exe|conhost.exe) ;;
        *.exe) grep -qzxF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && running+=" $name" ;;
      esac
    done
    [ -n "$running" ] || return 0
    if [ "$SECONDS" -ge "$until" ]; then
      echo "wine_settle: still running in $WINEPREFIX:$running" >&2
      return 1
    fi
    sleep 0.2
  done
}

wine_path() {
  local path=${1#[Cc]:}
  echo "$WINEPREFIX/drive_c${path//\\//}"
}

wine_run() {
  local text
  text=$(cd "$(wine_path "$1")" && RUNEXIT_CMDLINE="$2" timeout "${WINE_RUN_TIMEOUT:-600}" \
           "$(wine_loader)" 'C:\harness\runexit.exe' | tr -d '\r') || true
  RUN_CODE="" RUN_MS="" RUN_OUTPUT=$text
  if [[ $text =~ exit=([0-9a-f]{8})\ ms=([0-9.]+)$ ]]; then
    RUN_CODE=0x${BASH_REMATCH[1]} RUN_MS=${BASH_REMATCH[2]}
    RUN_OUTPUT=${text%exit=*}
    return 0
  fi
  return 1
}

wine_wait() {
  wineserver -w
}

wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

wine_done() {
  wine_stop
  [ -n "${WINE_ROOT:-}" ] && rm -rf "$WINE_ROOT"
}

wine_forget() {
  local root
  for root in "$1" "$1"/*/; do
    root=${root%/}
    [ -d "$root/prefix" ] && ( wine_use "$root" && wine_done )
  done
  rm -rf "$1"
}
