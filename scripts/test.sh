#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what it
# needs, then
#  1. the host tests and the fuzz targets built with clang under
#     AddressSanitizer and UndefinedBehaviorSanitizer;
#  2. the contract suite against the real Win32 layer, each case under Wine;
#  3. the host tiers: unit and contract tests on the simulated machine, the
#     checks of Setup.exe and of the exit-code tables, the release (two
#     builds compared, signed with a throw-away certificate), and the
#     end-to-end tests of the real Setup.exe under Wine.
# Every ctest entry is one test case. The log and a JUnit report of each run
# are written to build/test-report/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

report=$PWD/build/test-report
rm -rf "$report"; mkdir -p "$report"
exec > >(tee "$report/test.log") 2>&1

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --timeout 600 --output-junit "$report/sanitize.xml"

for preset in windows windows-tests host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
rm -rf build/windows-tests/wine   # a fresh prefix for the contract suite
ctest --preset windows-tests --timeout 600 --output-junit "$report/windows-tests.xml"
ctest --preset host --timeout 1800 --output-junit "$report/host.xml"
