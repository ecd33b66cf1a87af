// The setup check: what Setup.exe would do with its command line on this
// machine, found by running Setup.exe's own stages in its order (the gates of
// setup/gates.h, the platform's split and translation, the install road's
// argument check and line writer, the removal's scan) with nothing started:
// the install road is prepared and not run, the scan is dry. Nothing is
// written to the registry or the disk.
//
// `code` is what Setup.exe would end with where it starts nothing (a gate, a
// refusal, a removal that finds nothing or cannot read the Uninstall key),
// and RESULT_SUCCESS where it would start msiexec (`starts`).
#pragma once

#include <vector>

#include "dfc/result_codes.h"
#include "platform/win_types.h"
#include "setup/gates.h"
#include "setup/refusal.h"
#include "uninstall/uninstall_scanner.h"

namespace check_setup {

enum class Road { None, Install, Removal, StrictRemoval };

struct SetupCheck {
  GateOutcome wow64;
  GateOutcome environment;  // not asked when the WOW64 gate refused
  bool environmentAsked = false;
  win::OSVERSIONINFOEXW version{};  // as the snapshot read it
  std::vector<win::WString> arguments;  // as the platform split them; empty once a gate refused
  Road road = Road::None;
  int roadPosition = 0;  // the argument that chose a removal road (setup/refusal.h)
  Refusal refusal;
  // The install road.
  win::WString program;  // the full path of the program started
  win::WString line;     // its parameters
  bool hostIdPresent = false;
  // The removal road.
  bool scanned = false;  // false: the Uninstall key could not be read
  std::vector<UninstallMatch> matches;
  UninstallStart start;
  ResultCode strictCode = RESULT_SUCCESS;  // what /x:Strict would end with here
  // The outcome.
  ResultCode code = RESULT_SUCCESS;
  bool starts = false;
};

// Reads the process command line (every argument after the program's own
// path, as Setup.exe reads its own) and checks it on this machine.
SetupCheck CheckSetup();

}  // namespace check_setup
