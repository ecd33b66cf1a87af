#include "uninstall/uninstall_scanner.h"

#include <algorithm>

#include "dfc/product.h"
#include "platform/api.h"
#include "platform/scoped_com.h"
#include "platform/system_directory.h"
#include "uninstall/registry_reader.h"
#include "uninstall/trace.h"

const win::WString kUninstallProgram = u"MsiExec.exe";
const win::WString kUninstallKeyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

namespace {

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

    switch (RemoveMatchingEntry(name)) {
      case Removal::PassOver: break;
      case Removal::Finished: return true;
      case Removal::Failed: return false;
    }
  }
  completedWithoutLaunch_ = true;
  return true;
}

UninstallScanner::Removal UninstallScanner::RemoveMatchingEntry(const win::WString& subkeyName) {
  if (forceDelete_) {
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
  win::WString program = kUninstallProgram;
  win::WString parameters = u" /x" + subkeyName + UiSwitch(uiLevel_);
  Trace(0, u"Execute string is  : " + program);
  Trace(0, u"Argument string is : " + parameters);
  // Started by its full path in the system folder, never by bare name; when
  // that folder is unknown the start counts as refused.
  win::WString path = win::SystemFilePath(program);
  bool started = false;
  win::DWORD error = 0;  // no system folder: nothing was started, no reason to give
  if (!path.empty()) {
    // Not waited for, and with no error box when the start fails: one would
    // hold the run until somebody closes it, and in session 0 nobody can.
    // The elevation's consent is no error box: "runas" still asks for it; no
    // verb at all is the default one. The start completes before the call
    // returns (this program has no message loop and ends right after it).
    // Its answer is the BOOL: hInstApp means nothing without a process handle.
    win::SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = win::SEE_MASK_FLAG_NO_UI | win::SEE_MASK_NOASYNC;
    info.lpVerb = runElevated_ ? u"runas" : nullptr;
    info.lpFile = path.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = win::SW_SHOWNORMAL;
    // COM before the start, as the shell asks ("runas" is a verb the shell
    // may hand to an extension); without it nothing is started.
    win::ScopedCom com;
    if (!com.Ready()) {
      error = static_cast<win::DWORD>(com.Result());
    } else {
      started = win::Sys().ShellExecuteExW(&info) != win::FALSE;
      if (!started) error = win::Sys().GetLastError();
    }
  }
  // The status is the reason a start failed (1223 when consent was refused), 0 for a start.
  Trace(started ? 0 : static_cast<win::LONG>(error), u"Execute uninstall");
  return started ? Removal::Finished : Removal::Failed;
}
