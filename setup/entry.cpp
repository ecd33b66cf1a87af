#include "setup/entry.h"

#include "platform/error_mode.h"
#include "setup/gates.h"
#include "setup/installer_run.h"
#include "setup/translate.h"
#include "uninstall/uninstall_scanner.h"

ResultCode RunRemoval(const Translation& translation, UninstallScanner& scanner) {
  bool strict = translation.IsStrictRemoval();
  if (!scanner.ScanAndRemove()) return RESULT_REMOVAL_FAILED;
  return scanner.completedWithoutLaunch() && strict ? RESULT_STRICT_NOTHING_LAUNCHED
                                                    : RESULT_SUCCESS;
}

ResultCode SetupMain(int, char**) {
  // First no box from the system, here or in msiexec; then the library search.
  win::QuietStart();

  if (GateOutcome gate = Wow64Gate(); gate.code != RESULT_SUCCESS) return gate.code;
  bool runElevated = false;
  if (GateOutcome gate = EnvironmentGate(runElevated); gate.code != RESULT_SUCCESS) return gate.code;

  Translation translation;
  if (TranslateCommandLine(translation) != RESULT_SUCCESS) return RESULT_BAD_ARGUMENTS;

  // Only a removal switch chooses the removal road: never a PAT value, a log
  // or package path, nor a passed-through value that holds "/x" further in.
  if (translation.HasRemovalSwitch()) {
    UninstallScanner scanner(runElevated);
    return RunRemoval(translation, scanner);
  }
  return RunInstallation(translation);
}
