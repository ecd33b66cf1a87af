#include "setup/entry.h"

#include <memory>

#include "dfc/environment.h"
#include "platform/api.h"
#include "platform/error_mode.h"
#include "setup/installer_run.h"
#include "setup/translate.h"
#include "uninstall/uninstall_scanner.h"

namespace {

// The first gate: a 32-bit process on 64-bit Windows is refused. The
// unambiguous question first: IsWow64Process2 names the machine of a WOW64
// process's image, or none ("IsWow64Process function": "Applications should
// use IsWow64Process2 instead of IsWow64Process to determine if a process is
// running under WOW", which answers FALSE for "a 32-bit application running
// under 64-bit Windows 10 on ARM"). Where KERNEL32 lacks it (before Windows 10
// 1511) or it fails, IsWow64Process; where that fails, the platform could not
// be checked.
ResultCode Wow64Gate() {
  win::HANDLE self = win::Sys().GetCurrentProcess();
  win::WORD processMachine = win::IMAGE_FILE_MACHINE_UNKNOWN;
  if (win::Sys().IsWow64Process2(self, &processMachine, nullptr))
    return processMachine != win::IMAGE_FILE_MACHINE_UNKNOWN ? RESULT_WOW64 : RESULT_SUCCESS;
  win::BOOL wow64 = win::FALSE;
  if (!win::Sys().IsWow64Process(self, &wow64)) return RESULT_ENVIRONMENT_ERROR;
  return wow64 ? RESULT_WOW64 : RESULT_SUCCESS;
}

// The gates on the environment snapshot. Answers RESULT_SUCCESS when the run
// may go on, with `runElevated` taken from the snapshot before it goes.
ResultCode CheckEnvironment(bool& runElevated) {
  std::unique_ptr<DFC::DFCEnvironment> environment;
  try {
    environment = std::make_unique<DFC::DFCEnvironment>();
    const win::OSVERSIONINFOEXW& version = environment->osInfo().versionRecord();
    win::BYTE productType = version.wProductType;
    if (productType == win::VER_NT_SERVER || productType == win::VER_NT_DOMAIN_CONTROLLER)
      return RESULT_UNSUPPORTED_PLATFORM;
    if (!environment->osInfo().IsSupportedVersion()) return RESULT_UNSUPPORTED_PLATFORM;
    runElevated =
        version.dwPlatformId == win::VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
  } catch (...) {
    // Whether the snapshot could not be built or a check failed on it, the
    // platform was never checked: nothing may be installed or removed.
    return RESULT_ENVIRONMENT_ERROR;
  }
  return RESULT_SUCCESS;
}

ResultCode RunRemoval(const Translation& translation, bool runElevated) {
  bool strict = translation.IsStrictRemoval();
  UninstallScanner scanner(runElevated);
  if (!scanner.ScanAndRemove()) return RESULT_REMOVAL_FAILED;
  return scanner.completedWithoutLaunch() && strict ? RESULT_STRICT_NOTHING_LAUNCHED
                                                    : RESULT_SUCCESS;
}

}  // namespace

ResultCode SetupMain(int, char**) {
  // First no box from the system, here or in msiexec; then the library search.
  win::QuietStart();

  if (ResultCode gate = Wow64Gate(); gate != RESULT_SUCCESS) return gate;

  bool runElevated = false;
  if (ResultCode gate = CheckEnvironment(runElevated); gate != RESULT_SUCCESS) return gate;

  Translation translation;
  if (TranslateCommandLine(translation) != RESULT_SUCCESS) return RESULT_BAD_ARGUMENTS;

  // Only a removal switch chooses the removal road: never a PAT value, a log
  // or package path, nor a passed-through value that holds "/x" further in.
  if (translation.HasRemovalSwitch()) return RunRemoval(translation, runElevated);
  return RunInstallation(translation);
}
