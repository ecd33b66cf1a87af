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

std::vector<win::WString> Split(const std::string& commandLine) {
  return sim::SplitCommandLine(Widen(commandLine).c_str(), u"");
}

struct Outcome {
  ResultCode code;
  bool started;                         // msiexec was started
  std::vector<win::WString> msiexec;    // the arguments it reads from its line
};

Outcome Run(const std::string& commandLine) {
  sim::Machine machine;
  win::ScopedSys sys{machine};
  machine.Script(machine.SystemFile(u"msiexec.exe"), {});
  machine.commandLine = Widen(commandLine);
  Outcome outcome{SetupMain(0, nullptr), !machine.starts.empty(), {}};
  if (outcome.started) outcome.msiexec = sim::SplitMsiexecLine(machine.starts.front().parameters);
  return outcome;
}

// `alone`: the run of `start` without the line.
std::string Verdict(const std::string& start, const Outcome& alone, const std::string& line) {
  for (unsigned char c : line)
    if (c >= 0x80) return "not ASCII";
  Outcome run = Run(start + " " + line);
  if (!run.started) {
    if (run.code == RESULT_SUCCESS) return "removal";
    if (run.code == RESULT_STRICT_NOTHING_LAUNCHED) return "strict removal";
    char code[32];
    std::snprintf(code, sizeof code, "refused 0x%08X", static_cast<unsigned>(run.code));
    return code;
  }
  // Passed on: msiexec reads the line's arguments as Windows split them, at
  // one place among what it reads without them, and all else as before.
  std::vector<win::WString> meant = Split(start + " " + line);
  meant.erase(meant.begin(), meant.begin() + static_cast<std::ptrdiff_t>(Split(start).size()));
  for (std::size_t at = 0; at <= alone.msiexec.size(); ++at) {
    std::vector<win::WString> expected = alone.msiexec;
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), meant.begin(), meant.end());
    if (run.msiexec == expected) return "passed on";
  }
  return "install";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: argument_verdict START < LINES\n";
    return 2;
  }
  Outcome alone = Run(argv[1]);
  for (std::string line; std::getline(std::cin, line);) std::cout << Verdict(argv[1], alone, line) << "\n";
  return 0;
}
