// The platform gates every run passes before it reads its command line, in
// this order: the WOW64 question, then the environment snapshot (server or
// domain controller, version). Each answers the ResultCode the run ends with
// (RESULT_SUCCESS: it goes on) and why, a value Setup.exe ignores and the
// setup check prints. Setup.exe and the check call these same functions.
#pragma once

#include "dfc/result_codes.h"
#include "platform/win_types.h"

enum class GateReason {
  Passed,
  Wow64Unknown,      // the WOW64 question could not be asked or answered
  Wow64,             // a 32-bit process on 64-bit Windows
  NoSnapshot,        // the environment snapshot could not be built
  Server,            // a server edition
  DomainController,  // a domain controller
  OldVersion,        // not NT, or older than XP SP3, or 64-bit XP / Server 2003 (5.2)
};

struct GateOutcome {
  ResultCode code = RESULT_SUCCESS;
  GateReason reason = GateReason::Passed;
};

// Whether this process runs under WOW64: RESULT_WOW64, or
// RESULT_ENVIRONMENT_ERROR when the platform does not answer.
GateOutcome Wow64Gate();

// The gates on the environment snapshot. On RESULT_SUCCESS `runElevated` is
// taken from the snapshot; `version`, when given, receives the version record
// the snapshot read (left as it was when the snapshot could not be built).
GateOutcome EnvironmentGate(bool& runElevated, win::OSVERSIONINFOEXW* version = nullptr);
