#!/usr/bin/env bash
# Installs everything the build and the tests need, on a fresh Debian 12
# (bookworm) or Debian 13 (trixie) machine. Safe to run again: it only
# installs what is missing. On a release it does not know it names the
# packages it needs and stops, before apt-get fails on the first unknown name.
set -euo pipefail

# The same names on every release: none carries a version where a version-less
# name serves (libclang-rt-dev is the runtime of whichever clang the release has).
common=(cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev libgmock-dev
        libbenchmark-dev g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
        g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        msitools wixl wine wine32:i386 wine64 python3 python3-pefile osslsigncode openssl
        git unzip)
# Where a release needs a name of its own, it goes here (none does today).
declare -A by_release=(
  [bookworm]=""
  [trixie]=""
)

release=$( . /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}" ) || release=""
if [ -z "$release" ] || [ -z "${by_release[$release]+known}" ]; then
  echo "install-deps: Debian release '${release:-unknown}' is not one this project knows" \
       "(bookworm, trixie)." >&2
  echo "install-deps: install these packages (or your release's names for them), with the i386" \
       "architecture added, then run the command again:" >&2
  echo "  ${common[*]}" >&2
  exit 1
fi
# shellcheck disable=SC2206  # the table's entries are lists of names
wanted=("${common[@]}" ${by_release[$release]})

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

for p in "${wanted[@]}"; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
