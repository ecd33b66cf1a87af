#include "setup/gates.h"

#include <memory>

#include "dfc/environment.h"
#include "platform/api.h"

// The unambiguous question first: IsWow64Process2 names the machine of a
// WOW64 process's image, or none ("IsWow64Process function": "Applications
// should use IsWow64Process2 instead of IsWow64Process to determine if a
// process is running under WOW", which answers FALSE for "a 32-bit application
// running under 64-bit Windows 10 on ARM"). Where KERNEL32 lacks it (before
// Windows 10 1511) or it fails, IsWow64Process; where that fails too, the
// platform could not be checked.
GateOutcome Wow64Gate() {
  win::HANDLE self = win::Sys().GetCurrentProcess();
  win::WORD processMachine = win::IMAGE_FILE_MACHINE_UNKNOWN;
  if (win::Sys().IsWow64Process2(self, &processMachine, nullptr)) {
    if (processMachine != win::IMAGE_FILE_MACHINE_UNKNOWN) return {RESULT_WOW64, GateReason::Wow64};
    return {};
  }
  win::BOOL wow64 = win::FALSE;
  if (!win::Sys().IsWow64Process(self, &wow64))
    return {RESULT_ENVIRONMENT_ERROR, GateReason::Wow64Unknown};
  if (wow64) return {RESULT_WOW64, GateReason::Wow64};
  return {};
}

GateOutcome EnvironmentGate(bool& runElevated, win::OSVERSIONINFOEXW* seen) {
  std::unique_ptr<DFC::DFCEnvironment> environment;
  try {
    environment = std::make_unique<DFC::DFCEnvironment>();
    const win::OSVERSIONINFOEXW& version = environment->osInfo().versionRecord();
    if (seen != nullptr) *seen = version;
    win::BYTE productType = version.wProductType;
    if (productType == win::VER_NT_SERVER) return {RESULT_UNSUPPORTED_PLATFORM, GateReason::Server};
    if (productType == win::VER_NT_DOMAIN_CONTROLLER)
      return {RESULT_UNSUPPORTED_PLATFORM, GateReason::DomainController};
    if (!environment->osInfo().IsSupportedVersion())
      return {RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion};
    runElevated =
        version.dwPlatformId == win::VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
  } catch (...) {
    // Whether the snapshot could not be built or a check failed on it, the
    // platform was never checked: nothing may be installed or removed.
    return {RESULT_ENVIRONMENT_ERROR, GateReason::NoSnapshot};
  }
  return {};
}
