// CheckPackage.exe under Wine on real packages built with wixl: the product's
// own package passes; each broken one gives exactly its finding and exit
// code; and for each class of error, Setup.exe run with that package does
// what the finding says it does.
#include <regex>
#include <sstream>
#include <vector>

#include "e2e/e2e_test.h"

namespace e2e {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class CheckPackageE2E : public ProductTest {
 protected:
  // CheckPackage.exe's run on `package` (a path below C:\work).
  RunResult Check(const std::string& package) {
    return wine.Start("C:\\work\\CheckPackage.exe C:\\work\\" + package);
  }
  // The one finding of `package` that begins with `start`, checked to be its only one.
  std::string Finding(const std::string& package, const std::string& start) {
    RunResult run = Check(package);
    std::vector<std::string> lines = Lines(run.output);
    EXPECT_EQ(lines.size(), 1u) << run.output;
    if (lines.empty() || lines[0].rfind(start, 0) != 0) {
      ADD_FAILURE() << "no finding \"" << start << "\" in: " << run.output;
      return "";
    }
    return lines[0];
  }
  // The code a finding says Setup.exe ends with ("... ends 0x80020643 ...").
  static std::uint32_t ClaimedEnd(const std::string& finding) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(finding, match, std::regex("Setup\\.exe /i .*ends (0x[0-9a-f]{8})")))
        << finding;
    return match.empty() ? 0xFFFFFFFF : std::stoul(match[1], nullptr, 16);
  }
  // Setup.exe /x and /x:Strict return what `finding` says ("returns 0 while it
  // stays installed (1 with /x:Strict)"), and the product's entry named `name`
  // below `root` stays, with its HostID.
  void ExpectRemovalLeavesIt(const std::string& finding, const std::string& root,
                             const std::string& name) {
    std::smatch claim;
    ASSERT_TRUE(std::regex_search(
        finding, claim, std::regex("returns ([0-9]+) while it stays installed \\(([0-9]+) with /x:Strict\\)")))
        << finding;
    ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x"), std::stoul(claim[1]));
    ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x:Strict"), std::stoul(claim[2]));
    wine.WaitForAll();
    EXPECT_EQ(EntriesNamed(root, name), 1);
    EXPECT_TRUE(wine.RegistryValue(kHostIdKey, "HostID"));
  }
  // Setup.exe's install of the mode's twin of `package`.
  RunResult Install(const std::string& package) {
    return wine.Start("C:\\work\\Setup.exe /i:C:\\work\\" + package + " /PAT:H-17");
  }
};

// Each package of the product's processor gives exactly its finding (or none)
// and its exit code, and is left as it was, byte for byte.
TEST_F(CheckPackageE2E, EachBreachGivesItsFinding) {
  struct Row {
    const char* package;
    std::uint32_t code;
    const char* finding;  // the start of the one line, or null for none
  };
  const Row rows[] = {
      {"x86\\pellworth-normal.msi", 0, nullptr},
      {"x86\\pellworth-broken-renamed.msi", 1, "error: ProductName is \"Pellworth 4\", not \"Pellworth\": "},
      {"x86\\pellworth-broken-blank.msi", 1, "error: ProductName is \"Pellworth \", not \"Pellworth\": "},
      {"x86\\pellworth-nohostid.msi", 1, "error: no Registry row writes HostID in HKLM\\SOFTWARE\\Orvel\\TAVRELQ: "},
      {"x86\\pellworth-broken-hkcu.msi", 1, "error: HostID is written below HKCU, not in "},
      // Setup.exe confirms by any readable HostID: a number is worth a look, no more.
      {"x86\\pellworth-broken-number.msi", 0, "warning: HostID is written as a number (REG_DWORD \"#7\"), not as text: "},
      {"x86\\pellworth-broken-peruser.msi", 1, "error: the package installs per user (ALLUSERS is not set): "},
      {"x64\\pellworth-normal.msi", 1,
       "error: the package is not a 32-bit package (template \"x64;1033\", 64-bit components HostId, MainFile): "},
      {"x86\\pellworth-broken-noclear.msi", 1, "error: nothing clears REINSTALL before CostFinalize"},
      {"x86\\pellworth-broken-lateclear.msi", 1,
       "error: REINSTALL is cleared by ClearReinstallOnFirstInstall at 1001, after CostFinalize (1000): "},
      {"x86\\pellworth-broken-alwaysclear.msi", 1,
       "error: REINSTALL is cleared by ClearReinstallOnFirstInstall without the condition NOT Installed: "},
      {"x86\\pellworth-broken-reboot.msi", 0, "warning: the install asks for a restart (ScheduleReboot): "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.package);
    std::string file = wine.HostPath("C:\\work\\" + std::string(row.package));
    std::string before = ReadFile(file);
    ASSERT_FALSE(before.empty());
    RunResult run = Check(row.package);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, row.code);
    EXPECT_EQ(run.errors, "");
    std::vector<std::string> lines = Lines(run.output);
    if (row.finding == nullptr) {
      EXPECT_EQ(run.output, "");
    } else {
      ASSERT_EQ(lines.size(), 1u) << run.output;
      EXPECT_EQ(lines[0].rfind(row.finding, 0), 0u) << lines[0];
    }
    EXPECT_TRUE(ReadFile(file) == before) << "the package changed";
  }
}

