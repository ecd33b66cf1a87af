#include "setup/installer_run.h"

#include "platform/api.h"
#include "platform/scoped_handle.h"
#include "platform/start_program.h"
#include "platform/system_directory.h"
#include "setup/installer_arguments.h"
#include "uninstall/registry_reader.h"

const win::WString kInstallerProgram = u"msiexec.exe";

namespace {
const win::WString kDefaultPackagePiece = u" /i Setup.msi ";
const win::WString kReinstallPiece = u"  REINSTALL=ALL REINSTALLMODE=vomus";
const win::WString kQuietPiece = u" /quiet";

ResultCode Refuse(Translation& translation, const Refusal& refusal) {
  translation.refusal = refusal;
  return RESULT_BAD_ARGUMENTS;
}
}  // namespace

ResultCode CompleteInstallerArguments(Translation& translation) {
  if (translation.patValue.empty()) {
    int at = translation.patPosition;
    return Refuse(translation, {Rule::NoPat, at, at == 0 ? win::WString() : u"/PAT:"});
  }
  // An argument msiexec would answer with its usage window or a box at the
  // end: the run would never end, so nothing is started.
  Refusal refusal = InstallerRefusal(translation.installerArguments.Arguments());
  if (refusal.rule != Rule::None) return Refuse(translation, refusal);

  InstallerCommandLine& arguments = translation.installerArguments;
  if (translation.packageArgument.Text().empty()) {
    arguments.AddFixed(kDefaultPackagePiece);
  } else {
    arguments.Append(translation.packageArgument);
  }
  // The same test as the road's: only a removal switch leaves them out, never
  // a path or value written with forward slashes.
  if (!translation.HasRemovalSwitch()) arguments.AddFixed(kReinstallPiece);
  arguments.AddFixed(kQuietPiece);
  // An argument msiexec would split otherwise than meant (a quotation mark
  // left by the platform's split: it could swallow the package piece), or an
  // empty package or log path.
  return arguments.Writable() ? RESULT_SUCCESS : Refuse(translation, arguments.Unwritable());
}

bool HostIdPresent() {
  win::WString ignored;
  win::LONG status =
      ReadRegistryString(win::HKeyLocalMachine(), kHostIdKeyPath, kHostIdValueName, ignored);
  // A value too long for the reader's buffer exists all the same.
  return status == win::ERROR_SUCCESS || status == win::ERROR_MORE_DATA;
}

ResultCode PrepareInstallation(Translation& translation, win::WString& program) {
  if (ResultCode refused = CompleteInstallerArguments(translation); refused != RESULT_SUCCESS)
    return refused;

  // Started by its full path in the system folder: a bare name would let a
  // planted msiexec.exe beside this program run with its elevation.
  program = win::SystemFilePath(kInstallerProgram);
  // A line the platform cannot take would fail the start on every attempt.
  if (!program.empty() && !win::CommandLineFits(program, translation.installerArguments.Text()))
    return Refuse(translation, {Rule::TooLong, 0, {}});
  return RESULT_SUCCESS;
}

ResultCode RunInstallation(Translation& translation) {
  win::WString program;
  if (ResultCode refused = PrepareInstallation(translation, program); refused != RESULT_SUCCESS)
    return refused;
  win::DWORD run = RunAndWait(translation.installerArguments.Text(), program);
  ResultCode result = InstallerResult(run);

  for (int attempt = 0; attempt < HOSTID_POLL_ATTEMPTS; ++attempt) {
    if (HostIdPresent()) return RESULT_SUCCESS;
    win::Sys().Sleep(HOSTID_POLL_INTERVAL_MS);
  }
  return result == RESULT_SUCCESS ? RESULT_NOT_CONFIRMED : result;
}

win::DWORD RunAndWait(const win::WString& arguments, const win::WString& program) {
  win::ScopedProcessHandle process;
  try {
    // Hidden, with the default verb: the install asks for no elevation of its own.
    if (!win::StartProgram({program, arguments, nullptr, win::SW_HIDE, &process}).started)
      return RUN_START_FAILED;
    if (!process.IsValid()) return RUN_NO_PROCESS;
    // The start's apartment has ended: this wait without a time-out holds none.
    if (win::Sys().WaitForSingleObject(process.Get(), win::INFINITE) == win::WAIT_FAILED)
      return RUN_WAIT_FAILED;
    win::DWORD exitCode = 0;
    if (!win::Sys().GetExitCodeProcess(process.Get(), &exitCode)) return RUN_NO_EXIT_CODE;
    return exitCode;
  } catch (...) {
    return RUN_UNEXPECTED;  // the holder closes the handle
  }
}
