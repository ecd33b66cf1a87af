# The meaning of each exit code of Setup.exe, for scripts that print them.
# Usage: meaning 0x80020643
meaning() {
  local code=$(( $1 ))
  case $code in
    0) echo "success" ;;
    1) echo "strict removal: nothing to uninstall, nothing started" ;;
    $((0x80010001))) echo "refused: 32-bit process on 64-bit Windows (WOW64)" ;;
    $((0x80010002))) echo "refused: unsupported platform (server, domain controller, or older than XP SP3)" ;;
    $((0x80010004))) echo "bad arguments (/x: value other than Strict, or no /PAT: value for an install)" ;;
    $((0x80010008))) echo "environment error (the platform could not be checked)" ;;
    $((0x80010020))) echo "removal failed (Uninstall key unreadable, or the uninstall could not be started)" ;;
    $((0x80020643))) echo "install not confirmed: HostID never appeared (or the installer failed with 1603)" ;;
    *)
      if (( (code & 0xFFFF0000) == 0x80020000 )); then
        echo "installer result $(( code & 0xFFFF )) and HostID never appeared"
      else
        echo "not a result of Setup.exe (the process ended abnormally)"
      fi ;;
  esac
}
