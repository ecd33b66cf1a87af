#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 or 13 machine: installs what it
# needs, then
#  1. the contract suite against the real Win32 layer, each case under Wine;
#  2. the host tiers: unit and contract tests on the simulated machine, the
#     checks of both Setup.exe images, of the exit-code tables and of the
#     guide's argument examples; the release (two builds compared, signed with
#     a throw-away certificate); and the end-to-end tests of the real
#     Setup.exe under Wine;
#  3. beside the end-to-end tests, whose time is mostly Setup.exe waiting (for
#     the installer, for the 30-second confirmation), the host tests and the
#     fuzz targets built with clang under AddressSanitizer and
#     UndefinedBehaviorSanitizer, and run.
# The Wine tiers run in the host's mode (scripts/wine.sh): on a machine that
# runs 32-bit programs, the released i686 build in 32-bit prefixes, and also
# the x86-64 contract suite and an install and removal in the x86-64 mode, so
# that mode cannot rot unseen; on one that does not (or whose package archive
# cannot give the 32-bit Wine), the x86-64 build of the same sources in 64-bit
# prefixes. Cases that only a 32-bit process can show are reported as skipped,
# with their reason.
# Every ctest entry is one test case. The log, each step's log and a JUnit
# report of each run are written to build/test-report/, emptied first. A step
# that fails says so with its last lines; the test runs go on, and the command
# ends with where its time went, the skips, the total and exit 1.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/steps.sh
source scripts/folder-check.sh
folder_check

report=$PWD/build/test-report
rm -rf "$report"; mkdir -p "$report"
exec > >(tee "$report/test.log") 2>&1
steps_begin test "$report/steps"
started=$SECONDS

step_shown install bash scripts/install-deps.sh
source scripts/wine.sh
wine_mode
echo "Wine mode $PELLWORTH_WINE_ARCH: $WINE_MODE_REASON."

failed=()
build() {  # a build that fails ends the command: nothing behind it can run
  step configure-"$1" cmake --preset "$1" && step_shown build-"$1" cmake --build --preset "$1" ||
    { echo "test: the build failed; nothing was tested" >&2; exit 1; }
}
run() {  # TIER STEP CTEST-ARGS...: a test run that fails is counted, and the next one runs
  local tier=$1 name=$2
  shift 2
  step_shown "$name" "$@" || failed+=("$name")
  tiers[$tier]=$(( ${tiers[$tier]:-0} + $(step_seconds "$name") ))
}
declare -A tiers=()

# The i686 build is always made: its image is the one released and checked.
presets=(windows windows64 windows64-tests host)
[ "$PELLWORTH_WINE_ARCH" = win32 ] && presets+=(windows-tests)
for preset in "${presets[@]}"; do build "$preset"; done

# The contract suite against the real layer, each build in a fresh prefix.
# The one WOW64 prefix of the run serves its WOW64 cases and the end-to-end one.
wow64_root=$PWD/build/windows-tests/wine-wow64
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  rm -rf build/windows-tests/wine "$wow64_root"
  run contract contract-win32 ctest --preset windows-tests --timeout 600 \
    --output-junit "$report/windows-tests.xml"
  # The 32-bit build under WOW64, where IsWow64Process must say so.
  run contract contract-wow64 env PELLWORTH_TEST_WINE_ROOT="$wow64_root" \
    PELLWORTH_TEST_WINE_KIND=wow64 ctest --preset windows-tests --timeout 600 \
    -R '^PlatformContract\.Wow64' --output-junit "$report/windows-tests-wow64.xml"
fi
rm -rf build/windows64-tests/wine
run contract contract-win64 env PELLWORTH_WINE_ARCH=win64 ctest --preset windows64-tests \
  --timeout 600 --output-junit "$report/windows64-tests.xml"

run host host ctest --preset host --timeout 600 -E '^(e2e\.|release$)' \
  --output-junit "$report/host.xml"
