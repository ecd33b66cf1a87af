// The install road: the final argument string, the installer run, the
// folding of its exit code and the HostID confirmation poll.
#include "setup/entry.h"
#include "setup/installer_run.h"
#include "platform/scoped_handle.h"
#include "sim_test.h"

#include <optional>

namespace {


class InstallRoad : public SimTest {
 protected:
  std::u16string Msiexec() const { return machine.SystemFile(u"msiexec.exe"); }
  void Installer(win::DWORD exitCode, win::DWORD runMs = 5000, bool writesHostId = false) {
    sim::Machine* m = &machine;
    machine.Script(Msiexec(), {exitCode, runMs, [m, writesHostId] {
                                 if (writesHostId)
                                   m->SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID",
                                                u"H-1");
                               }});
  }
  void HostIdAt(std::uint64_t ms) {
    sim::Machine* m = &machine;
    machine.At(ms, [m] { m->SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"H-2"); });
  }
  ResultCode Run(const std::u16string& arguments) {
    CommandLine(arguments);
    return SetupMain(0, nullptr);
  }
  // Each read of HostID opens its key once; the install road opens no other.
  int Reads() const { return faults.CallCount(win::Call::RegOpenKeyExW); }
};

TEST_F(InstallRoad, FinalArgumentStrings) {
  Installer(0, 1000, true);
  struct Row {
    const char16_t* arguments;
    const char16_t* expected;
  };
  const Row rows[] = {
      {u"/PAT:VALUE /log",
       u" PAT=VALUE /L*v \"dulvinstaller.log\" /i Setup.msi   REINSTALL=ALL REINSTALLMODE=vomus "
       u"/quiet"},
      {u"/i:C:\\pkg\\p.msi /PAT:VALUE /log:C:\\logs\\s.log TARGETDIR=C:\\T",
       u" PAT=VALUE /L*v \"C:\\logs\\s.log\" TARGETDIR=C:\\T /i \"C:\\pkg\\p.msi\"  REINSTALL=ALL "
       u"REINSTALLMODE=vomus /quiet"},
      // A package path with forward slashes keeps the reinstall properties.
      {u"/PAT:v /i:C:/xfer/p.msi",
       u" PAT=v /i \"C:/xfer/p.msi\"  REINSTALL=ALL REINSTALLMODE=vomus /quiet"},
      {u"/PAT:v /log:C:/xlogs/s.log",
       u" PAT=v /L*v \"C:/xlogs/s.log\" /i Setup.msi   REINSTALL=ALL REINSTALLMODE=vomus /quiet"},
      {u"/PAT:a/x", u" PAT=a/x /i Setup.msi   REINSTALL=ALL REINSTALLMODE=vomus /quiet"},
      // So does a passed-through value or log path holding /x.
      {u"/PAT:v INSTALLDIR=C:/xapps/P /L*V C:/xlog.txt",
       u" PAT=v INSTALLDIR=C:/xapps/P /L*V C:/xlog.txt /i Setup.msi   REINSTALL=ALL "
       u"REINSTALLMODE=vomus /quiet"},
      {u"/PAT: /PAT:x", u" PAT=\"\" PAT=x /i Setup.msi   REINSTALL=ALL REINSTALLMODE=vomus /quiet"},
      {u"/PAT:v \"INSTALLDIR=C:\\Program Files\\Pellworth\"",
       u" PAT=v INSTALLDIR=\"C:\\Program Files\\Pellworth\" /i Setup.msi   REINSTALL=ALL "
       u"REINSTALLMODE=vomus /quiet"},
      {u"/i:x.msi /PAT:1 INSTALLDIR=\"C:\\Program Files\\P\" /norestart",
       u" PAT=1 INSTALLDIR=\"C:\\Program Files\\P\" /norestart /i \"x.msi\"  REINSTALL=ALL "
       u"REINSTALLMODE=vomus /quiet"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.arguments));
    machine.starts.clear();
    machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
    EXPECT_EQ(Run(row.arguments), RESULT_SUCCESS);
    ASSERT_EQ(machine.starts.size(), 1u);
    EXPECT_EQ(machine.starts[0].parameters, row.expected) << Show(machine.starts[0].parameters);
  }
}

