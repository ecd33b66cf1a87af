// The platform gates of a run and the choice of road.
#include <algorithm>

#include "odd_arguments.h"
#include "platform/error_mode.h"
#include "setup/entry.h"
#include "setup/gates.h"
#include "sim_test.h"

namespace {

class Gates : public SimTest {
 protected:
  ResultCode Run() { return SetupMain(0, nullptr); }
  void Os(win::DWORD major, win::DWORD minor, win::WORD servicePack,
          win::BYTE productType = win::VER_NT_WORKSTATION,
          win::DWORD platform = win::VER_PLATFORM_WIN32_NT) {
    machine.os.major = major;
    machine.os.minor = minor;
    machine.os.servicePackMajor = servicePack;
    machine.os.productType = productType;
    machine.os.platformId = platform;
  }
};

TEST_F(Gates, Wow64RefusesBeforeAnythingElse) {
  machine.wow64 = true;
  CommandLine(u"/x:bogus /PAT:1");
  EXPECT_EQ(Run(), RESULT_WOW64);
  EXPECT_EQ(Wow64Gate().reason, GateReason::Wow64);
  EXPECT_EQ(faults.CallCount(win::Call::GetVersionExW), 0);
  EXPECT_EQ(faults.CallCount(win::Call::GetCommandLineW), 0);
}

// First no box from the system (a drive without a medium would ask for a
// disk), keeping what the parent set; then the library search. CheckPackage.exe
// begins with the same QuietStart.
TEST_F(Gates, ErrorModeThenLibrarySearchComeFirst) {
  machine.wow64 = true;
  const std::pair<win::UINT, std::vector<win::UINT>> rows[] = {
      {0, {0x8001}},
      {0x8001, {0x8001}},
      {0x0002, {0x8001, 0x8003}},  // SEM_NOGPFAULTERRORBOX, the parent's, stays
  };
  for (const auto& [inherited, modes] : rows) {
    SCOPED_TRACE(inherited);
    machine.errorMode = inherited;
    machine.errorModes.clear();
    faults.callLog.clear();
    EXPECT_EQ(Run(), RESULT_WOW64);
    EXPECT_EQ(machine.errorModes, modes);
    ASSERT_GT(faults.callLog.size(), modes.size());
    for (std::size_t i = 0; i < modes.size(); ++i) EXPECT_EQ(faults.callLog[i], win::Call::SetErrorMode);
    EXPECT_EQ(faults.callLog[modes.size()], win::Call::SetDefaultDllDirectories);
  }
  EXPECT_EQ(machine.libraries.defaultDllDirectories, win::LOAD_LIBRARY_SEARCH_SYSTEM32);
  EXPECT_FALSE(machine.libraries.dllDirectory);
}

// Without SetDefaultDllDirectories the current folder still leaves the search;
// either way the outcome is unchanged.
TEST_F(Gates, OlderSystemsTakeTheCurrentFolderOut) {
  machine.libraries.hasSetDefaultDllDirectories = false;
  EXPECT_EQ(Run(), RESULT_BAD_ARGUMENTS);
  EXPECT_EQ(faults.callLog[2], win::Call::SetDllDirectoryW);
  EXPECT_EQ(machine.libraries.dllDirectory, u"");
  faults.Inject({win::Call::SetDllDirectoryW});
  EXPECT_EQ(Run(), RESULT_BAD_ARGUMENTS);
}

// The WOW64 gate on each host and each answer the pages allow: IsWow64Process2
// decides where KERNEL32 has it and it answers; IsWow64Process otherwise;
// neither answering is an environment error. Let through: no arguments, 0x80010004.
TEST_F(Gates, Wow64OnEveryHost) {
  using win::Call;
  constexpr win::WORD x64 = win::IMAGE_FILE_MACHINE_AMD64, arm64 = win::IMAGE_FILE_MACHINE_ARM64;
  struct Row {
    const char* name;
    bool wow64;
    win::WORD host;
    bool saysFalse;   // IsWow64Process answers FALSE under WOW64 (ARM64)
    bool hasSecond;   // KERNEL32 has IsWow64Process2
    std::vector<Call> failing;
    ResultCode expected;
  };
  const Row rows[] = {
      {"32-bit Windows", false, x64, false, true, {}, RESULT_BAD_ARGUMENTS},
      {"32-bit Windows before 10", false, x64, false, false, {}, RESULT_BAD_ARGUMENTS},
      {"x64", true, x64, false, true, {}, RESULT_WOW64},
      {"x64 before Windows 10", true, x64, false, false, {}, RESULT_WOW64},
      {"ARM64, IsWow64Process says TRUE", true, arm64, false, true, {}, RESULT_WOW64},
      {"ARM64, IsWow64Process says FALSE", true, arm64, true, true, {}, RESULT_WOW64},
      {"x64, the second call fails", true, x64, false, true, {Call::IsWow64Process2}, RESULT_WOW64},
      {"both calls fail", false, x64, false, true, {Call::IsWow64Process2, Call::IsWow64Process},
       RESULT_ENVIRONMENT_ERROR},
      {"no second call, the first fails", false, x64, false, false, {Call::IsWow64Process},
       RESULT_ENVIRONMENT_ERROR},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    machine.wow64 = row.wow64;
    machine.wow64Host = row.host;
    machine.isWow64ProcessSaysFalse = row.saysFalse;
    machine.hasIsWow64Process2 = row.hasSecond;
    for (Call call : row.failing) faults.Inject({call});
    int versions = faults.CallCount(Call::GetVersionExW);
    EXPECT_EQ(Run(), row.expected);
    // A refusal at this gate comes before the snapshot.
    if (row.expected != RESULT_BAD_ARGUMENTS) {
      EXPECT_EQ(faults.CallCount(Call::GetVersionExW), versions);
    }
    // The same gate, asked again, names its reason.
    for (Call call : row.failing) faults.Inject({call});
    EXPECT_EQ(Wow64Gate().reason, row.expected == RESULT_WOW64             ? GateReason::Wow64
                                  : row.expected == RESULT_ENVIRONMENT_ERROR ? GateReason::Wow64Unknown
                                                                             : GateReason::Passed);
  }
}

TEST_F(Gates, VersionTable) {
  struct Row {
    const char* name;
    win::DWORD major, minor;
    win::WORD servicePack;
    win::BYTE productType;
    win::DWORD platform;
    ResultCode expected;
    GateReason reason;  // what the setup check prints
  };
  constexpr auto NT = win::VER_PLATFORM_WIN32_NT;
  constexpr auto WS = win::VER_NT_WORKSTATION;
  // A supported run without arguments ends on the install road, missing PAT.
  const Row rows[] = {
      {"NT 4.0", 4, 0, 6, WS, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion},
      {"Windows 2000", 5, 0, 4, WS, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion},
      {"XP SP2", 5, 1, 2, WS, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion},
      {"XP SP3", 5, 1, 3, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"XP SP4 (hypothetical)", 5, 1, 4, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"XP x64 / 2003 workstation 5.2", 5, 2, 2, WS, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion},
      {"5.3 (hypothetical)", 5, 3, 0, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"Vista no service pack", 6, 0, 0, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"Windows 7", 6, 1, 1, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"Windows 10", 10, 0, 0, WS, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
      {"Server 2008 R2", 6, 1, 1, win::VER_NT_SERVER, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::Server},
      {"Domain controller", 10, 0, 0, win::VER_NT_DOMAIN_CONTROLLER, NT,
       RESULT_UNSUPPORTED_PLATFORM, GateReason::DomainController},
      {"Server 2003", 5, 2, 2, win::VER_NT_SERVER, NT, RESULT_UNSUPPORTED_PLATFORM, GateReason::Server},
      {"Windows 98 platform id", 6, 0, 0, WS, win::VER_PLATFORM_WIN32_WINDOWS,
       RESULT_UNSUPPORTED_PLATFORM, GateReason::OldVersion},
      {"Unknown product type 0", 10, 0, 0, 0, NT, RESULT_BAD_ARGUMENTS, GateReason::Passed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Os(row.major, row.minor, row.servicePack, row.productType, row.platform);
    EXPECT_EQ(Run(), row.expected);
    bool runElevated = false;
    EXPECT_EQ(EnvironmentGate(runElevated).reason, row.reason);
  }
}

TEST_F(Gates, FailedVersionQueryRefusesThePlatform) {
  faults.Inject({win::Call::GetVersionExW, 0, 100});
  EXPECT_EQ(Run(), RESULT_UNSUPPORTED_PLATFORM);
  EXPECT_EQ(faults.CallCount(win::Call::CommandLineToArgvW), 0);
}

TEST_F(Gates, RefusedPlatformNeverReadsTheCommandLine) {
  Os(5, 1, 2);
  CommandLine(u"/x:bogus");
  EXPECT_EQ(Run(), RESULT_UNSUPPORTED_PLATFORM);
  EXPECT_EQ(faults.CallCount(win::Call::CommandLineToArgvW), 0);
}

// A snapshot that cannot be built means the platform was never checked: the
// run stops instead of going on to install or remove.
TEST_F(Gates, ExceptionWhileBuildingTheSnapshotStopsTheRun) {
  faults.Inject({win::Call::GetVersionExW, 0, 1, 0, /*throwBadAlloc=*/true});
  CommandLine(u"/x");
  EXPECT_EQ(Run(), RESULT_ENVIRONMENT_ERROR);
  EXPECT_EQ(faults.CallCount(win::Call::CommandLineToArgvW), 0);
  EXPECT_EQ(faults.CallCount(win::Call::RegOpenKeyExW), 0);
  EXPECT_TRUE(machine.starts.empty());
}

// Every switch with every odd value: each run ends with a code of the result
// table, no installer it starts waits behind msiexec's usage window, and
// everything it opened is given back.
TEST_F(Gates, OddSwitchValuesEndWithAResultCode) {
  machine.Script(machine.SystemFile(u"msiexec.exe"), {});
  machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"H");
  for (const std::u16string& sw : kOddSwitches) {
    for (const std::u16string& value : kOddValues) {
      SCOPED_TRACE(Show(sw + value));
      for (const char16_t* pat : {u"", u" /PAT:1"}) {
        CommandLine(sw + value + pat);
        EXPECT_TRUE(IsResultCode(Run()));
      }
    }
  }
  EXPECT_EQ(machine.processes.hungWaits, 0);
}

TEST_F(Gates, BadRemovalValueIsRejectedBeforeAnythingStarts) {
  for (const char16_t* arguments : {u"/x:strict", u"/x:STRICT", u"/PAT:v /x:Strict2", u"\"/x: \""}) {
    SCOPED_TRACE(Show(arguments));
    CommandLine(arguments);
    EXPECT_EQ(Run(), RESULT_BAD_ARGUMENTS);
  }
  EXPECT_TRUE(machine.starts.empty());
  EXPECT_EQ(faults.CallCount(win::Call::RegOpenKeyExW), 0);
}

// Which road a command line takes, on a machine with nothing to remove and a
// HostID in place: removal starts no installer and answers 1 only when strict;
// install starts msiexec and is confirmed at once.
TEST_F(Gates, RoadChoice) {
  machine.Script(machine.SystemFile(u"msiexec.exe"), {});
  machine.SetString(win::HKeyLocalMachine(), kHostIdKey, u"HostID", u"H");
  struct Row {
    const char16_t* arguments;
    bool removal;
    ResultCode expected;
  };
  const Row rows[] = {
      {u"/x", true, RESULT_SUCCESS},
      {u"/x:", true, RESULT_SUCCESS},
      {u"/PAT:v /x:Strict", true, RESULT_STRICT_NOTHING_LAUNCHED},
      {u"/xanything", true, RESULT_SUCCESS},
      // The removal reads no path and passes nothing on: what an install
      // refuses for msiexec's sake does not stop it.
      {u"/x /log: /i:", true, RESULT_SUCCESS},
      {u"/x \"A=\\\"b\"", true, RESULT_SUCCESS},
      {u"/x /qn /x:Strict", true, RESULT_STRICT_NOTHING_LAUNCHED},
      // Only a removal switch removes: a passed-through value holding /x installs.
      {u"/PAT:v INSTALLDIR=C:/xapps/P", false, RESULT_SUCCESS},
      {u"/PAT:v /L*V C:/xlog.txt", false, RESULT_SUCCESS},
      {u"/PAT:v X=/x", false, RESULT_SUCCESS},
      // Nor does a bare word or a capital X; msiexec would answer them with its
      // usage window, so the install road refuses them before it starts anything.
      {u"/PAT:v a/x", false, RESULT_BAD_ARGUMENTS},
      {u"/PAT:v a/x:Strict", false, RESULT_BAD_ARGUMENTS},
      {u"/PAT:v /X", false, RESULT_BAD_ARGUMENTS},
      {u"/PAT:v /X:Strict", false, RESULT_BAD_ARGUMENTS},
      // A value or a path never chooses the road.
      {u"/PAT:VALUE /log:C:/xlogs/s.log", false, RESULT_SUCCESS},
      {u"/PAT:a/x", false, RESULT_SUCCESS},
      {u"/PAT:v /i:C:/xfer/p.msi", false, RESULT_SUCCESS},
      {u"/PAT:v a/x:bad", false, RESULT_BAD_ARGUMENTS},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.arguments));
    machine.starts.clear();
    int opensBefore = faults.CallCount(win::Call::RegOpenKeyExW);
    CommandLine(row.arguments);
    EXPECT_EQ(Run(), row.expected);
    bool startedInstaller =
        !machine.starts.empty() && machine.starts[0].action == sim::MsiexecAction::Install;
    EXPECT_EQ(startedInstaller, !row.removal && row.expected == RESULT_SUCCESS);
    if (row.removal) {
      EXPECT_EQ(faults.CallCount(win::Call::RegOpenKeyExW), opensBefore + 1);
    }
  }
}

