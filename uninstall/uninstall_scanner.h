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
// Every match, in enumeration order, is listed in matches(), and the start
// the removal asked for (or would ask for) in plannedStart(). A dry scan
// (setDryRun) starts nothing and deletes nothing: it takes the entry a real
// scan would take, answers as if its start succeeded, and lists the matches
// after it too, which a real scan never reaches.
//
// The Uninstall key stays open from the scan until the scanner is destroyed.
#pragma once

#include <vector>

#include "dfc/product.h"  // the display name and the product-code form it matches by
#include "platform/scoped_handle.h"
#include "platform/win_types.h"

constexpr win::DWORD KEY_NAME_CHARS = 256;
extern const win::WString kUninstallProgram;  // "MsiExec.exe", found in the system folder
extern const win::WString kUninstallKeyPath;  // below HKEY_LOCAL_MACHINE

// An Uninstall entry whose DisplayName is the product's, as the scan met it.
struct UninstallMatch {
  win::WString keyName;
  bool productCode;  // its key name has a product code's form
  bool taken;        // the removal starts (or would start) its uninstall
};

// What the removal starts: MsiExec.exe by full path, its line and its verb.
struct UninstallStart {
  win::WString program;  // empty when the system folder is unknown
  win::WString parameters;
  const win::WCHAR* verb = nullptr;  // "runas", or null for the default one
};

class UninstallScanner {
 public:
  explicit UninstallScanner(bool runElevated);
  UninstallScanner(const UninstallScanner&) = delete;
  UninstallScanner& operator=(const UninstallScanner&) = delete;

  [[nodiscard]] bool ScanAndRemove();

  bool completedWithoutLaunch() const { return completedWithoutLaunch_; }
  const std::vector<UninstallMatch>& matches() const { return matches_; }
  const UninstallStart& plannedStart() const { return start_; }

  // Settings the driver leaves as constructed.
  void setForceDelete(bool on) { forceDelete_ = on; }
  void setTraceEnabled(bool on) { traceEnabled_ = on; }
  void setUiLevel(win::LONG level) { uiLevel_ = level; }
  void setDryRun(bool on) { dryRun_ = on; }

 private:
  enum class Removal { PassOver, Finished, Failed };
  Removal RemoveMatchingEntry(const win::WString& subkeyName);
  void Trace(win::LONG status, const win::WString& message) const;

  win::WString productName_;
  win::WString uninstallKeyPath_;
  bool forceDelete_ = false;
  bool runElevated_;
  bool traceEnabled_ = false;
  bool dryRun_ = false;
  win::LONG uiLevel_ = 1;
  win::ScopedRegKey uninstallKey_;
  bool completedWithoutLaunch_ = false;
  std::vector<UninstallMatch> matches_;
  UninstallStart start_;
};
