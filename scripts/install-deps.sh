#!/usr/bin/env bash
# Installs everything the build and the tests need, on a fresh Debian 12
# (bookworm) or Debian 13 (trixie) machine. Safe to run again: it only
# installs what is missing. On a release it does not know it names the
# packages it needs and stops, before apt-get fails on the first unknown name.
#
# The package archive is taken as it is. An archive in the middle of an update
# fails `apt-get update` on one index: apt retries, and when it still fails the
# install goes on from the lists that were fetched. The 32-bit Wine
# (wine32:i386) is installed on its own: when the archive cannot give it (its
# i386 libraries a version behind their amd64 twins, say), everything else is
# installed, one line says why, and the Wine tiers take the win64 mode, as on a
# machine that cannot run 32-bit programs. A package the project cannot do
# without that cannot be installed is named, with the archive as the cause,
# and the command exits 1.
set -euo pipefail

# The same names on every release: none carries a version where a version-less
# name serves (libclang-rt-dev is the runtime of whichever clang the release has).
common=(cmake ninja-build g++ clang libclang-rt-dev googletest libgtest-dev libgmock-dev
        libbenchmark-dev g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
        g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        msitools wixl wine wine64 python3 python3-pefile osslsigncode openssl
        git unzip)
# The one package the project can do without: the win64 mode serves without it.
wine32=wine32:i386
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
  echo "  ${common[*]} $wine32" >&2
  exit 1
fi
# shellcheck disable=SC2206  # the table's entries are lists of names
wanted=("${common[@]}" ${by_release[$release]})

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# apt's reason in one line: its first error or unmet dependency, shortened.
reason() {
  local line
  line=$(grep -m1 -E '^E: |Depends: |^ *[^ ]+ : ' <<<"$1" || true)
  [ -n "$line" ] || line=$(grep -v '^[[:space:]]*$' <<<"$1" | tail -1)
  line=$(sed -E 's/^[[:space:]]+//; s/[[:space:]]+/ /g' <<<"$line")
  [ ${#line} -le 160 ] || line="${line:0:157}..."
  echo "$line"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

need=()
for p in "${wanted[@]}"; do
  have "$p" || need+=("$p")
done
have "$wine32" && need32=() || need32=("$wine32")
[ ${#need[@]} -gt 0 ] || [ ${#need32[@]} -gt 0 ] || exit 0

export DEBIAN_FRONTEND=noninteractive
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
apt=($SUDO apt-get -q -o Acquire::Retries=3)

if ! out=$("${apt[@]}" update 2>&1); then
  echo "install-deps: apt-get update failed, three tries: $(reason "$out")" >&2
  echo "install-deps: going on with the package lists that were fetched." >&2
fi

if [ ${#need[@]} -gt 0 ]; then
  if ! out=$("${apt[@]}" install -y --no-install-recommends "${need[@]}" 2>&1); then
    # Name each package the archive cannot give.
    missing=()
    for p in "${need[@]}"; do
      "${apt[@]}" install -s --no-install-recommends "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    echo "$out" | tail -15 >&2
    echo "install-deps: this machine's package archive cannot give ${missing[*]:-what is needed}" \
         "($(reason "$out")); the build and the tests need it. Try again when the archive has" \
         "finished its update, or point apt at another mirror." >&2
    exit 1
  fi
fi

if [ ${#need32[@]} -gt 0 ]; then
  if ! out=$("${apt[@]}" install -y --no-install-recommends "$wine32" 2>&1); then
    echo "install-deps: the 32-bit Wine ($wine32) cannot be installed from this package archive" \
         "($(reason "$out")); everything else is installed, and the Wine tiers run in the win64" \
         "mode, as on a machine that cannot run 32-bit programs." >&2
  fi
fi
exit 0
