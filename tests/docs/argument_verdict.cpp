// What Setup.exe does with a command line, for the administrator's guide's
// examples (check_argument_examples.py compares): each line is run through the
// product's own entry on a simulated machine (Windows 10, nothing installed),
// which splits it as Windows does. Usage:
//   argument_verdict "Setup.exe /PAT:HOST-4711" < lines
// Each line of input follows the first argument on one command line; each line
// of output is its verdict:
//   passed on        msiexec was started, and reads the line's arguments as
//                    written, besides what it reads without them
//   install          msiexec was started, and reads the line otherwise (a switch
//                    of Setup.exe)
//   removal          nothing started, exit code 0 (the removal found nothing)
//   strict removal   nothing started, exit code 1
//   refused 0x...    nothing started, and that exit code
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <string>

#include "setup/entry.h"
#include "sim/msiexec.h"
#include "sim/sim_machine.h"

namespace {

win::WString Widen(const std::string& ascii) { return win::WString(ascii.begin(), ascii.end()); }

// Runs Setup.exe with `commandLine`: its exit code, and the arguments msiexec
// reads from the line it was started with (none when nothing was started).
ResultCode Run(const win::WString& commandLine, std::vector<win::WString>& msiexec, bool& started) {
  sim::Machine machine;
  win::ScopedSys sys{machine};
  machine.Script(machine.SystemFile(u"msiexec.exe"), {});
  machine.commandLine = commandLine;
  ResultCode result = SetupMain(0, nullptr);
  started = !machine.starts.empty();
  msiexec = started ? sim::SplitMsiexecLine(machine.starts.front().parameters) : msiexec;
  return result;
}

std::string Verdict(const std::string& start, const std::string& line) {
  for (unsigned char c : line)
    if (c >= 0x80) return "not ASCII";
  bool started = false;
  std::vector<win::WString> alone, read;
  static_cast<void>(Run(Widen(start), alone, started));
  ResultCode result = Run(Widen(start + " " + line), read, started);
  if (!started) {
    if (result == RESULT_SUCCESS) return "removal";
    if (result == RESULT_STRICT_NOTHING_LAUNCHED) return "strict removal";
    char code[32];
    std::snprintf(code, sizeof code, "refused 0x%08X", static_cast<unsigned>(result));
    return code;
  }
  // Passed on: msiexec reads the line's arguments, as Windows split them,
  // where the run without them read nothing, and all else as before.
  std::vector<win::WString> meant = sim::SplitCommandLine(Widen(start + " " + line).c_str(), u"");
  meant.erase(meant.begin(), meant.begin() + static_cast<std::ptrdiff_t>(
                                                 sim::SplitCommandLine(Widen(start).c_str(), u"").size()));
  for (std::size_t at = 0; at <= alone.size() && read.size() == alone.size() + meant.size(); ++at) {
    std::vector<win::WString> expected(alone.begin(), alone.begin() + static_cast<std::ptrdiff_t>(at));
    expected.insert(expected.end(), meant.begin(), meant.end());
    expected.insert(expected.end(), alone.begin() + static_cast<std::ptrdiff_t>(at), alone.end());
    if (read == expected) return "passed on";
  }
  return "install";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: argument_verdict START < LINES\n";
    return 2;
  }
  for (std::string line; std::getline(std::cin, line);) std::cout << Verdict(argv[1], line) << "\n";
  return 0;
}
