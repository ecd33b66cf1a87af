#!/usr/bin/env bash
# The README's two commands as a new user runs them on a fresh machine:
#
#   bash scripts/clean-room.sh bookworm|trixie [demo] [test]
#
# makes a fresh minimal root of that Debian release with Debian's own tool
# (mmdebstrap, installed here when missing), puts a clean clone of the
# committed tree, with ../shared beside it, into a folder whose path holds
# blanks, a quote, shell characters, brackets and a letter beyond ASCII, and
# runs there, as root and in the C locale, the commands named (both unless
# told): "demo" (bash scripts/demo.sh) and "test" (bash scripts/test.sh).
# Everything either command needs must come from the project's own scripts:
# the root has nothing but Debian's minimal base.
# PELLWORTH_CLEAN_ROOM_NO_WINE32=1 makes a root whose archive cannot give the
# 32-bit Wine (an apt preference pins wine32:i386 to -1), as an archive in the
# middle of an update cannot: the commands then show the win64 mode's fallback.
# Prints each command's output, then its result and time, and a last line
#   clean room RELEASE: demo 0 (151 s), test 0 (1030 s)
# preceded, for the test command, by its own closing "total: ..." line.
# Exit: 0 when every command passed, 1 when one failed or the root could not
# be made (with mmdebstrap's last lines), 77 when the release file cannot be
# fetched from the package archive (nothing was tested), 2 for a wrong call.
# The mounts and the root are removed on every exit, also after a failure or
# an interrupt. PELLWORTH_CLEAN_ROOM_DIR names where the root is made
# (default: a fresh folder in /var/tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
project=$PWD

usage() { echo "usage: bash scripts/clean-room.sh bookworm|trixie [demo] [test]" >&2; exit 2; }
release=${1:-}
case "$release" in bookworm|trixie) ;; *) usage ;; esac
shift
commands=("$@")
[ ${#commands[@]} -gt 0 ] || commands=(demo test)
for c in "${commands[@]}"; do case "$c" in demo|test) ;; *) usage ;; esac; done
[ "$(id -u)" -eq 0 ] || { echo "clean-room: needs root (mmdebstrap, chroot and mounts)" >&2; exit 2; }
# Everything runs in a mount namespace of its own: no mount made here reaches
# the machine, and none outlives the script, however it ends.
if [ -z "${PELLWORTH_CLEAN_ROOM_NS:-}" ]; then
  PELLWORTH_CLEAN_ROOM_NS=1 exec unshare --mount --propagation private -- bash "$0" "$release" "${commands[@]}"
fi

# The archive this machine's apt uses (its first Debian entry), else the tool's default.
mirror=$(sed -nE 's/^URIs:[[:space:]]*([^[:space:]]+\/debian)\/?$/\1/p' \
           /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1 || true)
[ -n "$mirror" ] || mirror=$(sed -nE 's/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+\/debian)\/?[[:space:]].*/\2/p' \
                              /etc/apt/sources.list 2>/dev/null | head -1 || true)

source scripts/steps.sh
steps_begin "clean room $release" "$(mktemp -d /tmp/pellworth-clean-room-logs-XXXXXX)"
probe=$(mktemp)
if ! timeout 60 /usr/lib/apt/apt-helper download-file "${mirror:-http://deb.debian.org/debian}/dists/$release/InRelease" \
       "$probe" >/dev/null 2>&1; then
  rm -f "$probe"
  echo "clean room $release: skipped: the package archive cannot be reached (no answer for" \
       "$release's release file); nothing was tested"
  exit 77
fi
rm -f "$probe"
install_mmdebstrap() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends mmdebstrap ||
    { apt-get update -q -o Acquire::Retries=3 || true
      apt-get install -y -q --no-install-recommends mmdebstrap; }
}
command -v mmdebstrap >/dev/null || step mmdebstrap-install install_mmdebstrap

base=${PELLWORTH_CLEAN_ROOM_DIR:-/var/tmp}
root=$(mktemp -d "$base/pellworth-clean-room-$release-XXXXXX")
mounted=()
cleanup() {
  local rc=$? m i
  trap - EXIT INT TERM
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    m=${mounted[i]}
    umount -R "$m" 2>/dev/null || umount -R -l "$m" 2>/dev/null || true
  done
  # Never remove through a mount that is still there.
  if grep -qF " $root/" /proc/mounts; then
    echo "clean room $release: $root still has mounts; left in place" >&2
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "clean room $release: making a minimal root in $root"
started=$SECONDS
step root mmdebstrap --mode=root --variant=minbase --quiet "$release" "$root" ${mirror:+"$mirror"} || exit 1
echo "clean room $release: root made in $((SECONDS - started)) s"
if [ -n "${PELLWORTH_CLEAN_ROOM_NO_WINE32:-}" ]; then
  printf 'Package: wine32:i386\nPin: version *\nPin-Priority: -1\n' > "$root/etc/apt/preferences.d/no-wine32"
  echo "clean room $release: its archive cannot give the 32-bit Wine (wine32:i386 pinned to -1)"
fi

bind() {  # bind proc|DIRECTORY PATH: a fresh proc, or DIRECTORY with all below it
  mkdir -p "$root$2"
  if [ "$1" = proc ]; then mount -t proc proc "$root$2"; else mount --rbind "$1" "$root$2"; fi
  mounted+=("$root$2")
}
bind proc /proc
bind /sys /sys
bind /dev /dev   # with /dev/pts and /dev/shm

# A folder as users' folders may be named: blanks, a quote, characters a shell
# takes for its own (brackets among them), and a letter beyond ASCII.
folder="/home/Pat's Prüfung & Test (\$1) !% [x]"
mkdir -p "$root$folder"
git clone --quiet --no-hardlinks "$project" "$root$folder/p"
if [ -d "$project/../shared" ]; then
  cp -r "$project/../shared" "$root$folder/shared"
fi

results=()
status=0
for c in "${commands[@]}"; do
  echo
  echo "clean room $release: bash scripts/$c.sh in '$folder/p'"
  started=$SECONDS
  set +e
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    ${http_proxy:+http_proxy="$http_proxy"} \
    bash -c 'cd "$1" && bash "scripts/$2.sh"' clean-room "$folder/p" "$c" 2>&1 | tee "$root/$c.log"
  rc=${PIPESTATUS[0]}
  set -e
  results+=("$c $rc ($((SECONDS - started)) s)")
  [ "$rc" -eq 0 ] || status=1
done

echo
if [ -f "$root/test.log" ]; then
  { grep -E '^total: ' "$root/test.log" || true; } | tail -1 | sed "s/^/clean room $release /"
fi
line="clean room $release:"
for r in "${results[@]}"; do line+=" ${r%% *} ${r#* },"; done
echo "${line%,}"
exit "$status"
