// Setup.exe: runs one setup and exits with its ResultCode. It writes nothing
// to the console and shows no window; the exit code is its only report.
#include <cstdlib>
#include <exception>

#include "platform/win32_api.h"
#include "setup/entry.h"

namespace {
// An exception outside the guarded stages ends the run abnormally; it does so
// in silence, with the exit code the runtime's abort would give, instead of
// the runtime's message on the console.
[[noreturn]] void EndSilently() { std::_Exit(3); }
}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(EndSilently);
  win::SetSys(&win::RealApi());
  return static_cast<int>(SetupMain(argc, argv));
}
