// The Uninstall-entry scan, the uninstall start and the forced removal.
#include "setup/entry.h"
#include "sim_test.h"
#include "uninstall/uninstall_scanner.h"

namespace {

const std::u16string kCodeA = u"{AAAAAAAA-1111-2222-3333-444444444444}";
const std::u16string kCodeB = u"{BBBBBBBB-1111-2222-3333-444444444444}";

class UninstallScan : public SimTest {
 protected:
  void Entry(const std::u16string& name, const std::u16string& displayName,
             bool withUninstallString = true) {
    machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + name, u"DisplayName",
                      displayName);
    if (withUninstallString)
      machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + name, u"UninstallString",
                        u"MsiExec.exe /X" + name);
  }
  void MsiExecExists() { machine.Script(machine.SystemFile(u"MsiExec.exe"), {}); }
  std::vector<std::u16string> StartedParameters() const {
    std::vector<std::u16string> out;
    for (const auto& s : machine.starts) out.push_back(s.parameters);
    return out;
  }
};

TEST_F(UninstallScan, EmptyUninstallKeyCompletesWithoutLaunch) {
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_TRUE(scanner.completedWithoutLaunch());
}

TEST_F(UninstallScan, NearMissesDoNotMatch) {
  MsiExecExists();
  Entry(u"{00000000-0000-0000-0000-000000000001}", u"pellworth");
  Entry(u"{00000000-0000-0000-0000-000000000002}", u"Pellworth ");
  Entry(u"{00000000-0000-0000-0000-000000000003}", u" Pellworth");
  Entry(u"{00000000-0000-0000-0000-000000000004}", u"PELLWORTH");
  // An extra NUL inside the stored data stays part of the name.
  machine.SetValue(win::HKeyLocalMachine(), kUninstallKey + u"\\{00000000-0000-0000-0000-000000000005}",
                   u"DisplayName", win::REG_SZ, sim::Utf16Bytes(u"Pellworth", 2));
  // A name of another type reads as empty text.
  machine.SetValue(win::HKeyLocalMachine(), kUninstallKey + u"\\{00000000-0000-0000-0000-000000000006}",
                   u"DisplayName", win::REG_EXPAND_SZ, sim::Utf16Bytes(u"Pellworth"));
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_TRUE(scanner.completedWithoutLaunch());
  EXPECT_TRUE(machine.starts.empty());
  EXPECT_EQ(faults.CallCount(win::Call::RegEnumKeyExW), 6);
}

TEST_F(UninstallScan, FirstMatchingProductCodeIsUninstalledAndTheScanEnds) {
  MsiExecExists();
  Entry(kCodeB, u"Pellworth");
  Entry(kCodeA, u"Pellworth");
  Entry(u"{CCCCCCCC-1111-2222-3333-444444444444}", u"Other");
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_FALSE(scanner.completedWithoutLaunch());
  // Enumeration order is the registry's: A before B.
  EXPECT_EQ(StartedParameters(), std::vector<std::u16string>{u" /x" + kCodeA + u" /qn REBOOT=ReallySuppress"});
  EXPECT_EQ(faults.CallCount(win::Call::RegEnumKeyExW), 1);
  const sim::ProcessStart& s = machine.starts[0];
  EXPECT_EQ(s.recordSize, sizeof(win::SHELLEXECUTEINFOW));
  // Not held, no error box, and complete before the call returns.
  EXPECT_EQ(s.mask, win::SEE_MASK_FLAG_NO_UI | win::SEE_MASK_NOASYNC);
  EXPECT_EQ(s.file, machine.SystemFile(u"MsiExec.exe"));
  EXPECT_EQ(s.verb, u"runas");
  EXPECT_FALSE(s.hasOwner);
  EXPECT_FALSE(s.hasDirectory);
  EXPECT_EQ(s.show, win::SW_SHOWNORMAL);
}

