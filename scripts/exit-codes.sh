# The meaning of each exit code of Setup.exe, for scripts that print them,
# read from the one list of codes in dfc/result_codes.h.
# Usage: meaning 0x80020643
#        check_meaning 1     (CheckPackage.exe's, from check/exit_codes.h)
meaning() {
  local code=$(( $1 )) header
  header="$(dirname "${BASH_SOURCE[0]}")/../dfc/result_codes.h"
  local name value text base_text=""
  while IFS=$'\t' read -r name value text; do
    [ "$name" = RESULT_INSTALLER_BASE ] && { base_text=$text; continue; }
    if (( code == value )); then echo "$text"; return; fi
  done < <(sed -nE 's|^  X\((RESULT_[A-Z0-9_]+), (0x[0-9A-Fa-f]+\|[0-9]+)\) /\* (.*) \*/( \\)?$|\1\t\2\t\3|p' "$header")
  if (( (code & 0xFFFF0000) == 0x80020000 )); then
    echo "$base_text ($(( code & 0xFFFF )))"
  else
    echo "not a result of Setup.exe (the process ended abnormally)"
  fi
}

check_meaning() {
  local code=$(( $1 )) header name value text
  header="$(dirname "${BASH_SOURCE[0]}")/../check/exit_codes.h"
  while IFS=$'\t' read -r name value text; do
    if (( code == value )); then echo "$text"; return; fi
  done < <(sed -nE 's|^constexpr int (CHECK_[A-Z_]+) = ([0-9]+); +// (.*)$|\1\t\2\t\3|p' "$header")
  echo "not a result of CheckPackage.exe (the process ended abnormally)"
}
