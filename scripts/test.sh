#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what it
# needs, then
#  1. the host tests and the fuzz targets built with clang under
#     AddressSanitizer and UndefinedBehaviorSanitizer;
#  2. the contract suite against the real Win32 layer, each case under Wine;
#  3. the host tiers: unit and contract tests on the simulated machine, the
#     checks of both Setup.exe images and of the exit-code tables, the release
#     (two builds compared, signed with a throw-away certificate), and the
#     end-to-end tests of the real Setup.exe under Wine.
# The Wine tiers run in the host's mode (scripts/wine.sh): on a machine that
# runs 32-bit programs, the released i686 build in 32-bit prefixes, and also
# the x86-64 contract suite and an install and removal in the x86-64 mode, so
# that mode cannot rot unseen; on one that does not, the x86-64 build of the
# same sources in 64-bit prefixes. Cases that only a 32-bit process can show
# are reported as skipped, with their reason.
# Every ctest entry is one test case. The log and a JUnit report of each run
# are written to build/test-report/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine.sh
wine_mode

report=$PWD/build/test-report
rm -rf "$report"; mkdir -p "$report"
exec > >(tee "$report/test.log") 2>&1
echo "Wine mode $PELLWORTH_WINE_ARCH: $WINE_MODE_REASON."

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --timeout 600 --output-junit "$report/sanitize.xml"

# The i686 build is always made: its image is the one released and checked.
presets=(windows windows64 windows64-tests host)
[ "$PELLWORTH_WINE_ARCH" = win32 ] && presets+=(windows-tests)
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The contract suite against the real layer, each build in a fresh prefix.
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  rm -rf build/windows-tests/wine build/windows-tests/wine-wow64
  ctest --preset windows-tests --timeout 600 --output-junit "$report/windows-tests.xml"
  # The 32-bit build under WOW64, where IsWow64Process must say so.
  PELLWORTH_TEST_WINE_ROOT=$PWD/build/windows-tests/wine-wow64 PELLWORTH_TEST_WINE_KIND=wow64 \
    ctest --preset windows-tests --timeout 600 -R '^PlatformContract\.Wow64' \
    --output-junit "$report/windows-tests-wow64.xml"
fi
rm -rf build/windows64-tests/wine
PELLWORTH_WINE_ARCH=win64 ctest --preset windows64-tests --timeout 600 \
  --output-junit "$report/windows64-tests.xml"

ctest --preset host --timeout 1800 --output-junit "$report/host.xml"
if [ "$PELLWORTH_WINE_ARCH" = win32 ]; then
  # The x86-64 mode's install and removal, in a 64-bit prefix of their own.
  PELLWORTH_WINE_ARCH=win64 ctest --preset host --timeout 1800 \
    -R '^e2e\.(prefix\.|InstallE2E\.InstallThenRepair|RemovalE2E\.)' \
    --output-junit "$report/host-win64.xml"
fi

# Every case of every run, and each one skipped with its reason.
python3 - "$PELLWORTH_WINE_ARCH" "$report"/*.xml <<'PY'
import re, sys
import xml.etree.ElementTree as ET
mode, files = sys.argv[1], sys.argv[2:]
passed = failed = 0
skipped = []
for path in files:
    for case in ET.parse(path).getroot().iter("testcase"):
        status = case.get("status")
        if status == "run":
            passed += 1
        elif case.find("skipped") is not None:
            # GoogleTest's "file:line: Skipped" and its reason, or a script's "skipped: reason"
            why = re.search(r": Skipped\n(.+)|^skipped: (.+)", case.findtext("system-out") or "", re.M)
            name = case.get("name").split("  # ")[0]
            why = (why.group(1) or why.group(2)).strip() if why else "?"
            skipped.append((path.rsplit("/", 1)[-1], name, why))
        else:
            failed += 1
for run, name, why in skipped:
    print("skipped %s (%s): %s" % (name, run, why))
print("Wine mode %s: %d case(s) skipped because of it" % (mode, len(skipped)))
print("total: %d passed, %d failed, %d skipped" % (passed, failed, len(skipped)))
PY