// Each road's start: COM initialized before it, as the shell's page asks,
// and balanced after it; msiexec inherits the quiet error mode. A thread
// already in another apartment starts without balancing anything; a failed
// initialization starts nothing, and the road ends as for a refused start.
TEST_F(Gates, ComAroundEachStart) {
  using win::Call;
  const std::u16string code = u"{11111111-2222-3333-4444-555555555555}";
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + code, u"DisplayName", u"Pellworth");
  // Both starts run this one script (the names differ in case only); no
  // HostID is written, so an install that started ends unconfirmed.
  machine.Script(machine.SystemFile(u"msiexec.exe"), {});
  struct Row {
    const char16_t* arguments;
    enum { Clean, OtherApartment, Fails } com;
    ResultCode expected;
  };
  const Row rows[] = {
      {u"/PAT:1", Row::Clean, RESULT_NOT_CONFIRMED},
      {u"/x", Row::Clean, RESULT_SUCCESS},
      {u"/PAT:1", Row::OtherApartment, RESULT_NOT_CONFIRMED},
      {u"/x", Row::OtherApartment, RESULT_SUCCESS},
      {u"/PAT:1", Row::Fails, 0x80020001},
      {u"/x", Row::Fails, RESULT_REMOVAL_FAILED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.arguments) + " " + std::to_string(row.com));
    machine.starts.clear();
    machine.processes.comFlags.clear();
    faults.callLog.clear();
    int uninitializations = faults.CallCount(Call::CoUninitialize);
    if (row.com == Row::OtherApartment) {
      EXPECT_EQ(machine.processes.CoInitialize(0), win::S_OK);
    }
    if (row.com == Row::Fails) faults.Inject({Call::CoInitializeEx});
    CommandLine(row.arguments);
    EXPECT_EQ(Run(), row.expected);
    if (row.com == Row::OtherApartment) machine.processes.CoUninitialize();
    const std::vector<Call>& log = faults.callLog;
    auto at = [&](Call call) { return std::find(log.begin(), log.end(), call) - log.begin(); };
    ASSERT_EQ(std::count(log.begin(), log.end(), Call::CoInitializeEx), 1);
    if (row.com == Row::Fails) {
      EXPECT_TRUE(machine.starts.empty());
      EXPECT_EQ(faults.CallCount(Call::CoUninitialize), uninitializations);
      continue;
    }
    ASSERT_EQ(machine.starts.size(), 1u);
    EXPECT_EQ(machine.processes.comFlags.back(),
              win::COINIT_APARTMENTTHREADED | win::COINIT_DISABLE_OLE1DDE);
    EXPECT_LT(at(Call::CoInitializeEx), at(Call::ShellExecuteExW));
    EXPECT_EQ(machine.starts[0].errorMode & win::kQuietErrorMode, win::kQuietErrorMode);
    if (row.com == Row::Clean) {
      EXPECT_LT(at(Call::ShellExecuteExW), at(Call::CoUninitialize));
      // The apartment ends with the start, before the wait for the installer.
      if (machine.starts[0].action == sim::MsiexecAction::Install) {
        EXPECT_LT(at(Call::CoUninitialize), at(Call::WaitForSingleObject));
      }
    } else {
      EXPECT_EQ(faults.CallCount(Call::CoUninitialize), uninitializations);
    }
  }
}