// The forms administrators write, split by the platform as Windows splits
// them: each reaches msiexec as meant, or nothing is started. A quoted value
// ending in one backslash leaves the platform's split a quotation mark, which
// would make msiexec read the rest of the line as one bare word.
TEST_F(InstallRoad, WhatMsiexecReceivesIsWhatWasMeant) {
  Installer(0, 1000, true);
  const char16_t* kTail = u" /i \"P.msi\"  REINSTALL=ALL REINSTALLMODE=vomus /quiet";
  struct Row {
    const char16_t* arguments;
    const char16_t* received;  // before kTail; null: refused, nothing started
  };
  const Row rows[] = {
      {u"/PAT:x INSTALLDIR=\"C:\\Program Files\\P\\\"", nullptr},
      {u"/PAT:x \"INSTALLDIR=C:\\Program Files\\P\\\"", nullptr},
      {u"/PAT:x INSTALLDIR=\"C:\\Program Files\\P\\\\\"",
       u" PAT=x INSTALLDIR=\"C:\\Program Files\\P\\\""},
      {u"/PAT:x INSTALLDIR=\"C:\\Program Files\\P\"", u" PAT=x INSTALLDIR=\"C:\\Program Files\\P\""},
      {u"/PAT:x INSTALLDIR=C:\\Apps\\P\\", u" PAT=x INSTALLDIR=C:\\Apps\\P\\"},
      {u"/PAT:x \"/log:C:\\logs\\\"", nullptr},
      {u"/PAT:\"a\\\"b\"", nullptr},
      {u"/PAT:x A=\\\"q\\\"", nullptr},  // a quotation mark written on purpose
      {u"/PAT:x \"/i:C:\\My Packages\\\"", nullptr},
      {u"/PAT:x INSTALLDIR=C:/Apps/P\u00ebllworth /PAT:\u00c4",
       u" PAT=x INSTALLDIR=C:/Apps/P\u00ebllworth PAT=\u00c4"},
      {u"/PAT:x INSTALLDIR=", u" PAT=x INSTALLDIR=\"\""},
      {u"\"\" /PAT:x \"\"", u" PAT=x"},
      {u"/PAT:x /qn /quiet /Q /norestart /forcerestart", u" PAT=x /qn /quiet /Q /norestart /forcerestart"},
      {u"/PAT:x /qn+", nullptr},
      {u"/PAT:x /qb+", nullptr},
      {u"/PAT:x /qr", nullptr},
      {u"/PAT:x /qf", nullptr},
      {u"/PAT:x /passive", nullptr},
      {u"/PAT:x /promptrestart", nullptr},
      // A switch's value is the next argument: the program's own piece written
      // between them would become the value, and the value a bare word.
      {u"/PAT:x /update /PAT:y a.msp", nullptr},
      {u"/PAT:x /l*v /log:a.log b.log", nullptr},
      {u"/l*v \"\" /PAT:x", nullptr},
      // A script's unset variable leaves a switch with nothing after the colon:
      // msiexec would be handed "" for its package or log file.
      {u"/PAT:x /log:", nullptr},
      {u"/PAT:x /i:", nullptr},
      {u"/l*v /PAT:x", nullptr},
      {u"/PAT:x /l*v \"C:\\Program Files\\l.log\" /update a.msp",
       u" PAT=x /l*v \"C:\\Program Files\\l.log\" /update a.msp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.arguments));
    machine.starts.clear();
    machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
    ResultCode result = Run(u"/i:P.msi " + std::u16string(row.arguments));
    if (row.received == nullptr) {
      EXPECT_EQ(result, RESULT_BAD_ARGUMENTS);
      EXPECT_TRUE(machine.starts.empty());
      continue;
    }
    EXPECT_EQ(result, RESULT_SUCCESS);
    ASSERT_EQ(machine.starts.size(), 1u);
    EXPECT_EQ(machine.starts[0].parameters, row.received + std::u16string(kTail))
        << Show(machine.starts[0].parameters);
  }
}

// The installer is started hidden, by its full path in the system folder, and
// waited for; nothing else of the record is set.
TEST_F(InstallRoad, StartsMsiexecFromTheSystemFolderHidden) {
  // A folder longer than the first buffer of 260 units is asked for again.
  for (std::u16string folder : {std::u16string(u"D:\\WINNT\\System32"),
                                u"D:\\" + std::u16string(300, u'w') + u"\\System32"}) {
    SCOPED_TRACE(folder.size());
    machine.systemDirectory = folder;
    machine.starts.clear();
    machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
    Installer(0, 1000, true);
    EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
    ASSERT_EQ(machine.starts.size(), 1u);
    const sim::ProcessStart& s = machine.starts[0];
    EXPECT_EQ(s.file, folder + u"\\msiexec.exe");
    EXPECT_EQ(s.recordSize, sizeof(win::SHELLEXECUTEINFOW));
    EXPECT_EQ(s.mask, win::SEE_MASK_NOCLOSEPROCESS | win::SEE_MASK_FLAG_NO_UI | win::SEE_MASK_NOASYNC);
    EXPECT_FALSE(s.hasVerb);
    EXPECT_FALSE(s.hasDirectory);
    EXPECT_FALSE(s.hasOwner);
    EXPECT_EQ(s.show, win::SW_HIDE);
  }
}

// A start that fails ends with the start failure's code, without an error box
// that would hold the run.
TEST_F(InstallRoad, FailedStartShowsNoErrorBox) {
  EXPECT_EQ(Run(u"/PAT:1"), 0x80020001u);  // no msiexec.exe in the system folder
  ASSERT_EQ(machine.starts.size(), 1u);
  EXPECT_EQ(machine.processes.errorBoxes, 0);
}

TEST_F(InstallRoad, UnknownSystemFolderStartsNothing) {
  Installer(0);
  faults.Inject({win::Call::GetSystemDirectoryW, 0, 100});
  EXPECT_EQ(Run(u"/PAT:1"), 0x80020001u);
  EXPECT_TRUE(machine.starts.empty());
  // A folder of separators alone is no folder.
  machine.systemDirectory = u"\\";
  EXPECT_EQ(Run(u"/PAT:1"), 0x80020001u);
  EXPECT_TRUE(machine.starts.empty());
}

// Trailing separators of the system folder are dropped before the file name.
TEST_F(InstallRoad, SystemFolderWithTrailingSeparators) {
  for (const char16_t* folder : {u"C:\\W\\", u"C:\\W/", u"C:\\W\\/\\"}) {
    SCOPED_TRACE(Show(folder));
    machine.systemDirectory = folder;
    machine.starts.clear();
    machine.Script(u"C:\\W\\msiexec.exe", {});
    machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"x");
    EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
    ASSERT_EQ(machine.starts.size(), 1u);
    EXPECT_EQ(machine.starts[0].file, u"C:\\W\\msiexec.exe");
  }
}

