// ResultCode: the one 32-bit report of a run, returned by the entry and passed
// on unchanged as the process exit code.
//
//   0, 1          successes (1: a strict removal that started no uninstall)
//   0x8001xxxx    the program's own refusals and failures, one bit per cause
//   0x8002xxxx    an installer result in the low 16 bits
#pragma once

#include <cstdint>

using ResultCode = std::uint32_t;

// The one list of the codes and their meanings: the administrator's guide's
// exit-code table and the scripts' meanings are checked against these lines
// (tests/docs/check_exit_codes.py, scripts/exit-codes.sh read them), and the
// constants and IsResultCode below are made from them.
#define PELLWORTH_RESULT_CODES(X) \
  X(RESULT_SUCCESS, 0) /* success: the install was confirmed by HostID, or a removal was started (or found nothing, without /x:Strict) */ \
  X(RESULT_STRICT_NOTHING_LAUNCHED, 1) /* strict removal: nothing was installed, nothing was started */ \
  X(RESULT_WOW64, 0x80010001) /* refused: a 32-bit process on 64-bit Windows */ \
  X(RESULT_UNSUPPORTED_PLATFORM, 0x80010002) /* refused: a server or domain controller, or Windows older than XP SP3 */ \
  X(RESULT_BAD_ARGUMENTS, 0x80010004) /* bad arguments: a /x: value other than Strict, an install without a /PAT: value, or an argument or line msiexec would not accept or could not be started with */ \
  X(RESULT_ENVIRONMENT_ERROR, 0x80010008) /* environment error: the platform could not be checked; nothing was done */ \
  X(RESULT_REMOVAL_FAILED, 0x80010020) /* removal failed: the Uninstall key could not be read, or the uninstall could not be started */ \
  X(RESULT_INSTALLER_BASE, 0x80020000) /* install not confirmed: the low 16 bits are the installer's exit code */ \
  X(RESULT_NOT_CONFIRMED, 0x80020643) /* install not confirmed: the installer failed (1603), or it succeeded but HostID never appeared */

#define PELLWORTH_RESULT_CONSTANT(name, value) constexpr ResultCode name = value;
PELLWORTH_RESULT_CODES(PELLWORTH_RESULT_CONSTANT)
#undef PELLWORTH_RESULT_CONSTANT

// Whether `code` is one of the results above: any other exit code means the
// run ended abnormally. The installer's base stands for every code of its high
// half.
constexpr bool IsResultCode(std::uint32_t code) {
  constexpr ResultCode codes[] = {
#define PELLWORTH_RESULT_VALUE(name, value) name,
      PELLWORTH_RESULT_CODES(PELLWORTH_RESULT_VALUE)
#undef PELLWORTH_RESULT_VALUE
  };
  for (ResultCode listed : codes)
    if (code == listed || (listed == RESULT_INSTALLER_BASE && (code & 0xFFFF0000) == listed))
      return true;
  return false;
}

// The installer code for a run whose installer (or its start) returned `r`.
constexpr ResultCode InstallerResult(std::uint32_t r) {
  return r == 0 ? RESULT_SUCCESS : (RESULT_INSTALLER_BASE | (r & 0xFFFF));
}
