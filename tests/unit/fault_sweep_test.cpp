// Every platform call of the main scenarios failed (and raised) in turn, each
// with the exact outcome its rules give; and every allocation, each run ending
// with a ResultCode of the table (or, outside the guarded stages, with the
// exception that ends the process). Every key, process handle, vector and
// library is given back.
#include <iostream>

#include "alloc_hook.h"
#include "platform/forwarding_api.h"
#include "setup/entry.h"
#include "sim_test.h"
#include "sweep/oracle.h"

namespace {



struct Scenario {
  const char* name;
  void (*prepare)(sim::Machine&);
  sweep::Rules rules;
};

void InstallConfirmed(sim::Machine& m) {
  m.commandLine = u"Setup.exe /PAT:H-1 /log /i:C:\\p.msi";
  m.Script(m.SystemFile(u"msiexec.exe"), {0, 2000, [&m] {
                                             m.SetString(win::HKeyLocalMachine(), kHostIdKey,
                                                         u"HostID", u"H-1");
                                           }});
}
void InstallNeverConfirmed(sim::Machine& m) {
  m.commandLine = u"Setup.exe /PAT:H-1";
  m.Script(m.SystemFile(u"msiexec.exe"), {0, 2000});
}
void RemovalWithMatch(sim::Machine& m) {
  m.commandLine = u"Setup.exe /x";
  m.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\Other", u"DisplayName", u"Other");
  m.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\{AAAAAAAA-1111-2222-3333-444444444444}",
              u"DisplayName", u"Pellworth");
  m.Script(m.SystemFile(u"MsiExec.exe"), {});
}
void StrictRemovalWithNone(sim::Machine& m) {
  m.commandLine = u"Setup.exe /x:Strict";
  m.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\Other", u"DisplayName", u"Other");
}
void RefusedAtAGate(sim::Machine& m) {
  m.commandLine = u"Setup.exe /PAT:1";
  m.os.productType = win::VER_NT_SERVER;
}
void BadArguments(sim::Machine& m) { m.commandLine = u"Setup.exe /PAT:1 /x:bad"; }

using sweep::Road;
const Scenario kScenarios[] = {
    {"install confirmed by the installer", InstallConfirmed, {Road::Install, false, true}},
    {"install never confirmed", InstallNeverConfirmed, {Road::Install}},
    // "Other" enumerates first, the product's entry second.
    {"removal with a match", RemovalWithMatch,
     {Road::Removal, false, false, false, 1, u"{AAAAAAAA-1111-2222-3333-444444444444}"}},
    {"strict removal with none", StrictRemovalWithNone, {Road::Removal, false, false, true}},
    {"refused at a gate", RefusedAtAGate, {Road::Gate}},
    {"bad arguments", BadArguments, {Road::BadArguments}},
};

sweep::Started StartedOn(const sim::Machine& m) {
  if (m.starts.empty()) return sweep::Started::Nothing;
  // The road the start served, as msiexec reads the line it was given.
  switch (m.starts[0].action) {
    case sim::MsiexecAction::Install: return sweep::Started::Installer;
    case sim::MsiexecAction::Uninstall: return sweep::Started::Uninstall;
    case sim::MsiexecAction::Other: break;
  }
  ADD_FAILURE() << "a start that is neither road: " << sim::Narrow(m.starts[0].parameters);
  return sweep::Started::Nothing;
}

struct Outcome {
  bool threw = false;
  ResultCode result = 0;
  std::vector<std::string> open;
  long allocations = 0;  // made by the run itself
};

Outcome RunScenario(const Scenario& scenario, long allocationToFail) {
  sim::Machine m;
  faults::FaultApi layer(m);
  win::ScopedSys use(layer);
  scenario.prepare(m);
  Outcome outcome;
  long before = alloc::Made();
  if (allocationToFail >= 0) alloc::FailAt(allocationToFail);
  try {
    outcome.result = SetupMain(0, nullptr);
  } catch (const std::bad_alloc&) {
    outcome.threw = true;
  }
  alloc::Disarm();
  outcome.allocations = alloc::Made() - before;
  outcome.open = m.OpenResources();
  return outcome;
}

// Each fault point's outcome is the one the rules of the run give: its exact
// code, and what was started. The layer sits on a ForwardingApi over the
// machine, as a test's answers sit on the real platform: a call that it does
// not forward fails this build, and one it forwards wrong fails the sweep.
TEST(FaultSweep, EveryCallOfEveryScenario) {
  int points = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    points += sweep::Sweep(scenario.rules, [&](const std::optional<faults::Fault>& fault) {
      sim::Machine m;
      win::ForwardingApi forwarding(m);
      faults::FaultApi layer(forwarding);
      scenario.prepare(m);
      sweep::Outcome outcome = sweep::RunSetup(layer, fault);
      outcome.started = StartedOn(m);
      for (const std::string& resource : m.OpenResources()) outcome.open.push_back(resource);
      return outcome;
    });
  }
  std::cout << "fault points covered (platform calls, simulated machine): " << points << std::endl;
  RecordProperty("platform_fault_points", points);
  EXPECT_GT(points, 500);
}

TEST(FaultSweep, EveryAllocationOfEveryScenario) {
  int points = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    long total = RunScenario(scenario, -1).allocations;
    for (long n = 0; n < total; ++n) {
      SCOPED_TRACE(n);
      Outcome outcome = RunScenario(scenario, n);
      ++points;
      if (!outcome.threw) {
        EXPECT_TRUE(IsResultCode(outcome.result)) << std::hex << outcome.result;
      }
      EXPECT_EQ(outcome.open, std::vector<std::string>());
    }
  }
  std::cout << "fault points covered (allocations): " << points << std::endl;
  RecordProperty("allocation_fault_points", points);
  EXPECT_GT(points, 200);
}

}  // namespace
