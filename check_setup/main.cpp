// CheckSetup.exe ARGUMENTS...: takes, after its own name, exactly the
// arguments one would give Setup.exe, split by the same platform call, and
// prints on standard output what Setup.exe would do with them on this
// machine (check_setup/report_lines.h). It starts nothing and writes nothing
// to the registry or the disk.
//
// Its exit code is the code Setup.exe would end with where it starts nothing
// (a gate, a refusal, a removal that finds nothing), and 0 where Setup.exe
// would start msiexec. It has no switches of its own: every argument is one
// Setup.exe would be given.
#include <cstdlib>

#include "check/console.h"
#include "check_setup/report_lines.h"
#include "check_setup/setup_check.h"
#include "platform/error_mode.h"
#include "platform/win32_api.h"

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::_Exit(3); }
}  // namespace __gnu_cxx

int wmain(int, wchar_t**) {
  win::SetSys(&win::RealApi());
  // As Setup.exe begins: no box from the system, then the library search.
  win::QuietStart();
  check_setup::SetupCheck found = check_setup::CheckSetup();
  for (const win::WString& line : check_setup::ReportLines(found))
    check::PrintLine(check::Stream::Output, line);
  return static_cast<int>(found.code);
}