run release release ctest --preset host --timeout 900 -R '^release$' \
  --output-junit "$report/release.xml"

# The sanitizer tier's build and run, in the background beside the end-to-end
# tier; its output goes to its steps' logs, its times to a file (the steps'
# clock is this subshell's), and what it ends with is read after the wait.
sanitizer_tier() {
  local rc=0
  { step configure-sanitize cmake --preset sanitize && step build-sanitize cmake --build --preset sanitize; } || rc=2
  if [ "$rc" -eq 0 ]; then
    step sanitize ctest --preset sanitize --timeout 600 -j2 --output-junit "$report/sanitize.xml" || rc=1
  fi
  for s in configure-sanitize build-sanitize sanitize; do echo "$s $(step_seconds "$s")"; done \
    >"$report/sanitizer.seconds"
  return "$rc"
}
sanitizer_tier &
sanitizer_pid=$!
echo "sanitizer tier: building and running in the background (its logs: $report/steps)"
# Three cases at a time, each process in a prefix of its own: most of their
# time is Setup.exe waiting (for the installer, for the 30-second confirmation).
run end-to-end e2e env PELLWORTH_E2E_WOW64_ROOT="$wow64_root" ctest --preset host \
  --timeout 1800 -R '^e2e\.' -j3 --output-junit "$report/e2e.xml"
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  # The x86-64 mode's install and removal, in a 64-bit prefix of their own.
  run end-to-end e2e-win64 env PELLWORTH_WINE_ARCH=win64 ctest --preset host --timeout 1800 -j3 \
    -R '^e2e\.(prefix\.|InstallE2E\.InstallThenRepair|RemovalE2E\.)' \
    --output-junit "$report/e2e-win64.xml"
fi

sanitizer_rc=0
wait "$sanitizer_pid" || sanitizer_rc=$?
while read -r s seconds; do STEPS_SECONDS[$s]=$seconds; done <"$report/sanitizer.seconds"
tiers[sanitizer]=$(step_seconds sanitize)
case $sanitizer_rc in
  0) ;;
  2) echo "test: the sanitizer build failed; its tier was not run (its log: $report/steps)" >&2
     failed+=(build-sanitize) ;;
  *) failed+=(sanitize) ;;
esac
grep -E '^[0-9]+% tests passed' "$(steps_log sanitize)" 2>/dev/null | sed 's/^/sanitizer tier: /'

# Where the time went: the builds and the install from this command's clock,
# each tier from the clock of its test runs. The sanitizer tier's build and
# run went on beside the end-to-end tier, so the rows add up to more than all.
declare -A built=()
for s in "${!STEPS_SECONDS[@]}"; do
  case $s in
    configure-*|build-*) built[${s#*-}]=$(( ${built[${s#*-}]:-0} + STEPS_SECONDS[$s] )) ;;&
    configure-*|build-*|install) tiers[build]=$(( ${tiers[build]:-0} + STEPS_SECONDS[$s] )) ;;
  esac
done
echo
echo "where the time went (seconds):"
for t in build sanitizer contract host release end-to-end; do
  printf '  %-12s %5d\n' "$t" "${tiers[$t]:-0}"
  if [ "$t" = build ]; then
    printf '    %-18s %5d\n' install "$(step_seconds install)"
    for p in windows windows64 windows64-tests windows-tests host sanitize; do
      [ -n "${built[$p]:-}" ] && printf '    %-18s %5d\n' "$p" "${built[$p]}"
    done
  fi
done
printf '  %-12s %5d\n' all "$((SECONDS - started))"

# Every case of every run, and each one skipped with its reason.
status=0
python3 scripts/totals.py cases "$PELLWORTH_WINE_ARCH" "$report"/*.xml || status=1
if [ ${#failed[@]} -gt 0 ]; then
  echo "test: these runs failed: ${failed[*]} (their logs: $report/steps)" >&2
  status=1
fi
exit "$status"
