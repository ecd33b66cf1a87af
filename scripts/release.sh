#!/usr/bin/env bash
# The release: builds Setup.exe, CheckPackage.exe and CheckSetup.exe in a
# clean tree, signs them when a certificate is given, and writes
#   dist/pellworth-setup-<version>.zip   Setup.exe, CheckPackage.exe, CheckSetup.exe, README.md
#                                        (the administrator's and the packager's guide), CHANGELOG.md
#   dist/Setup.exe, dist/CheckPackage.exe, dist/CheckSetup.exe  the programs the zip holds
#   dist/TOOLCHAIN                       what built them: the Debian release, and the
#                                        versions of the mingw-w64 compiler, binutils and wixl
#   dist/SHA256SUMS                      all of the above, each lying beside it
# Rebuilding the same commit with the same toolchain gives the same bytes:
# nothing in the build depends on the time or the folder, and the zip's times
# are the commit's.
#
# Signing (Authenticode, SHA-256, with osslsigncode):
#   PELLWORTH_SIGN_PFX            a PKCS#12 file with the certificate and its key
#   PELLWORTH_SIGN_PASSWORD       its password
#   PELLWORTH_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamp server
# Unset, the release is unsigned and says so.
# PELLWORTH_RELEASE_REUSE_BUILD=1 packs (and signs) the programs of the last
# release build in build/release instead of building them again.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/steps.sh
source scripts/folder-check.sh
folder_check
steps_begin release build/release-logs
[ -n "${PELLWORTH_SKIP_DEPS:-}" ] || step_shown install bash scripts/install-deps.sh

# One time for everything that carries one: the commit's, unless given.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH

if [ -z "${PELLWORTH_RELEASE_REUSE_BUILD:-}" ] || [ ! -f build/release/bin/Setup.exe ]; then
  rm -rf build/release
  step configure cmake --preset release
  step build cmake --build --preset release
fi
version=$(sed -nE 's/^#define PELLWORTH_VERSION_TEXT "(.*)"$/\1/p' build/release/generated/version.h)
exe=build/release/bin/Setup.exe
checker=build/release/bin/CheckPackage.exe
setup_checker=build/release/bin/CheckSetup.exe

signed=""
if [ -n "${PELLWORTH_SIGN_PFX:-}" ]; then
  source scripts/sign.sh
  sign_exe "$exe"
  sign_exe "$checker" "Pellworth package check"
  sign_exe "$setup_checker" "Pellworth setup check"
  signed=--signed
fi
# The check refuses any image but the 32-bit one: the x86-64 build is for tests only.
step check-setup /usr/bin/python3 tests/binary/check_setup_exe.py "$exe" \
  tests/binary/xp_sp3_imports.txt "$version" $signed
step check-checkpackage /usr/bin/python3 tests/binary/check_setup_exe.py "$checker" \
  tests/binary/xp_sp3_imports.txt "$version" $signed --as-invoker
step check-checksetup /usr/bin/python3 tests/binary/check_setup_exe.py "$setup_checker" \
  tests/binary/xp_sp3_imports.txt "$version" $signed --as-invoker

rm -rf dist; mkdir -p dist
zip=dist/pellworth-setup-$version.zip
# The zip's README.md is what its reader needs: the administrator's guide, then
# the packager's (NAME=FILE,FILE... names a member made of those files).
/usr/bin/python3 - "$zip" "$SOURCE_DATE_EPOCH" "$exe" "$checker" "$setup_checker" \
  README.md=docs/administrators-guide.md,docs/packagers-guide.md CHANGELOG.md <<'PY'
import sys, time, zipfile
out, epoch, members = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
stamp = time.gmtime(max(epoch, 315532800))[:6]  # a zip cannot hold a time before 1980
with zipfile.ZipFile(out, "w") as archive:
    for member in members:
        name, _, paths = member.rpartition("=")
        paths = paths.split(",")
        info = zipfile.ZipInfo(name or paths[0].rsplit("/", 1)[-1], date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        info.create_system = 3
        data = b"\n".join(open(path, "rb").read() for path in paths)
        archive.writestr(info, data, compresslevel=9)
PY
cp "$exe" "$checker" "$setup_checker" dist/
# The toolchain, as Debian's own build records name it: the same bytes come
# only from the same versions.
{
  echo "Source: pellworth-setup $version"
  echo "Build-Origin: $( . /etc/os-release && echo "$PRETTY_NAME")"
  echo "Installed-Build-Depends:"
  for p in g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev wixl; do
    echo " $p (= $(dpkg-query -W -f='${Version}' "$p" 2>/dev/null || echo unknown))"
  done
  echo "Compiler: $(i686-w64-mingw32-g++-win32 --version | head -1)"
} > dist/TOOLCHAIN
(cd dist && sha256sum "$(basename "$zip")" Setup.exe CheckPackage.exe CheckSetup.exe TOOLCHAIN > SHA256SUMS)

echo "release $version: $zip"
cat dist/SHA256SUMS
sed -n 's/^Build-Origin: /built on /p' dist/TOOLCHAIN
if [ -n "$signed" ]; then
  echo "Setup.exe, CheckPackage.exe and CheckSetup.exe are signed (Authenticode, SHA-256)."
else
  echo "Setup.exe, CheckPackage.exe and CheckSetup.exe are NOT signed: set PELLWORTH_SIGN_PFX and PELLWORTH_SIGN_PASSWORD to sign them."
fi