TEST_F(UninstallScan, EntryWithoutProductCodeNameIsPassedOver) {
  MsiExecExists();
  Entry(u"Pellworth", u"Pellworth");  // a decoy, enumerated first
  Entry(kCodeB, u"Pellworth");
  Entry(u"{CCCCCCCC-1111-2222-3333-444444444444}", u"Pellworth");  // never reached
  UninstallScanner scanner(false);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_EQ(StartedParameters(), std::vector<std::u16string>{u" /x" + kCodeB + u" /qn REBOOT=ReallySuppress"});
  EXPECT_FALSE(machine.starts[0].hasVerb);  // the default verb
  // A dry scan takes the same entry and starts nothing, and lists every match
  // in order, each with its form and whether it is the one taken.
  UninstallScanner dry(false);
  dry.setDryRun(true);
  EXPECT_TRUE(dry.ScanAndRemove());
  EXPECT_FALSE(dry.completedWithoutLaunch());
  EXPECT_EQ(machine.starts.size(), 1u);
  std::vector<std::u16string> listed;
  for (const UninstallMatch& m : dry.matches())
    listed.push_back(m.keyName + (m.productCode ? u" code" : u"") + (m.taken ? u" taken" : u""));
  EXPECT_EQ(listed, (std::vector<std::u16string>{u"Pellworth", kCodeB + u" code taken",
                                                 u"{CCCCCCCC-1111-2222-3333-444444444444} code"}));
  EXPECT_EQ(dry.plannedStart().parameters, machine.starts[0].parameters);
  EXPECT_EQ(dry.plannedStart().program, machine.starts[0].file);
}

TEST_F(UninstallScan, OnlyNonProductCodeMatchCompletesWithoutLaunch) {
  Entry(u"Pellworth", u"Pellworth");
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_TRUE(scanner.completedWithoutLaunch());
  EXPECT_TRUE(machine.starts.empty());
}

TEST_F(UninstallScan, MatchWithoutUninstallStringIsHandled) {
  MsiExecExists();
  Entry(kCodeA, u"Pellworth", false);
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_EQ(machine.starts.size(), 1u);
}

TEST_F(UninstallScan, EntryWithoutDisplayNameIsPassedOver) {
  MsiExecExists();
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCodeA, u"UninstallString", u"x");
  Entry(kCodeB, u"Pellworth");
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_EQ(StartedParameters(), std::vector<std::u16string>{u" /x" + kCodeB + u" /qn REBOOT=ReallySuppress"});
}

// An index that fails to enumerate (the subkey vanished since the count) is
// passed over, and the scan goes on with the next: at the end, and in the middle.
TEST_F(UninstallScan, SubkeyVanishingAfterTheCountIsPassedOver) {
  MsiExecExists();
  Entry(kCodeA, u"Other");
  Entry(kCodeB, u"Pellworth");
  faults.Inject({win::Call::RegEnumKeyExW, 1, 1, win::ERROR_NO_MORE_ITEMS});
  {
    UninstallScanner scanner(true);
    EXPECT_TRUE(scanner.ScanAndRemove());
    EXPECT_TRUE(scanner.completedWithoutLaunch());
    EXPECT_EQ(faults.CallCount(win::Call::RegEnumKeyExW), 2);
  }
  faults.Inject({win::Call::RegEnumKeyExW, 0, 1, win::ERROR_NO_MORE_ITEMS});
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_FALSE(scanner.completedWithoutLaunch());
  EXPECT_EQ(StartedParameters(), std::vector<std::u16string>{u" /x" + kCodeB + u" /qn REBOOT=ReallySuppress"});
}

TEST_F(UninstallScan, UnreadableUninstallKeyFails) {
  struct Row {
    const char* name;
    faults::Fault fault;
  };
  for (const Row& row : {Row{"open", {win::Call::RegOpenKeyExW, 0, 1, win::ERROR_ACCESS_DENIED}},
                         Row{"count", {win::Call::RegQueryInfoKeyW, 0, 1, 5}}}) {
    SCOPED_TRACE(row.name);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    layer.Inject(row.fault);
    {
      UninstallScanner scanner(true);
      EXPECT_FALSE(scanner.ScanAndRemove());
      EXPECT_FALSE(scanner.completedWithoutLaunch());
    }
    EXPECT_EQ(m.OpenResources(), std::vector<std::string>()) << m.Dump();
  }
}

