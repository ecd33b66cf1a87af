# Authenticode signing (SHA-256, with osslsigncode), sourced by the release and
# its test:
#   sign_exe FILE [DESCRIPTION]
#                   signs FILE in place with the certificate that
#                   PELLWORTH_SIGN_PFX names (password in PELLWORTH_SIGN_PASSWORD,
#                   handed over in a 0600 file, never on the command line),
#                   time-stamped by PELLWORTH_SIGN_TIMESTAMP_URL when it is set,
#                   else with SOURCE_DATE_EPOCH as the signing time (so a signed
#                   build is reproducible too). DESCRIPTION names the program in the
#                   signature ("Pellworth Setup" unless given).
sign_exe() {
  : "${PELLWORTH_SIGN_PASSWORD:?PELLWORTH_SIGN_PASSWORD must be set with PELLWORTH_SIGN_PFX}"
  local secret stamp=()
  secret=$(mktemp); chmod 600 "$secret"
  printf '%s' "$PELLWORTH_SIGN_PASSWORD" > "$secret"
  if [ -n "${PELLWORTH_SIGN_TIMESTAMP_URL:-}" ]; then
    stamp=(-ts "$PELLWORTH_SIGN_TIMESTAMP_URL")
  else
    stamp=(-time "${SOURCE_DATE_EPOCH:?}")   # no server: the signature is reproducible too
  fi
  osslsigncode sign -pkcs12 "$PELLWORTH_SIGN_PFX" -readpass "$secret" -h sha256 \
    -n "${2:-Pellworth Setup}" "${stamp[@]}" -in "$1" -out "$1.signed" >/dev/null || { rm -f "$secret"; return 1; }
  rm -f "$secret"
  mv "$1.signed" "$1"
}