TEST_F(Gates, ElevationFollowsTheVersion) {
  const std::u16string code = u"{11111111-2222-3333-4444-555555555555}";
  const std::u16string key = kUninstallKey + u"\\" + code;
  machine.SetString(win::HKeyLocalMachine(), key, u"DisplayName", u"Pellworth");
  machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
  CommandLine(u"/x");
  struct Row {
    win::DWORD major, minor;
    win::WORD servicePack;
    const char16_t* verb;
  };
  // XP asks for no verb at all: the default one.
  for (const Row& row : {Row{6, 0, 0, u"runas"}, Row{10, 0, 0, u"runas"}, Row{5, 1, 3, nullptr}}) {
    SCOPED_TRACE(row.major);
    Os(row.major, row.minor, row.servicePack);
    machine.starts.clear();
    EXPECT_EQ(Run(), RESULT_SUCCESS);
    ASSERT_EQ(machine.starts.size(), 1u);
    EXPECT_EQ(machine.starts[0].hasVerb, row.verb != nullptr);
    if (row.verb != nullptr) {
      EXPECT_EQ(machine.starts[0].verb, row.verb);
    }
  }
}

// The codes are the deployers' interface: their numbers, and which numbers
// the table holds.
TEST(ResultCodes, TheTableAndNothingElse) {
  const std::pair<ResultCode, std::uint32_t> numbers[] = {
      {RESULT_SUCCESS, 0},
      {RESULT_STRICT_NOTHING_LAUNCHED, 1},
      {RESULT_WOW64, 0x80010001},
      {RESULT_UNSUPPORTED_PLATFORM, 0x80010002},
      {RESULT_BAD_ARGUMENTS, 0x80010004},
      {RESULT_ENVIRONMENT_ERROR, 0x80010008},
      {RESULT_REMOVAL_FAILED, 0x80010020},
      {RESULT_INSTALLER_BASE, 0x80020000},
      {RESULT_NOT_CONFIRMED, 0x80020643},
  };
  for (const auto& [code, number] : numbers) {
    EXPECT_EQ(code, number);
    EXPECT_TRUE(IsResultCode(number)) << std::hex << number;
  }
  for (std::uint32_t other : {2u, 3u, 0x80010000u, 0x80010003u, 0x80010010u, 0x80010040u,
                              0x80000000u, 0x80030000u, 0x00020643u, 0x7FFFFFFFu}) {
    EXPECT_FALSE(IsResultCode(other)) << std::hex << other;
  }
  EXPECT_TRUE(IsResultCode(0x8002FFFF));
}

TEST_F(Gates, NoArgumentVectorMeansNoArguments) {
  faults.Inject({win::Call::CommandLineToArgvW});
  CommandLine(u"/x");
  EXPECT_EQ(Run(), RESULT_BAD_ARGUMENTS);  // install road without PAT
  EXPECT_TRUE(machine.starts.empty());
}

}  // namespace
