// Setup.exe: runs one setup and exits with its ResultCode. It writes nothing
// to the console and shows no window; the exit code is its only report.
#include <cstdlib>
#include <exception>

#include "platform/win32_api.h"
#include "setup/entry.h"

// An exception outside the guarded stages ends the run abnormally; it does so
// in silence, with the exit code the runtime's abort would give, instead of
// the runtime's "terminate called after..." message on the console. Replacing
// the runtime's own handler also keeps its name demangler out of the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::_Exit(3); }
}  // namespace __gnu_cxx

int main(int argc, char** argv) {
  win::SetSys(&win::RealApi());
  return static_cast<int>(SetupMain(argc, argv));
}
