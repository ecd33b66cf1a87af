// CheckPackage.exe PACKAGE.msi: tells, before a package is deployed, whether
// Setup.exe can install, confirm and remove the product with it. Prints one
// line per finding on standard output ("error: ..." or "warning: ..."), and
// nothing else there; a package it cannot read is named on standard error.
//
// Its exit codes: check/exit_codes.h (2 also for a wrong command line).
//
// CheckPackage.exe /ProductCode PACKAGE.msi prints the package's product code
// alone (for an uninstall line that waits, msiexec /x {code}) and ends 0; 2
// when the package cannot be read or has none.
//
// It reads the package only: the file, the registry and the machine stay as
// they were.
#include "check/console.h"
#include "check/exit_codes.h"
#include "check/msi_package.h"
#include "check/package_check.h"
#include "platform/error_mode.h"
#include "platform/win32_api.h"

#include <string>

#include <windows.h>

namespace {

using check::PrintLine;
using check::Stream;

win::WString Ours(const wchar_t* text) {
  std::wstring wide(text);
  return win::WString(wide.begin(), wide.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  win::SetSys(&win::RealApi());
  // First no box from the system for a package on a drive without a medium;
  // then msi.dll and what it loads come from the system folder only.
  win::QuietStart();
  bool productCode = argc == 3 && std::wstring(argv[1]) == L"/ProductCode";
  if (argc != 2 && !productCode) {
    PrintLine(Stream::Error, u"usage: CheckPackage.exe [/ProductCode] PACKAGE.msi");
    return CHECK_UNREADABLE;
  }
  win::WString path = Ours(argv[argc - 1]);
  check::PackageFacts facts;
  win::WString failure;
  if (win::DWORD status = check::ReadPackage(path, facts, failure); status != 0) {
    PrintLine(Stream::Error, u"CheckPackage: " + path + u": " + failure + u" (error " +
                                    Ours(std::to_wstring(status).c_str()) + u")");
    return CHECK_UNREADABLE;
  }
  if (productCode) {
    auto code = facts.properties.find(u"ProductCode");
    if (code == facts.properties.end() || code->second.empty()) {
      PrintLine(Stream::Error, u"CheckPackage: " + path + u": the package has no ProductCode");
      return CHECK_UNREADABLE;
    }
    PrintLine(Stream::Output, code->second);
    return CHECK_PASSED;
  }
  bool errors = false;
  for (const check::Finding& finding : check::CheckPackage(facts)) {
    PrintLine(Stream::Output, check::FindingLine(finding));
    errors = errors || finding.error;
  }
  return errors ? CHECK_FAILED : CHECK_PASSED;
}
