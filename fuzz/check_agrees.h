// The setup check tells the truth: on a simulated machine, what CheckSetup
// prints for a command line is what Setup.exe then does there. Shared by the
// host tier's exhaustive property test and the translation fuzz target.
//
// For one machine and one command line (the arguments after the program's
// name): the check runs first, and starts nothing and leaves the registry as
// it was; then Setup.exe runs on the same machine. Where the check printed a
// program and parameters, Setup.exe started exactly that program with exactly
// those parameters (and verb, for a removal), and for an install msiexec's
// split of the line, as the check printed it and as the simulated msiexec
// reads it, is the arguments meant (fuzz/meant_arguments.h); an install where
// HostID was readable ends 0. Where it printed none, Setup.exe started
// nothing and ended with the exit code the check printed. A refusal names an
// argument by the position and text the platform's split gave it.
#pragma once

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "check_setup/report_lines.h"
#include "check_setup/setup_check.h"
#include "fuzz/meant_arguments.h"
#include "setup/entry.h"
#include "sim/command_line.h"
#include "sim/msiexec.h"
#include "sim/sim_machine.h"

namespace agree {

// The machines of the check: where HostID, the Uninstall entries and the
// gates differ.
enum Kind { Plain, HostId, OneEntry, TwoEntries, FirstNoCode, Wow64, Server, OldVersion, kKinds };
inline const char* KindName(int kind) {
  static const char* names[] = {"no HostID, no entry",  "HostID, no entry",
                                "HostID, one entry",    "two entries",
                                "first entry no code",  "WOW64",
                                "server",               "XP SP2"};
  return names[kind];
}

inline std::unique_ptr<sim::Machine> MakeMachine(int kind) {
  auto m = std::make_unique<sim::Machine>();
  const win::WString uninstall = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  auto entry = [&](const win::WString& key, const win::WString& name) {
    m->SetString(win::HKeyLocalMachine(), uninstall + u"\\" + key, u"DisplayName", name);
  };
  m->Script(m->SystemFile(u"msiexec.exe"), {0, 10});
  m->Script(m->SystemFile(u"MsiExec.exe"), {0, 10});
  entry(u"Other", u"Other");
  if (kind != Plain) m->SetString(win::HKeyLocalMachine(), u"SOFTWARE\\Orvel\\TAVRELQ", u"HostID", u"H");
  if (kind == OneEntry || kind == TwoEntries || kind == FirstNoCode)
    entry(u"{AAAAAAAA-1111-2222-3333-444444444444}", u"Pellworth");
  if (kind == TwoEntries) entry(u"{BBBBBBBB-1111-2222-3333-444444444444}", u"Pellworth");
  if (kind == FirstNoCode) entry(u"Pellworth", u"Pellworth");  // enumerated first
  if (kind == Wow64) m->wow64 = true;
  if (kind == Server) m->os.productType = win::VER_NT_SERVER;
  if (kind == OldVersion) m->os = {5, 1, 2600, win::VER_PLATFORM_WIN32_NT, 2};
  return m;
}

// The text after `prefix` on the one printed line that begins with it.
inline bool Printed(const std::vector<win::WString>& lines, const win::WString& prefix,
                    win::WString& text) {
  for (const win::WString& line : lines)
    if (line.compare(0, prefix.size(), prefix) == 0) return text = line.substr(prefix.size()), true;
  return false;
}

inline std::string Hex(std::uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", code);
  return hex;
}

// Empty when the check and the run agree on `machine` (the current platform,
// directly or through a layer); otherwise what differs.
inline std::string Disagreement(sim::Machine& machine, const std::u16string& arguments) {
  std::ostringstream before, after;
  machine.registry.opens.clear();
  machine.registry.Dump(before);
  machine.starts.clear();
  machine.commandLine = u"CheckSetup.exe " + arguments;
  check_setup::SetupCheck found = check_setup::CheckSetup();
  std::vector<win::WString> lines = check_setup::ReportLines(found);
  for (const sim::KeyOpen& open : machine.registry.opens)
    if (open.access != win::KEY_READ) return "the check opened a key for more than reading";
  machine.registry.opens.clear();
  machine.registry.Dump(after);
  if (!machine.starts.empty()) return "the check started a program";
  if (before.str() != after.str()) return "the check changed the registry:\n" + before.str() + after.str();

  // A refusal names the argument by its position in the platform's split, as it stands there.
  meant::Args split = sim::SplitCommandLine((u"Setup.exe " + arguments).c_str(), u"Setup.exe");
  win::WString refused;
  if (Printed(lines, u"refused: argument ", refused)) {
    size_t position = std::stoul(sim::Narrow(refused.substr(0, refused.find(u' '))));
    win::WString shown = check_setup::Shown(position < split.size() ? split[position] : u"?");
    if (position == 0 || refused.compare(refused.find(u' ') + 1, shown.size(), shown) != 0)
      return "the refusal names another argument: " + sim::Narrow(refused);
  }

  win::WString program, parameters, code, verb;
  bool starts = Printed(lines, u"  program: ", program);
  if (!Printed(lines, u"exit code: ", code)) return "no exit code printed";
  if (starts != Printed(lines, u"  parameters: [", parameters)) return "a program without parameters";
  if (starts) parameters.pop_back();  // the closing bracket

  machine.commandLine = u"Setup.exe " + arguments;
  ResultCode ended = SetupMain(0, nullptr);
  if (!starts) {
    if (!machine.starts.empty()) return "Setup.exe started what the check did not print";
    if (sim::Narrow(code).compare(0, 10, Hex(ended)) != 0)
      return "Setup.exe ended " + Hex(ended) + ", the check printed " + sim::Narrow(code);
    return {};
  }
  if (code.compare(0, 10, u"0x00000000") != 0) return "a start printed with a code other than 0";
  if (machine.starts.size() != 1) return "Setup.exe did not start the one program printed";
  const sim::ProcessStart& start = machine.starts.back();
  if (start.file != program) return "started " + sim::Narrow(start.file) + ", printed " + sim::Narrow(program);
  if (start.parameters != parameters)
    return "started |" + sim::Narrow(start.parameters) + "|, printed |" + sim::Narrow(parameters) + "|";
  if (found.road == check_setup::Road::Install) {
    split.erase(split.begin());  // the program's own path
    meant::Args wanted = meant::Meant(split);
    if (sim::SplitMsiexecLine(start.parameters) != wanted) return "msiexec reads other arguments than meant";
    std::vector<win::WString> shown;
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == u"msiexec splits the parameters into:")
        for (size_t j = i + 1; j < lines.size() && lines[j].compare(0, 2, u"  ") == 0; ++j)
          shown.push_back(lines[j].substr(lines[j].find(u' ', 2) + 1));
    if (shown.size() != wanted.size()) return "the printed split has another length";
    for (size_t i = 0; i < wanted.size(); ++i)
      if (shown[i] != check_setup::Shown(wanted[i])) return "the printed split differs";
    if (found.hostIdPresent && ended != RESULT_SUCCESS) return "HostID was readable, the install ended " + Hex(ended);
  } else {
    Printed(lines, u"  verb: ", verb);
    win::WString started = start.hasVerb ? start.verb : u"(default)";
    if (verb != started) return "the removal's verb differs";
    if (ended != RESULT_SUCCESS) return "the removal ended " + Hex(ended);
  }
  return {};
}

}  // namespace agree
