// The fixture of every host test: a fresh simulated machine made current for
// the test, and a check at the end that everything the run opened was closed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/api.h"
#include "sim/sim_machine.h"

class SimTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(machine.OpenResources(), std::vector<std::string>()) << machine.Dump();
  }

  // Sets the command line as the platform would hand it over.
  void CommandLine(const std::u16string& arguments) {
    machine.commandLine = arguments.empty() ? u"Setup.exe" : u"Setup.exe " + arguments;
  }

  sim::Machine machine;
  win::ScopedSys sys{machine};
};

// Printable UTF-16 for failure messages.
inline std::string Show(const std::u16string& text) { return "|" + sim::Narrow(text) + "|"; }
