// The fixture of every host test: a fresh simulated machine under the fault
// layer, made current for the test, and a check at the end that everything the
// run opened was closed (the machine's own account and the layer's).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/fault_api.h"
#include "platform/api.h"
#include "sim/sim_machine.h"

// The registry paths the product reads, spelled out once for the tests (not
// taken from the product, so that a wrong path in it fails them).
inline const std::u16string kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::u16string kHostIdKey = u"SOFTWARE\\Orvel\\TAVRELQ";

class SimTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(machine.OpenResources(), std::vector<std::string>()) << machine.Dump();
    // No run ever reaches msiexec with a line it answers with its usage
    // window or a modal box: on Windows that run would never end.
    EXPECT_EQ(machine.processes.usageWindows, 0) << machine.Dump();
    EXPECT_EQ(machine.processes.modalBoxes, 0) << machine.Dump();
    EXPECT_EQ(machine.processes.hungWaits, 0) << machine.Dump();
    // Nor starts anything while COM is not initialized on its thread.
    EXPECT_EQ(machine.processes.startsWithoutCom, 0) << machine.Dump();
    // Nor waits without a time-out while it holds a COM apartment.
    EXPECT_EQ(machine.processes.waitsInApartment, 0) << machine.Dump();
    EXPECT_EQ(faults.OpenHandles(), std::vector<std::string>()) << faults.Counts();
    // Every key is opened as Windows must see it: read rights, no options, no
    // registry view (a wrong mask fails every read on Windows, not on Wine).
    for (const sim::KeyOpen& open : machine.registry.opens) {
      EXPECT_EQ(open.access, win::KEY_READ) << sim::Narrow(open.path);
      EXPECT_EQ(open.access & (win::KEY_WOW64_32KEY | win::KEY_WOW64_64KEY), 0u);
      EXPECT_EQ(open.options, 0u) << sim::Narrow(open.path);
    }
  }

  // Sets the command line as the platform would hand it over.
  void CommandLine(const std::u16string& arguments) {
    machine.commandLine = arguments.empty() ? u"Setup.exe" : u"Setup.exe " + arguments;
  }

  sim::Machine machine;
  faults::FaultApi faults{machine};
  win::ScopedSys sys{faults};
};

// Printable UTF-16 for failure messages.
inline std::string Show(const std::u16string& text) { return "|" + sim::Narrow(text) + "|"; }
