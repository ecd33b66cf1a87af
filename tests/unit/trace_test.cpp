// The diagnostic trace: its line format, and the lines of each path of a scan.
#include "sim_test.h"
#include "uninstall/trace.h"
#include "uninstall/uninstall_scanner.h"

namespace {

using Lines = std::vector<std::u16string>;

const std::u16string kCode = u"{AAAAAAAA-1111-2222-3333-444444444444}";
const std::u16string kRule = std::u16string(55, u'-');

class Trace : public SimTest {
 protected:
  // Every line as written, each followed by its separate line feed.
  Lines Written() const {
    Lines lines;
    for (size_t i = 0; i < machine.debugOutput.size(); i += 2) {
      lines.push_back(machine.debugOutput[i]);
      EXPECT_LT(i + 1, machine.debugOutput.size());
      if (i + 1 < machine.debugOutput.size()) {
        EXPECT_EQ(machine.debugOutput[i + 1], u"\n");
      }
    }
    return lines;
  }
  bool Scan(bool forceDelete = false) {
    UninstallScanner scanner(true);
    scanner.setTraceEnabled(true);
    scanner.setForceDelete(forceDelete);
    return scanner.ScanAndRemove();
  }
};

TEST_F(Trace, StatusField) {
  struct Row {
    win::LONG status;
    const char16_t* message;
    const char16_t* line;
  };
  const Row rows[] = {
      {0, u"Force delete registry", u"Force delete registry"},
      {2, u"fail in RegOpenKeyEx()", u"fail in RegOpenKeyEx() (0x00000002)"},
      {42, u"m", u"m (0x0000002a)"},
      {-1, u"m", u"m (0xffffffff)"},
      {static_cast<win::LONG>(0x80000000), u"m", u"m (0x80000000)"},
      {0x1234abcd, u"m", u"m (0x1234abcd)"},
      {5, u"", u" (0x00000005)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status);
    machine.debugOutput.clear();
    WriteTrace(row.status, row.message);
    EXPECT_EQ(machine.debugOutput, (Lines{row.line, u"\n"}));
  }
}

TEST_F(Trace, OpenFailure) {
  faults.Inject({win::Call::RegOpenKeyExW, 0, 1, win::ERROR_FILE_NOT_FOUND});
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Written(), (Lines{u"fail in RegOpenKeyEx() (0x00000002)", u"regHive : " + kUninstallKey}));
}

TEST_F(Trace, CountFailure) {
  faults.Inject({win::Call::RegQueryInfoKeyW, 0, 1, 6});
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Written(), (Lines{u"fail in RegQueryInfoKey() (0x00000006)"}));
}

TEST_F(Trace, EntriesThenUninstall) {
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\A", u"DisplayName", u"Other");
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\B", u"UninstallString", u"no name");
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCode, u"DisplayName",
                    u"Pellworth");
  machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
  EXPECT_TRUE(Scan());
  EXPECT_EQ(Written(), (Lines{
                           kRule,
                           u"DisplayName     : Other",
                           u"UninstallString : ",
                           kRule,
                           u"DisplayName     : Pellworth",
                           u"UninstallString : ",
                           u"Execute string is  : MsiExec.exe",
                           u"Argument string is :  /x" + kCode + u" /qn REBOOT=ReallySuppress",
                           u"Execute uninstall",
                       }));
}

TEST_F(Trace, RefusedUninstallShowsTheStartResult) {
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCode, u"DisplayName",
                    u"Pellworth");
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCode, u"UninstallString", u"u");
  machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
  machine.shellExecuteResult = 5;
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Written().back(), u"Execute uninstall (0x00000005)");
  machine.processes.refusalError = 1223;  // consent refused: the reason, not hInstApp
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Written().back(), u"Execute uninstall (0x000004c7)");
  EXPECT_EQ(Written()[2], u"UninstallString : u");
}

// When the system folder is unknown nothing is started, and the line has no status.
TEST_F(Trace, UnknownSystemFolderTracesNoStatus) {
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCode, u"DisplayName",
                    u"Pellworth");
  faults.Inject({win::Call::GetSystemDirectoryW});
  EXPECT_FALSE(Scan());
  EXPECT_EQ(Written().back(), u"Execute uninstall");
}

TEST_F(Trace, ForceDelete) {
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\P", u"DisplayName", u"Pellworth");
  EXPECT_TRUE(Scan(true));
  EXPECT_EQ(Written(), (Lines{kRule, u"DisplayName     : Pellworth", u"UninstallString : ",
                              u"Force delete registry"}));
  machine.debugOutput.clear();
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\P", u"DisplayName", u"Pellworth");
  faults.Inject({win::Call::RegDeleteKeyW, 0, 1, win::ERROR_ACCESS_DENIED});
  EXPECT_FALSE(Scan(true));
  EXPECT_EQ(Written().back(), u"fail in RegDeleteKeyEx() (0x00000005)");
}

TEST_F(Trace, SilentWhenOff) {
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\P", u"DisplayName", u"Pellworth");
  machine.SetString(win::HKeyLocalMachine(), kUninstallKey + u"\\" + kCode, u"DisplayName",
                    u"Pellworth");
  machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
  {
    UninstallScanner scanner(true);
    EXPECT_TRUE(scanner.ScanAndRemove());
  }
  faults.Inject({win::Call::RegOpenKeyExW, 0, 1, 2});
  {
    UninstallScanner scanner(true);
    EXPECT_FALSE(scanner.ScanAndRemove());
  }
  EXPECT_TRUE(machine.debugOutput.empty());
}

}  // namespace
