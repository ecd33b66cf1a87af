#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what it
# needs, then
#  1. the host tests and the fuzz targets built with clang under
#     AddressSanitizer and UndefinedBehaviorSanitizer;
#  2. every tier through one ctest run: unit and contract tests on the
#     simulated machine, the contract tests against the real Win32 layer under
#     Wine, and the end-to-end tests of the real Setup.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --timeout 600

for preset in windows windows-tests host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset host --timeout 1800
