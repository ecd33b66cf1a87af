#include "uninstall/uninstall_scanner.h"

#include <algorithm>

#include "dfc/product.h"
#include "platform/api.h"
#include "platform/start_program.h"
#include "platform/system_directory.h"
#include "uninstall/registry_reader.h"
#include "uninstall/trace.h"

const win::WString kUninstallProgram = u"MsiExec.exe";
const win::WString kUninstallKeyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

// Every removal line ends with it: msiexec with no restart option restarts
// the machine by itself whenever the package needs it, at any UI level
// ("Standard Installer Command-Line Options", /quiet), and nobody would be
// asked. ReallySuppress suppresses "all restarts and restart prompts initiated
// by ForceReboot during the installation" and at its end ("REBOOT property");
// /norestart is documented only for the restart after it.
const win::WString kNoRestartPiece = u" REBOOT=ReallySuppress";

const char16_t* UiSwitch(win::LONG level) {
  switch (level) {
    case 1: return u" /qn";
    case 2: return u" /qn+";
    case 3: return u" /qb";
    case 4: return u" /qb+";
    case 5: return u" /qf";
    default: return u"";
  }
}
}  // namespace

UninstallScanner::UninstallScanner(bool runElevated)
    : productName_(DFC::kProductDisplayName),
      uninstallKeyPath_(kUninstallKeyPath),
      runElevated_(runElevated) {}

void UninstallScanner::Trace(win::LONG status, const win::WString& message) const {
  if (traceEnabled_) WriteTrace(status, message);
}

bool UninstallScanner::ScanAndRemove() {
  completedWithoutLaunch_ = false;
  matches_.clear();
  start_ = UninstallStart();
  bool taken = false;  // by a dry scan, which goes on listing
  win::LONG status = win::Sys().RegOpenKeyExW(win::HKeyLocalMachine(), uninstallKeyPath_.c_str(),
                                              0, win::KEY_READ, uninstallKey_.Receive());
  if (status != win::ERROR_SUCCESS) {
    Trace(status, u"fail in RegOpenKeyEx()");
    Trace(0, u"regHive : " + uninstallKeyPath_);
    return false;
  }
  win::DWORD subkeys = 0;
  status = win::Sys().RegQueryInfoKeyW(uninstallKey_.Get(), nullptr, nullptr, nullptr, &subkeys,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
  if (status != win::ERROR_SUCCESS) {
    Trace(status, u"fail in RegQueryInfoKey()");
    return false;
  }

  win::WString displayName;
  win::WString uninstallString;
  for (win::DWORD index = 0; index < subkeys; ++index) {
    win::WString name(KEY_NAME_CHARS, u'\0');
    win::DWORD length = KEY_NAME_CHARS;
    if (win::Sys().RegEnumKeyExW(uninstallKey_.Get(), index, &name[0], &length, nullptr, nullptr,
                                 nullptr, nullptr) != win::ERROR_SUCCESS)
      continue;  // vanished since it was counted
    name.resize(std::min(length, KEY_NAME_CHARS));

    if (ReadRegistryString(uninstallKey_.Get(), name, u"DisplayName", displayName) !=
        win::ERROR_SUCCESS)
      continue;
    // Only traced: an entry without an UninstallString is still a candidate.
    static_cast<void>(
        ReadRegistryString(uninstallKey_.Get(), name, u"UninstallString", uninstallString));
    Trace(0, u"-------------------------------------------------------");
    Trace(0, u"DisplayName     : " + displayName);
    Trace(0, u"UninstallString : " + uninstallString);
    if (displayName != productName_) continue;
    matches_.push_back({name, IsProductCodeForm(name), false});
    if (taken) continue;

    switch (RemoveMatchingEntry(name)) {
      case Removal::PassOver: break;
      case Removal::Finished:
        matches_.back().taken = true;
        if (!dryRun_) return true;
        taken = true;
        break;
      case Removal::Failed: return false;
    }
  }
  completedWithoutLaunch_ = !taken || start_.parameters.empty();
  return true;
}

UninstallScanner::Removal UninstallScanner::RemoveMatchingEntry(const win::WString& subkeyName) {
  if (forceDelete_) {
    if (dryRun_) return Removal::Finished;
    Trace(0, u"Force delete registry");
    win::LONG status = win::Sys().RegDeleteKeyW(uninstallKey_.Get(), subkeyName.c_str());
    if (status != win::ERROR_SUCCESS) {
      Trace(status, u"fail in RegDeleteKeyEx()");
      return Removal::Failed;
    }
    completedWithoutLaunch_ = true;
    return Removal::Finished;
  }

  if (!IsProductCodeForm(subkeyName)) return Removal::PassOver;
  win::WString parameters = u" /x" + subkeyName + UiSwitch(uiLevel_) + kNoRestartPiece;
  Trace(0, u"Execute string is  : " + kUninstallProgram);
  Trace(0, u"Argument string is : " + parameters);
  // Started by its full path in the system folder, never by bare name (an
  // unknown folder starts nothing, with no reason to give), and not waited
  // for. The elevation's consent is no error box: "runas" still asks for it;
  // no verb at all is the default one.
  start_ = {win::SystemFilePath(kUninstallProgram), parameters, runElevated_ ? u"runas" : nullptr};
  // A dry scan answers as the start would where it can tell: with no system
  // folder, nothing can be started.
  if (dryRun_) return start_.program.empty() ? Removal::Failed : Removal::Finished;
  win::StartOutcome start = win::StartProgram({start_.program, start_.parameters, start_.verb,
                                               win::SW_SHOWNORMAL, nullptr});
  // The status is the reason a start failed (1223 when consent was refused), 0 for a start.
  Trace(start.started ? 0 : static_cast<win::LONG>(start.error), u"Execute uninstall");
  return start.started ? Removal::Finished : Removal::Failed;
}
