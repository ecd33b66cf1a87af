#!/usr/bin/env bash
# The release, as a deployer would check it:
#  1. two release builds from two folders give the same Setup.exe,
#     CheckPackage.exe, CheckSetup.exe and zip, which holds the three programs,
#     matching SHA256SUMS;
#  2. with a throw-away self-signed certificate the programs are signed, the
#     signatures verify, and the signed Setup.exe installs and removes the
#     demo package under Wine (on a host that cannot run 32-bit programs, the
#     x86-64 test build signed the same way, with its own package);
#  3. the release's check refuses any image but the 32-bit one.
# Usage: release_test.sh SOURCE_DIR PACKAGES I686_BIN X86_64_BIN
#   PACKAGES: the host build's package folder; *_BIN: the Windows builds' bin folders
set -euo pipefail
source_dir=$(cd "$1" && pwd) packages=$2 i686_bin=$3 x86_64_bin=$4
work=$(mktemp -d /tmp/pellworth-release-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The project's files (tracked, or new and not ignored) in a fresh folder.
copy() {
  mkdir -p "$2"
  (cd "$1" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$2")
}
epoch=$(git -C "$source_dir" log -1 --format=%ct)
for side in a b; do
  copy "$source_dir" "$work/$side/pellworth"
  (cd "$work/$side/pellworth" && SOURCE_DATE_EPOCH=$epoch PELLWORTH_SKIP_DEPS=1 \
     bash scripts/release.sh >"$work/$side.log") || { cat "$work/$side.log"; fail "release in $side"; }
done
a=$work/a/pellworth/dist b=$work/b/pellworth/dist
zip=$(cd "$a" && ls pellworth-setup-*.zip)
cmp "$a/$zip" "$b/$zip" || fail "the two release zips differ"
cmp "$a/SHA256SUMS" "$b/SHA256SUMS" || fail "the two SHA256SUMS differ"
for program in Setup.exe CheckPackage.exe CheckSetup.exe; do
  cmp "$work/a/pellworth/build/release/bin/$program" "$work/b/pellworth/build/release/bin/$program" ||
    fail "the two $program differ"
done
grep -q "NOT signed" "$work/a.log" || fail "an unsigned release does not say so"
(cd "$a" && unzip -q "$zip" -d x && [ "$(LC_ALL=C ls x | tr '\n' ' ')" = "CHANGELOG.md CheckPackage.exe CheckSetup.exe README.md Setup.exe " ]) ||
  fail "the zip holds $(ls "$a/x" | tr '\n' ' ')"
(cd "$a/x" && [ "$(sha256sum -c --ignore-missing ../SHA256SUMS | grep -c ': OK$')" = 3 ]) ||
  fail "Setup.exe, CheckPackage.exe and CheckSetup.exe in the zip do not all match SHA256SUMS"
(cd "$a" && sha256sum -c --quiet SHA256SUMS) || fail "sha256sum -c SHA256SUMS fails in dist as released"
[ "$(LC_ALL=C ls "$a" | grep -v '^x$' | tr '\n' ' ')" = "CheckPackage.exe CheckSetup.exe SHA256SUMS Setup.exe TOOLCHAIN $zip " ] ||
  fail "dist holds $(ls "$a" | tr '\n' ' ')"
grep -q "^Build-Origin: Debian" "$a/TOOLCHAIN" && grep -qE "^ g\+\+-mingw-w64-i686-win32 \(= [0-9]" "$a/TOOLCHAIN" ||
  fail "TOOLCHAIN does not name the release and the compiler: $(cat "$a/TOOLCHAIN")"
echo "reproducible: $zip, Setup.exe, CheckPackage.exe and CheckSetup.exe identical from two folders"

# A throw-away code-signing certificate.
key=$work/sign
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Pellworth test signing" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$key.key" -out "$key.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$key.key" -in "$key.pem" -passout pass:test-only -out "$key.pfx"
# The programs already built are signed, not built a third time.
(cd "$work/a/pellworth" && PELLWORTH_SIGN_PFX=$key.pfx PELLWORTH_SIGN_PASSWORD=test-only \
   SOURCE_DATE_EPOCH=$(date +%s) PELLWORTH_SKIP_DEPS=1 PELLWORTH_RELEASE_REUSE_BUILD=1 \
   bash scripts/release.sh >"$work/signed.log") ||
  { cat "$work/signed.log"; fail "signed release"; }
grep -q "are signed" "$work/signed.log" || fail "a signed release does not say so"
signed=$work/a/pellworth/build/release/bin/Setup.exe
for program in "$signed" "$work/a/pellworth/build/release/bin/CheckPackage.exe" \
               "$work/a/pellworth/build/release/bin/CheckSetup.exe"; do
  osslsigncode verify -CAfile "$key.pem" -in "$program" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "the signature of $program does not verify"; }
  grep -q "Pellworth test signing" "$work/verify.log" || fail "the signer is not the test certificate"
done
(cd "$work/a/pellworth/dist" && rm -rf x && unzip -q pellworth-setup-*.zip -d x && cd x &&
   [ "$(sha256sum -c --ignore-missing ../SHA256SUMS | grep -c ': OK$')" = 3 ]) ||
  fail "the signed programs in the zip do not match SHA256SUMS"
echo "signed: the three Authenticode signatures verify, and the zip carries the signed programs"

# Only the 32-bit image passes the release's check: the x86-64 one fails on
# what makes it x86-64 (the machine, the manifest), not on anything else.
version=$(sed -nE 's/^#define PELLWORTH_VERSION_TEXT "(.*)"$/\1/p' "$work/a/pellworth/build/release/generated/version.h")
refusal=$(/usr/bin/python3 "$source_dir/tests/binary/check_setup_exe.py" "$x86_64_bin/Setup.exe" \
            "$source_dir/tests/binary/xp_sp3_imports.txt" "$version") && fail "the release's check accepts the x86-64 image"
grep -q "FAIL: not a 32-bit x86 image" <<<"$refusal" || fail "the x86-64 image is not refused as such: $refusal"
echo "the release's check refuses the x86-64 image"

# The signed program still runs: install, then remove. In the x86-64 mode the
# x86-64 build is signed with the same certificate and run instead.
source "$source_dir/scripts/wine.sh"
wine_mode
if [ "$PELLWORTH_WINE_ARCH" = win64 ]; then
  signed=$work/Setup.exe
  cp "$x86_64_bin/Setup.exe" "$signed"
  (source "$source_dir/scripts/sign.sh" && PELLWORTH_SIGN_PFX=$key.pfx \
     PELLWORTH_SIGN_PASSWORD=test-only SOURCE_DATE_EPOCH=$epoch sign_exe "$signed") ||
    fail "signing the x86-64 build"
  osslsigncode verify -CAfile "$key.pem" -in "$signed" >/dev/null 2>&1 ||
    fail "the x86-64 build's signature does not verify"
fi
msi=$packages/$WINE_PACKAGES/pellworth-normal.msi
bin=$i686_bin; [ "$PELLWORTH_WINE_ARCH" = win64 ] && bin=$x86_64_bin
wine_prefix "$work/wine" "$bin"
trap 'wine_done; rm -rf "$work"' EXIT
drop=$(wine_path 'C:\d'); mkdir -p "$drop"
cp "$signed" "$msi" "$drop/"
wine_run 'C:\d' "C:\\d\\Setup.exe /i:C:\\d\\$(basename "$msi") /PAT:SIGNED-1" || fail "no exit code"
[ "$RUN_CODE" = 0x00000000 ] || fail "signed install gave $RUN_CODE"
wine_exec reg query 'HKLM\SOFTWARE\Orvel\TAVRELQ' /v HostID 2>/dev/null | grep -q SIGNED-1 ||
  fail "no HostID after the signed install"
wine_run 'C:\d' 'C:\d\Setup.exe /x' || fail "no exit code"
[ "$RUN_CODE" = 0x00000000 ] || fail "signed removal gave $RUN_CODE"
wine_wait
if wine_exec reg query 'HKLM\SOFTWARE\Orvel\TAVRELQ' /v HostID >/dev/null 2>&1; then
  fail "HostID is still there after the signed removal"
fi
echo "signed Setup.exe ($PELLWORTH_WINE_ARCH mode): install 0, removal 0, product gone"
echo "4 passed, 0 failed"