TEST_F(InstallRoad, MissingPatStartsNothing) {
  Installer(0, 1000, true);
  // Nor does a line msiexec would answer with its usage window: that run
  // would never end where nobody can close the window.
  for (const char16_t* arguments : {u"", u"/log", u"/PAT:", u"/PAT:a /PAT:",
                                    u"/i:x.msi /PAT:1 a/x", u"/i:x.msi /PAT:1 /?"}) {
    SCOPED_TRACE(Show(arguments));
    EXPECT_EQ(Run(arguments), RESULT_BAD_ARGUMENTS);
  }
  EXPECT_TRUE(machine.starts.empty());
}

TEST_F(InstallRoad, ExitCodeFolding) {
  struct Row {
    win::DWORD exitCode;
    bool hostId;
    ResultCode expected;
  };
  const Row rows[] = {
      {0, true, RESULT_SUCCESS},
      {0, false, RESULT_NOT_CONFIRMED},
      {1603, false, 0x80020643},
      {1602, false, 0x80020642},
      {1602, true, RESULT_SUCCESS},  // a confirmed install is a success
      {3010, false, 0x80020BC2},
      {3010, true, RESULT_SUCCESS},
      {0x10000, false, 0x80020000},
      {0xC0000005, false, 0x80020005},
      {1619, false, 0x80020653},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exitCode);
    machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
    Installer(row.exitCode, 2000, row.hostId);
    EXPECT_EQ(Run(u"/PAT:1"), row.expected);
  }
}

TEST_F(InstallRoad, FirstReadComesAtOnceWithoutPause) {
  Installer(0, 4000, true);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
  EXPECT_EQ(faults.CallCount(win::Call::RegQueryValueExW), 1);
  EXPECT_TRUE(machine.sleeps.empty());
  EXPECT_EQ(machine.NowMs(), 4000u);
}

TEST_F(InstallRoad, HostIdWrittenTenSecondsLater) {
  Installer(0, 3000);
  HostIdAt(3000 + 10000);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
  EXPECT_EQ(Reads(), 21);
  EXPECT_EQ(machine.sleeps.size(), 20u);
  EXPECT_EQ(machine.NowMs(), 13000u);
}

TEST_F(InstallRoad, NeverConfirmedPollsSixtyTimesWithSixtyPauses) {
  Installer(0, 1000);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_NOT_CONFIRMED);
  EXPECT_EQ(Reads(), HOSTID_POLL_ATTEMPTS);
  EXPECT_EQ(machine.sleeps, std::vector<win::DWORD>(60, 500));
  EXPECT_EQ(machine.NowMs(), 1000u + 30000u);
}

TEST_F(InstallRoad, LeftoverHostIdConfirmsAnyRun) {
  machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"old");
  Installer(1603, 1000);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
}

// A value that exists confirms, whatever its type or length: one too long
// for the reader's buffer too (a product that wrote a long PAT as HostID).
TEST_F(InstallRoad, ConfirmationNeedsOnlyAnExistingValue) {
  Installer(0, 1000);
  machine.SetDword(win::HKeyLocalMachine(), kHostIdKey, u"HostID", 7);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
  const std::u16string pat(300, u'p');
  sim::Machine* m = &machine;
  machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
  machine.Script(Msiexec(), {0, 1000, [m, pat] {
                               m->SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", pat);
                             }});
  EXPECT_EQ(Run(u"/PAT:" + pat), RESULT_SUCCESS);
  EXPECT_EQ(faults.CallCount(win::Call::RegQueryValueExW), 2);  // one read each: no pause
  EXPECT_TRUE(machine.sleeps.empty());
}

