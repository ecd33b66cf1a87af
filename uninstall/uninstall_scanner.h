// UninstallScanner: finds an earlier installation of the product among the
// machine's Uninstall entries and starts the removal of the first one whose
// key name is a product code; a start that fails ends the scan.
//
// ScanAndRemove walks the subkeys of the Uninstall key below HKLM
// in enumeration order. An entry matches when its
// "DisplayName" is exactly the product's display name. A match whose key name
// is a product code is uninstalled through MsiExec.exe (started, not waited
// for); one whose key name is not is passed over. In force-delete mode the
// matching entry's key is deleted instead.
//
// The uninstall's line is " /x<product code>", the UI switch of the level
// (" /qn" as constructed; " /qn+", " /qb", " /qb+", " /qf" for 2 to 5;
// nothing for any other level), then " REBOOT=ReallySuppress" at every level:
// the removal never restarts the machine, nor asks to. A restart the package
// needs is left to the administrator (the uninstall then ends 3010 and leaves
// what it could not replace for the next start).
//
//   false                          the key could not be opened or counted, or
//                                  the removal of a match failed
//   true, completedWithoutLaunch   nothing was started (no match, only matches whose
//                                  key name is no product code, or a forced delete)
//   true, !completedWithoutLaunch  an uninstall was started
//
// The Uninstall key stays open from the scan until the scanner is destroyed.
#pragma once

#include "dfc/product.h"  // the display name and the product-code form it matches by
#include "platform/scoped_handle.h"
#include "platform/win_types.h"

constexpr win::DWORD KEY_NAME_CHARS = 256;
extern const win::WString kUninstallProgram;  // "MsiExec.exe", found in the system folder
extern const win::WString kUninstallKeyPath;  // below HKEY_LOCAL_MACHINE

class UninstallScanner {
 public:
  explicit UninstallScanner(bool runElevated);
  UninstallScanner(const UninstallScanner&) = delete;
  UninstallScanner& operator=(const UninstallScanner&) = delete;

  [[nodiscard]] bool ScanAndRemove();

  bool completedWithoutLaunch() const { return completedWithoutLaunch_; }

  // Settings the driver leaves as constructed.
  void setForceDelete(bool on) { forceDelete_ = on; }
  void setTraceEnabled(bool on) { traceEnabled_ = on; }
  void setUiLevel(win::LONG level) { uiLevel_ = level; }

 private:
  enum class Removal { PassOver, Finished, Failed };
  Removal RemoveMatchingEntry(const win::WString& subkeyName);
  void Trace(win::LONG status, const win::WString& message) const;

  win::WString productName_;
  win::WString uninstallKeyPath_;
  bool forceDelete_ = false;
  bool runElevated_;
  bool traceEnabled_ = false;
  win::LONG uiLevel_ = 1;
  win::ScopedRegKey uninstallKey_;
  bool completedWithoutLaunch_ = false;
};
