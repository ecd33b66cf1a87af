#include "check_setup/setup_check.h"

#include "setup/entry.h"
#include "setup/installer_run.h"
#include "setup/translate.h"

namespace check_setup {

namespace {

void CheckRemoval(SetupCheck& check, const Translation& translation, bool runElevated) {
  check.road = translation.IsStrictRemoval() ? Road::StrictRemoval : Road::Removal;
  check.roadPosition = translation.IsStrictRemoval() ? translation.StrictRemovalPosition()
                                                     : translation.RemovalSwitchPosition();
  UninstallScanner scanner(runElevated);
  scanner.setDryRun(true);
  check.code = RunRemoval(translation, scanner);
  check.scanned = check.code != RESULT_REMOVAL_FAILED;
  check.matches = scanner.matches();
  check.start = scanner.plannedStart();
  check.starts = check.scanned && !scanner.completedWithoutLaunch();
  check.strictCode = !check.scanned ? RESULT_REMOVAL_FAILED
                     : check.starts ? RESULT_SUCCESS
                                    : RESULT_STRICT_NOTHING_LAUNCHED;
}

void CheckInstall(SetupCheck& check, Translation& translation) {
  check.road = Road::Install;
  check.code = PrepareInstallation(translation, check.program);
  if (check.code != RESULT_SUCCESS) {
    check.refusal = translation.refusal;
    return;
  }
  check.line = translation.installerArguments.Text();
  check.starts = true;
  check.hostIdPresent = HostIdPresent();
}

}  // namespace

SetupCheck CheckSetup() {
  SetupCheck check;
  check.wow64 = Wow64Gate();
  if ((check.code = check.wow64.code) != RESULT_SUCCESS) return check;
  bool runElevated = false;
  check.environmentAsked = true;
  check.environment = EnvironmentGate(runElevated, &check.version);
  if ((check.code = check.environment.code) != RESULT_SUCCESS) return check;

  check.arguments = CommandLineArguments();
  Translation translation;
  if ((check.code = TranslateArguments(check.arguments, translation)) != RESULT_SUCCESS) {
    check.refusal = translation.refusal;
    return check;
  }
  // The road as Setup.exe chooses it: a removal switch alone removes.
  if (translation.HasRemovalSwitch()) {
    CheckRemoval(check, translation, runElevated);
  } else {
    CheckInstall(check, translation);
  }
  return check;
}

}  // namespace check_setup
