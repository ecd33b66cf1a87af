// Every platform call of the main scenarios failed in turn, and every
// allocation: each run must end with a ResultCode of the table (or, for an
// allocation outside the guarded stages, with the exception that ends the
// process), with every key, process handle, vector and library given back.
#include <iostream>

#include "alloc_hook.h"
#include "setup/entry.h"
#include "sim_test.h"

namespace {

using win::Call;


struct Scenario {
  const char* name;
  void (*prepare)(sim::Machine&);
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

const Scenario kScenarios[] = {
    {"install confirmed at once", InstallConfirmed},
    {"install never confirmed", InstallNeverConfirmed},
    {"removal with a match", RemovalWithMatch},
    {"strict removal with none", StrictRemovalWithNone},
    {"refused at a gate", RefusedAtAGate},
};

// A release call that itself fails may leave its own handle behind.
bool IsRelease(Call call) {
  return call == Call::RegCloseKey || call == Call::CloseHandle || call == Call::FreeLibrary ||
         call == Call::LocalFree;
}

struct Outcome {
  bool threw = false;
  ResultCode result = 0;
  std::vector<std::string> open;
  long allocations = 0;  // made by the run itself
};

Outcome RunScenario(const Scenario& scenario, const std::optional<faults::Fault>& fault,
                    long allocationToFail, std::vector<Call>* calls = nullptr) {
  sim::Machine m;
  faults::FaultApi layer(m);
  win::ScopedSys use(layer);
  scenario.prepare(m);
  if (fault) layer.Inject(*fault);
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
  if (calls != nullptr) *calls = layer.callLog;
  return outcome;
}

TEST(FaultSweep, EveryCallOfEveryScenario) {
  int points = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    std::vector<Call> calls;
    Outcome clean = RunScenario(scenario, std::nullopt, -1, &calls);
    ASSERT_FALSE(clean.threw);
    ASSERT_TRUE(IsResultCode(clean.result));
    int seen[win::kCallCount] = {};
    for (Call call : calls) {
      int occurrence = seen[static_cast<int>(call)]++;
      for (bool raise : {false, true}) {
        // The platform raises nothing while it releases a handle (and a
        // destructor could not pass it on): release calls only fail.
        if (raise && IsRelease(call)) continue;
        SCOPED_TRACE(std::string(win::CallName(call)) + " #" + std::to_string(occurrence) +
                     (raise ? " raising" : " failing"));
        faults::Fault fault{call, occurrence, 1, win::ERROR_ACCESS_DENIED, raise};
        Outcome outcome = RunScenario(scenario, fault, -1);
        ++points;
        if (outcome.threw) {
          // Only a raising call may end the run with its exception.
          EXPECT_TRUE(raise);
        } else {
          EXPECT_TRUE(IsResultCode(outcome.result)) << std::hex << outcome.result;
        }
        if (!IsRelease(call)) {
          EXPECT_EQ(outcome.open, std::vector<std::string>());
        }
      }
    }
  }
  std::cout << "fault points covered (platform calls): " << points << std::endl;
  RecordProperty("platform_fault_points", points);
  EXPECT_GT(points, 200);
}

TEST(FaultSweep, EveryAllocationOfEveryScenario) {
  int points = 0;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    long total = RunScenario(scenario, std::nullopt, -1).allocations;
    for (long n = 0; n < total; ++n) {
      SCOPED_TRACE(n);
      Outcome outcome = RunScenario(scenario, std::nullopt, n);
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
