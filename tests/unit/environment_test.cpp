// The environment snapshot: its members, their order, and what they hold.
#include <algorithm>

#include "alloc_hook.h"
#include "dfc/environment.h"
#include "setup/entry.h"
#include "sim_test.h"
#include "version.h"

namespace {

using win::Call;

class Environment : public SimTest {
 protected:
  std::vector<Call> Calls(std::initializer_list<Call> of) const {
    std::vector<Call> out;
    for (Call c : faults.callLog)
      if (std::find(of.begin(), of.end(), c) != of.end()) out.push_back(c);
    return out;
  }
};

TEST_F(Environment, BuiltInOrderAndTheLibraryFreedLast) {
  machine.commandLine = u"Setup.exe /a:1 word";
  {
    DFC::DFCEnvironment environment;
    EXPECT_EQ(Calls({Call::GetComputerNameW, Call::GetVersionExW, Call::GetModuleHandleW,
                     Call::GetModuleFileNameW, Call::LoadLibraryExW, Call::GetProcAddress,
                     Call::GetCommandLineW, Call::FreeLibrary}),
              (std::vector<Call>{Call::GetComputerNameW, Call::GetVersionExW, Call::GetVersionExW,
                                 Call::GetModuleHandleW, Call::GetModuleFileNameW,
                                 Call::LoadLibraryExW, Call::GetProcAddress,
                                 Call::GetCommandLineW}));
    // The four components of project(VERSION), each copied to its own member.
    EXPECT_EQ(environment.versionInfo().major(), PELLWORTH_VERSION_MAJOR_TEXT);
    EXPECT_EQ(environment.versionInfo().minor(), PELLWORTH_VERSION_MINOR_TEXT);
    EXPECT_EQ(environment.versionInfo().revision(), PELLWORTH_VERSION_PATCH_TEXT);
    EXPECT_EQ(environment.versionInfo().build(), PELLWORTH_VERSION_TWEAK_TEXT);
    EXPECT_EQ(environment.arguments().commandLine(), u"Setup.exe /a:1 word");
    EXPECT_EQ(environment.arguments().switches().Count(), 1u);
    EXPECT_EQ(environment.arguments().words().Count(), 2u);
    // The wide entry, by its own name: the library answers each export at an
    // address of its own.
    EXPECT_EQ(reinterpret_cast<win::FARPROC>(environment.configInfo().getFolderPath()),
              machine.libraries.AddressOf(machine.SystemFile(u"shfolder.dll"), "SHGetFolderPathW"));
    EXPECT_EQ(machine.libraries.lookups, std::vector<std::string>{"SHGetFolderPathW"});
    // NameInfo probes with the 276-byte record, OSInfo reads the 284-byte one.
    EXPECT_EQ(machine.versionRecordSizes, (std::vector<win::DWORD>{276, 284}));
    EXPECT_EQ(faults.CallCount(Call::FreeLibrary), 0);
  }
  EXPECT_EQ(faults.CallCount(Call::FreeLibrary), 1);
}

// By full path, and its own imports from the system folder: by the search's
// restriction where the system has one, else by the altered search path.
TEST_F(Environment, ShellFolderLibraryComesFromTheSystemFolder) {
  for (bool restrictable : {true, false}) {
    SCOPED_TRACE(restrictable);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    m.libraries.hasSetDefaultDllDirectories = restrictable;
    m.systemDirectory = u"D:\\W\\System32";
    // shfolder imports SHELL32 by name; a planted copy lies beside the program.
    m.AddLibrary(u"D:\\W\\System32\\shfolder.dll", {"SHGetFolderPathW"}, {u"shell32.dll"});
    m.AddLibrary(u"D:\\W\\System32\\shell32.dll", {});
    m.AddLibrary(u"C:\\Users\\Deployer\\Downloads\\shell32.dll", {});
    DFC::DFCEnvironment environment;
    EXPECT_EQ(m.libraries.loads, std::vector<std::u16string>{u"D:\\W\\System32\\shfolder.dll"});
    EXPECT_EQ(m.libraries.loadFlags,
              std::vector<win::DWORD>{restrictable ? 0u : win::LOAD_WITH_ALTERED_SEARCH_PATH});
    EXPECT_EQ(m.libraries.importsLoaded, std::vector<std::u16string>{u"D:\\W\\System32\\shell32.dll"});
    EXPECT_NE(environment.configInfo().folderLibrary(), nullptr);
  }
}

TEST_F(Environment, MissingLibraryOrEntry) {
  struct Row {
    const char* name;
    bool systemFolder, library, entry;
    int loads, frees;
  };
  const Row rows[] = {
      {"library missing", true, false, false, 1, 0},
      {"entry missing", true, true, false, 1, 1},
      {"system folder unknown", false, true, true, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    m.systemDirectory = u"C:\\S";
    if (row.library) m.AddLibrary(u"C:\\S\\shfolder.dll", row.entry ? std::set<std::string>{"SHGetFolderPathW"} : std::set<std::string>{});
    if (!row.systemFolder) layer.Inject({Call::GetSystemDirectoryW, 0, 100});
    {
      DFC::DFCEnvironment environment;
      EXPECT_EQ(environment.configInfo().getFolderPath(), nullptr);
      EXPECT_EQ(environment.configInfo().folderLibrary() != nullptr, row.library && row.systemFolder);
    }
    EXPECT_EQ(layer.CallCount(Call::LoadLibraryExW), row.loads);
    EXPECT_EQ(layer.CallCount(Call::FreeLibrary), row.frees);
    EXPECT_EQ(m.OpenResources(), std::vector<std::string>());
  }
}

TEST_F(Environment, Names) {
  struct Row {
    const char* name;
    const char16_t* computerName;  // null: GetComputerNameW fails
    const char16_t* netBios;
    const char16_t* dnsHost;
    const char16_t* physicalDnsHost;
    const char16_t* expectNetBios;
    const char16_t* expectDnsHost;
  };
  const Row rows[] = {
      {"same names are dropped", u"WS1", u"WS1", u"ws1", u"ws1", u"", u""},
      {"case counts", u"WS1", u"ws1", u"WS1", u"ws1", u"ws1", u"WS1"},
      {"no computer name keeps the NetBIOS name", nullptr, u"WS1", u"ws1", u"ws1", u"WS1", u""},
      {"a failed query stays empty", u"WS1", nullptr, nullptr, u"ws1", u"", u""},
      {"an empty computer name", u"", u"WS1", u"ws1", u"ws1", u"WS1", u""},
      {"a one-letter computer name", u"A", u"A", u"ws1", u"ws1", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    if (row.computerName) {
      m.computerName = row.computerName;
    } else {
      layer.Inject({Call::GetComputerNameW});
    }
    m.computerNamesEx.erase(win::ComputerNameNetBIOS);
    m.computerNamesEx.erase(win::ComputerNameDnsHostname);
    if (row.netBios) m.computerNamesEx[win::ComputerNameNetBIOS] = row.netBios;
    if (row.dnsHost) m.computerNamesEx[win::ComputerNameDnsHostname] = row.dnsHost;
    m.computerNamesEx[win::ComputerNamePhysicalDnsHostname] = row.physicalDnsHost;
    DFC::NameInfo names;
    EXPECT_EQ(names.computerName(), row.computerName ? row.computerName : u"");
    EXPECT_EQ(names.netBiosName(), row.expectNetBios);
    EXPECT_EQ(names.dnsHostName(), row.expectDnsHost);
    EXPECT_EQ(names.physicalDnsHostName(), row.physicalDnsHost);
    EXPECT_EQ(names.physicalDnsDomain(), u"corp.example");
    EXPECT_EQ(names.physicalDnsFullyQualifiedName(), u"ws-0042.corp.example");
  }
  // A name the platform delivers empty stays empty.
  machine.computerNamesEx[win::ComputerNamePhysicalDnsDomain] = u"";
  EXPECT_EQ(DFC::NameInfo().physicalDnsDomain(), u"");
}

// A failed query leaves its own member empty, not the text of the call before.
TEST_F(Environment, FailedNameQueryLeavesNoTextBehind) {
  faults.Inject({Call::GetComputerNameExW, 1});  // the physical DNS domain
  DFC::NameInfo names;
  EXPECT_EQ(names.physicalDnsHostName(), u"ws-0042");
  EXPECT_EQ(names.physicalDnsDomain(), u"");
  EXPECT_EQ(names.physicalDnsFullyQualifiedName(), u"ws-0042.corp.example");
}

TEST_F(Environment, BelowVersionFiveOnlyTheComputerName) {
  struct Row {
    win::DWORD major;
    int nameQueries;
  };
  for (Row row : {Row{4, 0}, Row{5, 5}, Row{6, 5}}) {
    SCOPED_TRACE(row.major);
    machine.os.major = row.major;
    int before = faults.CallCount(Call::GetComputerNameExW);
    DFC::NameInfo names;
    EXPECT_EQ(names.computerName(), u"WS-0042");
    EXPECT_EQ(names.physicalDnsHostName(), row.nameQueries ? u"ws-0042" : u"");
    EXPECT_EQ(names.netBiosName(), u"");  // the same as the computer name
    EXPECT_EQ(faults.CallCount(Call::GetComputerNameExW) - before, row.nameQueries);
  }
}

TEST_F(Environment, ModulePath) {
  struct Row {
    std::u16string path;
    std::u16string expected;
  };
  std::u16string longPath = u"C:\\" + std::u16string(2100, u'a') + u"\\.\\Setup.exe";
  const Row rows[] = {
      {u"C:\\Setup\\.\\Setup.exe", u"C:\\Setup\\Setup.exe"},
      {u"C:\\a\\.\\.\\.\\b\\Setup.exe", u"C:\\a\\b\\Setup.exe"},
      {u"C:\\a\\..\\b\\Setup.exe", u"C:\\a\\..\\b\\Setup.exe"},
      {u"C:\\Mixed\\Case\\SETUP.exe", u"C:\\Mixed\\Case\\SETUP.exe"},
      {u".\\Setup.exe", u".\\Setup.exe"},
      {u"C:\\a\\.", u"C:\\a\\."},
      {u"X", u"X"},
      {u"C:\\a\\.\\\\.\\b", u"C:\\a\\\\b"},
      {longPath, longPath.substr(0, 2047)},
      // Cut to 2,047 units first, then normalised: 2,045 units remain.
      {u"C:\\.\\" + std::u16string(2100, u'a'), u"C:\\" + std::u16string(2042, u'a')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::Narrow(row.path.substr(0, 40)));
    machine.modulePath = row.path;
    DFC::ProcessInfo process;
    EXPECT_EQ(process.modulePath(), row.expected);
    EXPECT_NE(process.moduleHandle(), nullptr);
  }
  faults.Inject({Call::GetModuleFileNameW});
  DFC::ProcessInfo failed;
  EXPECT_EQ(failed.modulePath(), u"");
  EXPECT_NE(failed.moduleHandle(), nullptr);
}

// An allocation failure anywhere in the snapshot destroys what was built, frees
// the library, and stops the run before anything is read or started.
TEST(EnvironmentAllocation, FailureWhileBuildingStopsTheRun) {
  // Each attempt on a fresh machine, measured after the machine is gone, so
  // that only what the snapshot itself left behind counts.
  auto attempt = [](long failAt, ResultCode* entryResult) {
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    m.commandLine = u"Setup.exe /x /a:b c";
    long before = alloc::Made();
    if (failAt >= 0) alloc::FailAt(failAt);
    if (entryResult != nullptr) {
      *entryResult = SetupMain(0, nullptr);
    } else if (failAt >= 0) {
      EXPECT_THROW(DFC::DFCEnvironment environment, std::bad_alloc);
    } else {
      DFC::DFCEnvironment environment;
    }
    alloc::Disarm();
    EXPECT_EQ(m.OpenResources(), std::vector<std::string>());
    if (entryResult != nullptr) {
      EXPECT_EQ(layer.CallCount(Call::CommandLineToArgvW), 0);
      EXPECT_EQ(layer.CallCount(Call::RegOpenKeyExW), 0);
      EXPECT_TRUE(m.starts.empty());
    }
    return alloc::Made() - before;
  };
  long allocations = attempt(-1, nullptr);
  ASSERT_GT(allocations, 5);
  for (long n = 0; n < allocations; ++n) {
    SCOPED_TRACE(n);
    long outstanding = alloc::Outstanding();
    attempt(n, nullptr);
    EXPECT_EQ(alloc::Outstanding(), outstanding);
  }
  // Through the entry, which makes the snapshot on the heap (one allocation
  // more, first): the same failure is an environment error, and the run goes
  // no further.
  for (long n : {0L, 1L, allocations / 2, allocations}) {
    SCOPED_TRACE(n);
    ResultCode result = 0;
    attempt(n, &result);
    EXPECT_EQ(result, RESULT_ENVIRONMENT_ERROR);
  }
}

TEST(OSInfo, FailedQueryLeavesAZeroRecordOfSize284) {
  sim::Machine m;
  faults::FaultApi layer(m);
  win::ScopedSys use(layer);
  layer.Inject({Call::GetVersionExW});
  DFC::OSInfo os;
  const auto& r = os.versionRecord();
  EXPECT_EQ(r.dwOSVersionInfoSize, 284u);
  EXPECT_EQ(r.dwMajorVersion, 0u);
  EXPECT_EQ(r.dwPlatformId, 0u);
  EXPECT_EQ(r.wProductType, 0);
  EXPECT_FALSE(os.IsSupportedVersion());
}

}  // namespace
