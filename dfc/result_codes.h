// ResultCode: the one 32-bit report of a run, returned by the entry and passed
// on unchanged as the process exit code.
//
//   0, 1          successes (1: a strict removal that started no uninstall)
//   0x8001xxxx    the program's own refusals and failures, one bit per cause
//   0x8002xxxx    an installer result in the low 16 bits
#pragma once

#include <cstdint>

using ResultCode = std::uint32_t;

// The one list of the codes and their meanings: the README's table and the
// scripts' meanings are checked against these lines (tests/docs).
constexpr ResultCode RESULT_SUCCESS = 0;  // success: the install was confirmed by HostID, or a removal was started (or found nothing, without /x:Strict)
constexpr ResultCode RESULT_STRICT_NOTHING_LAUNCHED = 1;  // strict removal: nothing was installed, nothing was started
constexpr ResultCode RESULT_WOW64 = 0x80010001;  // refused: a 32-bit process on 64-bit Windows
constexpr ResultCode RESULT_UNSUPPORTED_PLATFORM = 0x80010002;  // refused: a server or domain controller, or Windows older than XP SP3
constexpr ResultCode RESULT_BAD_ARGUMENTS = 0x80010004;  // bad arguments: a /x: value other than Strict, an install without a /PAT: value, or an argument msiexec would not accept
constexpr ResultCode RESULT_ENVIRONMENT_ERROR = 0x80010008;  // environment error: the platform could not be checked; nothing was done
constexpr ResultCode RESULT_REMOVAL_FAILED = 0x80010020;  // removal failed: the Uninstall key could not be read, or the uninstall could not be started
constexpr ResultCode RESULT_INSTALLER_BASE = 0x80020000;  // install not confirmed: the low 16 bits are the installer's exit code
constexpr ResultCode RESULT_NOT_CONFIRMED = 0x80020643;  // install not confirmed: the installer failed (1603), or it succeeded but HostID never appeared

// Whether `code` is one of the results above: any other exit code means the
// run ended abnormally.
constexpr bool IsResultCode(std::uint32_t code) {
  return code == RESULT_SUCCESS || code == RESULT_STRICT_NOTHING_LAUNCHED ||
         code == RESULT_WOW64 || code == RESULT_UNSUPPORTED_PLATFORM ||
         code == RESULT_BAD_ARGUMENTS || code == RESULT_ENVIRONMENT_ERROR ||
         code == RESULT_REMOVAL_FAILED || (code & 0xFFFF0000) == RESULT_INSTALLER_BASE;
}

// The installer code for a run whose installer (or its start) returned `r`.
constexpr ResultCode InstallerResult(std::uint32_t r) {
  return r == 0 ? RESULT_SUCCESS : (RESULT_INSTALLER_BASE | (r & 0xFFFF));
}
