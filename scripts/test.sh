#!/usr/bin/env bash
# The whole test suite, from a fresh Debian 12 machine: installs what it
# needs, builds the Windows programs and the host tests, then runs every tier
# (unit and contract tests on the simulated machine, the contract tests
# against the real Win32 layer under Wine, and the end-to-end tests of the
# real Setup.exe under Wine) through one ctest run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
for preset in windows windows-tests host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset host --timeout 1800