TEST_F(InstallRoad, DeniedHostIdKeyKeepsWaiting) {
  Installer(0, 1000);
  machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"x");
  machine.DenyAccess(win::HKeyLocalMachine(), kHostIdKey);
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_NOT_CONFIRMED);
  EXPECT_EQ(machine.sleeps.size(), 60u);
}

// Each failure of the run, then the full poll; the process handle is closed
// on every path.
TEST_F(InstallRoad, RunFailures) {
  struct Row {
    const char* name;
    std::optional<faults::Fault> fault;
    bool scripted;
    win::DWORD expected;
    bool noHandle = false;
  };
  const Row rows[] = {
      {"start refused", faults::Fault{win::Call::ShellExecuteExW}, true, RUN_START_FAILED},
      // Started through another process: success, but no handle to wait on.
      {"started without a process handle", std::nullopt, true, RUN_NO_PROCESS, true},
      {"program missing", std::nullopt, false, RUN_START_FAILED},
      {"wait failed", faults::Fault{win::Call::WaitForSingleObject}, true, RUN_WAIT_FAILED},
      {"no exit code", faults::Fault{win::Call::GetExitCodeProcess}, true, RUN_NO_EXIT_CODE},
      {"exception in the wait", faults::Fault{win::Call::WaitForSingleObject, 0, 1, 0, true}, true,
       RUN_UNEXPECTED},
      {"exception in the start", faults::Fault{win::Call::ShellExecuteExW, 0, 1, 0, true}, true,
       RUN_UNEXPECTED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    if (row.scripted) m.Script(m.SystemFile(u"msiexec.exe"), {0, 1000, {}, row.noHandle});
    if (row.fault) layer.Inject(*row.fault);
    EXPECT_EQ(RunAndWait(u"/i x", m.SystemFile(u"msiexec.exe")), row.expected);
    EXPECT_EQ(m.OpenResources(), std::vector<std::string>()) << m.Dump();
  }
}

TEST_F(InstallRoad, RunFailureFoldsUnlessConfirmed) {
  Installer(0);
  faults.Inject({win::Call::GetExitCodeProcess});
  EXPECT_EQ(Run(u"/PAT:1"), 0x80020004u);
  faults.Inject({win::Call::WaitForSingleObject, 0, 1, 0, true});
  EXPECT_EQ(Run(u"/PAT:1"), 0x8002FFFFu);
  machine.Script(Msiexec(), {0, 1000, {}, /*noProcessHandle=*/true});
  EXPECT_EQ(Run(u"/PAT:1"), 0x80020002u);
  machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"x");
  faults.Inject({win::Call::ShellExecuteExW, 2});
  EXPECT_EQ(Run(u"/PAT:1"), RESULT_SUCCESS);
}

// The whole line the start builds, "<msiexec's path>" and the parameters,
// must fit the platform's 32,767 units with its null: one unit past it is
// refused before anything starts, and the run does not poll.
TEST_F(InstallRoad, LineTheStartCannotTakeIsRefused) {
  Installer(0, 1000, true);
  const std::u16string fixed = u" PAT=x A= /i Setup.msi   REINSTALL=ALL REINSTALLMODE=vomus /quiet";
  const std::size_t room = 32767 - 4 - Msiexec().size() - fixed.size();  // quotes, blank, null
  for (std::size_t extra : {0, 1}) {
    SCOPED_TRACE(extra);
    machine.starts.clear();
    machine.sleeps.clear();
    machine.DeleteTree(win::HKeyLocalMachine(), kHostIdKey);
    ResultCode result = Run(u"/PAT:x A=" + std::u16string(room + extra, u'a'));
    EXPECT_EQ(result, extra == 0 ? RESULT_SUCCESS : RESULT_BAD_ARGUMENTS);
    ASSERT_EQ(machine.starts.size(), extra == 0 ? 1u : 0u);
    if (extra == 0) {
      EXPECT_EQ(machine.starts[0].parameters.size() + Msiexec().size() + 4, 32767u);
    } else {
      EXPECT_TRUE(machine.sleeps.empty());
    }
  }
}

TEST_F(InstallRoad, EmptyArgumentsPassNoParameters) {
  sim::Machine m;
  faults::FaultApi layer(m);
  win::ScopedSys use(layer);
  m.Script(u"C:\\p.exe", {5, 10});
  EXPECT_EQ(RunAndWait(u"", u"C:\\p.exe"), 5u);
  ASSERT_EQ(m.starts.size(), 1u);
  EXPECT_FALSE(m.starts[0].hasParameters);
}

}  // namespace
