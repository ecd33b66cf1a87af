// The fault sweep's oracle and loop, shared by the host tests (over the
// simulated machine) and the Windows test build (over the real platform):
// for every call of a scenario's clean run, that call made to fail and, unless
// it releases a handle, to raise; and for each such fault point the exact
// outcome that follows from the rules of the run, not merely a code of the table.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "faults/fault_api.h"
#include "dfc/result_codes.h"

namespace sweep {

enum class Road { Gate, BadArguments, Install, Removal };
enum class Started { Nothing, Installer, Uninstall };

// What a scenario is, as far as the outcome of a fault depends on it.
struct Rules {
  Road road = Road::Install;
  bool hostIdBefore = false;           // HostID is readable before the installer runs
  bool installerWritesHostId = false;  // the installer writes HostID as it ends
  bool strict = false;                 // "/x:Strict"
  int matchIndex = -1;                 // the product's entry, in enumeration order
  const char16_t* matchName = nullptr; // and its key name
};

struct Expected {
  bool threw = false;  // the exception leaves the entry (and would end the process)
  ResultCode code = 0;
  Started started = Started::Nothing;
};

// The outcome of a clean run.
Expected Clean(const Rules& rules);
// The outcome when the call at `position` of the clean run's `log` fails
// (or raises); `subjects` names what each call of the log names.
Expected Expect(const Rules& rules, const std::vector<win::Call>& log,
                const std::vector<std::u16string>& subjects, std::size_t position, bool raise);

// A release call cannot raise (a destructor could not pass it on).
bool IsRelease(win::Call call);

struct Outcome {
  bool threw = false;
  ResultCode code = 0;
  std::optional<Started> started;  // when the platform can tell
  std::vector<std::string> open;   // handles not given back
  std::vector<win::Call> log;
  std::vector<std::u16string> subjects;  // beside each call of the log
};

// One run of the entry over `layer`, made current, with `fault` injected:
// its code (or its exception), the handles left open and the call log.
Outcome RunSetup(faults::FaultApi& layer, const std::optional<faults::Fault>& fault);

// Runs the scenario clean, then once for every fault point, and checks each
// outcome against the oracle; answers the number of fault points.
int Sweep(const Rules& rules, const std::function<Outcome(const std::optional<faults::Fault>&)>& run);

}  // namespace sweep
