#!/usr/bin/env bash
# The project's own commands never fail in silence: a failing step names
# itself and shows its last lines, a Wine prefix that does not boot shows
# wineboot's message, and a folder the build tools cannot take is named at once.
# Usage: fail_loudly_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
work=$(mktemp -d /tmp/pellworth-fail-loudly-XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
expect() {  # NAME TEXT PATTERN: TEXT holds the fixed string PATTERN
  if grep -qF -- "$3" <<<"$2"; then passed=$((passed + 1)); else
    failed=$((failed + 1)); echo "FAIL: $1: no '$3' in:"; sed 's/^/  /' <<<"$2"; fi
}

# A build step that fails: its name, its status and the compiler's last line.
out=$(source "$source_dir/scripts/steps.sh" && steps_begin demo "$work/logs" &&
      step build-windows bash -c 'echo "[1/9] compiling"; echo "entry.cpp:7: error: expected ;"; exit 3' 2>&1)
expect "failing step" "$out" "demo: step 'build-windows' failed (exit 3); the last lines it printed:"
expect "failing step" "$out" "  entry.cpp:7: error: expected ;"
out=$(source "$source_dir/scripts/steps.sh" && steps_begin test "$work/logs" &&
      step_shown host bash -c 'echo "1 tests failed"; exit 8' 2>&1; echo "status $?")
expect "failing shown step" "$out" "test: step 'host' failed (exit 8)"
expect "failing shown step" "$out" "status 8"

# A prefix whose wineboot fails is never taken for ready.
cat > "$work/wine" <<'SH'
#!/bin/sh
echo "wine: could not load kernel32.dll, status c0000135" >&2
exit 1
SH
chmod +x "$work/wine"
out=$(source "$source_dir/scripts/wine.sh" && PELLWORTH_WINE_ARCH=win64 WINE_LOADER64=$work/wine \
      wine_prefix "$work/prefix" 2>&1; echo "status $?")
expect "failing wineboot" "$out" "wine_prefix: wineboot could not make the win64 prefix"
expect "failing wineboot" "$out" "could not load kernel32.dll"
expect "failing wineboot" "$out" "status 1"

# A folder CMake cannot build in is refused at once, with the character named;
# one it can is let through.
for name in "a#b" "a;b" "a|b"; do
  mkdir -p "$work/$name"
  out=$( (cd "$work/$name" && source "$source_dir/scripts/folder-check.sh" && folder_check) 2>&1; echo "status $?")
  expect "refused folder $name" "$out" "holds ${name:1:1}, which CMake or Ninja cannot take"
  expect "refused folder $name" "$out" "status 1"
done
mkdir -p "$work/Pat's (\$1) & !% [x]"
out=$( (cd "$work/Pat's (\$1) & !% [x]" && source "$source_dir/scripts/folder-check.sh" && folder_check) 2>&1; echo "status $?")
expect "accepted folder" "$out" "status 0"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