TEST_F(CheckPackageE2E, UnreadablePackageGivesTwo) {
  wine.Shell("printf 'not a package\\r\\n' > " + wine.QuotedPath("C:\\work\\text.msi"));
  struct Row {
    const char* arguments;
    const char* message;
  };
  const Row rows[] = {
      {"C:\\work\\absent.msi", "cannot find the file"},
      {"C:\\work\\text.msi", "cannot open the file as a Windows Installer package"},
      {"", "usage: CheckPackage.exe [/ProductCode] PACKAGE.msi"},
      {"/ProductCode C:\\work\\absent.msi", "cannot find the file"},
      {"/productcode C:\\work\\text.msi", "usage: "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    RunResult run = wine.Start(std::string("C:\\work\\CheckPackage.exe ") + row.arguments);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output, "");
    EXPECT_NE(run.errors.find(row.message), std::string::npos) << run.errors;
  }
  EXPECT_EQ(ReadFile(wine.HostPath("C:\\work\\text.msi")), "not a package\r\n");
}

// A renamed product installs and confirms, and then no removal finds it.
TEST_F(CheckPackageE2E, RenamedProductStaysInstalled) {
  std::string finding = Finding("x86\\pellworth-broken-renamed.msi", "error: ProductName");
  ExpectSilentExit(Install("pellworth-broken-renamed.msi"), 0);
  ExpectRemovalLeavesIt(finding, "HKLM", "Pellworth 4");
}

// HostID below HKCU: the install works, and is never confirmed.
TEST_F(CheckPackageE2E, HostIdElsewhereIsNeverConfirmed) {
  std::string finding = Finding("x86\\pellworth-broken-hkcu.msi", "error: HostID is written below HKCU");
  ExpectSilentExit(Install("pellworth-broken-hkcu.msi"), ClaimedEnd(finding));
  EXPECT_EQ(InstalledCount(), 1);
  EXPECT_FALSE(wine.RegistryValue(kHostIdKey, "HostID"));
}

// REINSTALL cleared too late: the first install installs nothing.
TEST_F(CheckPackageE2E, LateReinstallClearingInstallsNothing) {
  std::string finding = Finding("x86\\pellworth-broken-lateclear.msi", "error: REINSTALL");
  ExpectSilentExit(Install("pellworth-broken-lateclear.msi"), ClaimedEnd(finding));
  EXPECT_EQ(InstalledCount(), 0);
  EXPECT_FALSE(wine.RegistryValue(kHostIdKey, "HostID"));
}

// What a warning names is worth a look, no more: Setup.exe installs and
// confirms with such a package, returning 0 as the warning says.
TEST_F(CheckPackageE2E, WarnedPackagesInstallAndConfirm) {
  for (const char* breach : {"number", "reboot"}) {
    SCOPED_TRACE(breach);
    std::string package = std::string("pellworth-broken-") + breach + ".msi";
    EXPECT_NE(Finding("x86\\" + package, "warning: ").find("returns 0"), std::string::npos);
    ExpectSilentExit(Install(package), 0);
    EXPECT_EQ(InstalledCount(), 1);
    RemoveProduct();
  }
}

// A per-user install: Windows writes its Uninstall entry below HKCU. Wine
// writes it below HKLM all the same, so the case moves it where Windows has
// it; Setup.exe's removal then finds nothing, and the product stays.
TEST_F(CheckPackageE2E, PerUserProductStaysInstalled) {
  std::string finding = Finding("x86\\pellworth-broken-peruser.msi", "error: the package installs per user");
  ExpectSilentExit(Install("pellworth-broken-peruser.msi"), 0);
  ASSERT_EQ(InstalledCount(), 1);
  std::string code;
  wine.Shell(ListEntries("HKLM"), &code);
  code = Lines(code).empty() ? "" : Lines(code)[0];
  ASSERT_FALSE(code.empty());
  std::string key = std::string(kUninstallKey) + "\\" + code;
  ASSERT_EQ(wine.Shell("wine_exec reg copy 'HKLM\\" + key + "' 'HKCU\\" + key +
                       "' /s /f >/dev/null 2>&1 && wine_exec reg delete 'HKLM\\" + key +
                       "' /f >/dev/null 2>&1"),
            0);
  ASSERT_EQ(EntriesNamed("HKCU", "Pellworth"), 1);
  ExpectRemovalLeavesIt(finding, "HKCU", "Pellworth");
}

// A 64-bit package on 32-bit Windows, the only Windows Setup.exe runs on.
TEST_F(CheckPackageE2E, SixtyFourBitPackageIsRefused) {
  E2E_ONLY_WHERE_32_BIT_PROGRAMS_RUN("a 32-bit prefix, whose installer refuses a 64-bit package");
  std::string finding = Finding("x64\\pellworth-normal.msi", "error: the package is not a 32-bit package");
  ExpectSilentExit(Install("x64\\pellworth-normal.msi"), ClaimedEnd(finding));
  EXPECT_EQ(InstalledCount(), 0);
}

}  // namespace
}  // namespace e2e