TEST_F(UninstallScan, MissingUninstallKeyFails) {
  machine.DeleteTree(win::HKeyLocalMachine(), kUninstallKey);
  UninstallScanner scanner(true);
  EXPECT_FALSE(scanner.ScanAndRemove());
}

TEST_F(UninstallScan, KeyStaysOpenUntilTheScannerGoes) {
  {
    UninstallScanner scanner(true);
    EXPECT_FALSE(scanner.completedWithoutLaunch());  // nothing said before a scan
    EXPECT_TRUE(scanner.ScanAndRemove());
    EXPECT_EQ(machine.OpenResources().size(), 1u);
  }
  EXPECT_TRUE(machine.OpenResources().empty());
}

TEST_F(UninstallScan, KeyIsClosedWhenAnExceptionLeavesTheScan) {
  Entry(kCodeA, u"Pellworth");
  faults.Inject({win::Call::RegQueryValueExW, 0, 1, 0, true});
  UninstallScanner scanner(true);
  EXPECT_THROW(static_cast<void>(scanner.ScanAndRemove()), std::bad_alloc);
  // The fixture checks, after the scanner is gone, that the key was closed.
}

TEST_F(UninstallScan, RefusedStartFails) {
  Entry(kCodeA, u"Pellworth");
  MsiExecExists();
  for (std::uintptr_t refused : {0u, 5u, 32u}) {
    SCOPED_TRACE(refused);
    machine.shellExecuteResult = refused;
    UninstallScanner scanner(true);
    EXPECT_FALSE(scanner.ScanAndRemove());
    EXPECT_FALSE(scanner.completedWithoutLaunch());
  }
  machine.shellExecuteResult = 33;
  UninstallScanner scanner(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
}

TEST_F(UninstallScan, UnknownSystemFolderRefusesTheStart) {
  Entry(kCodeA, u"Pellworth");
  MsiExecExists();
  faults.Inject({win::Call::GetSystemDirectoryW});
  UninstallScanner scanner(true);
  EXPECT_FALSE(scanner.ScanAndRemove());
  EXPECT_TRUE(machine.starts.empty());
  // A dry scan tells the same: the removal would fail.
  faults.Inject({win::Call::GetSystemDirectoryW});
  UninstallScanner dry(true);
  dry.setDryRun(true);
  EXPECT_FALSE(dry.ScanAndRemove());
}

TEST_F(UninstallScan, UiLevels) {
  Entry(kCodeA, u"Pellworth");
  MsiExecExists();
  const std::pair<win::LONG, const char16_t*> rows[] = {
      {0, u""}, {1, u" /qn"}, {2, u" /qn+"}, {3, u" /qb"}, {4, u" /qb+"}, {5, u" /qf"}, {6, u""},
      {-1, u""}};
  for (const auto& [level, suffix] : rows) {
    SCOPED_TRACE(level);
    machine.starts.clear();
    UninstallScanner scanner(true);
    scanner.setUiLevel(level);
    EXPECT_TRUE(scanner.ScanAndRemove());
    // Every level suppresses every restart: none is ever the removal's to make.
    EXPECT_EQ(StartedParameters(),
              std::vector<std::u16string>{u" /x" + kCodeA + suffix + u" REBOOT=ReallySuppress"});
  }
  // The levels the entry never sets end on a modal box (/qn+, /qb, /qb+, /qf):
  // the uninstall is not waited for, but nobody could close it in session 0.
  EXPECT_EQ(machine.processes.modalBoxes, 4);
  machine.processes.modalBoxes = 0;
}

TEST_F(UninstallScan, ForceDeleteRemovesTheFirstMatchWhateverItsName) {
  Entry(u"Pellworth", u"Pellworth");
  Entry(kCodeA, u"Pellworth");
  UninstallScanner scanner(true);
  scanner.setForceDelete(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_TRUE(scanner.completedWithoutLaunch());
  EXPECT_TRUE(machine.starts.empty());
  EXPECT_FALSE(machine.KeyExists(win::HKeyLocalMachine(), kUninstallKey + u"\\Pellworth"));
  EXPECT_TRUE(machine.KeyExists(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCodeA));
}

// A key name of 255 units, the registry's longest, is read whole.
TEST_F(UninstallScan, LongestKeyNameIsRead) {
  const std::u16string name(255, u'k');
  Entry(name, u"Pellworth");
  UninstallScanner scanner(true);
  scanner.setForceDelete(true);
  EXPECT_TRUE(scanner.ScanAndRemove());
  EXPECT_FALSE(machine.KeyExists(win::HKeyLocalMachine(), kUninstallKey + u"\\" + name));
  // Names are read into 256 units: the longest name and its terminator.
  EXPECT_EQ(machine.registry.enumNameChars, std::vector<win::DWORD>{256});
}

TEST_F(UninstallScan, ForceDeleteFailureFails) {
  Entry(kCodeA, u"Pellworth");
  // The deletion is not recursive: a key with a subkey cannot go.
  machine.CreateKey(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCodeA + u"\\Child");
  UninstallScanner scanner(true);
  scanner.setForceDelete(true);
  EXPECT_FALSE(scanner.ScanAndRemove());
  EXPECT_TRUE(machine.KeyExists(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCodeA));
}

TEST(ProductCodeForm, Boundaries) {
  struct Row {
    const char16_t* name;
    bool expected;
  };
  const Row rows[] = {
      {u"{AAAAAAAA-1111-2222-3333-444444444444}", true},
      {u"{zzzzzzzz-xxxx-....-    -############}", true},  // only the punctuation counts
      {u"{AAAAAAAA-1111-2222-3333-444444444444}.1", true},  // more after position 37
      {u"{AAAAAAAA-1111-2222-3333-44444444444}", false},    // 37 units
      {u"{AAAAAAAA-1111-2222-3333-4444444444444", false},   // no closing brace
      {u"AAAAAAAAA-1111-2222-3333-444444444444}", false},
      {u"{AAAAAAA-A1111-2222-3333-444444444444}", false},   // hyphen moved by one
      {u"{AAAAAAAA-111-12222-3333-444444444444}", false},
      {u"{AAAAAAAA-1111-222-23333-444444444444}", false},
      {u"{AAAAAAAA-1111-2222-333-3444444444444}", false},
      {u"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Show(row.name));
    EXPECT_EQ(IsProductCodeForm(row.name), row.expected);
  }
}

// The driver's three results of the removal road, plain and strict.
class RemovalRoad : public UninstallScan {
 protected:
  ResultCode Run(const std::u16string& arguments) {
    CommandLine(arguments);
    return SetupMain(0, nullptr);
  }
};

TEST_F(RemovalRoad, Results) {
  EXPECT_EQ(Run(u"/x"), RESULT_SUCCESS);
  EXPECT_EQ(Run(u"/x:"), RESULT_SUCCESS);
  EXPECT_EQ(Run(u"/x:Strict"), RESULT_STRICT_NOTHING_LAUNCHED);
  EXPECT_EQ(Run(u"/qn /x:Strict"), RESULT_STRICT_NOTHING_LAUNCHED);
  MsiExecExists();
  Entry(kCodeA, u"Pellworth");
  EXPECT_EQ(Run(u"/x:Strict"), RESULT_SUCCESS);
  EXPECT_EQ(Run(u"/x"), RESULT_SUCCESS);
  machine.shellExecuteResult = 5;
  EXPECT_EQ(Run(u"/x:Strict"), RESULT_REMOVAL_FAILED);
  EXPECT_EQ(Run(u"/x"), RESULT_REMOVAL_FAILED);
  machine.DenyAccess(win::HKeyLocalMachine(), kUninstallKey);
  EXPECT_EQ(Run(u"/x"), RESULT_REMOVAL_FAILED);
  // The removal road needs no PAT and never starts msiexec for an install.
  for (const auto& s : machine.starts) EXPECT_EQ(s.parameters.rfind(u" /x{", 0), 0u);
  // A start that failed showed no error box.
  EXPECT_EQ(machine.processes.errorBoxes, 0);
}

}  // namespace
