// The real removal road: Setup.exe /x starts the product's uninstall.
#include "e2e/e2e_test.h"

namespace e2e {
namespace {

class RemovalE2E : public ProductTest {
 protected:
  void Install() {
    ExpectSilentExit(
        wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-9"), 0);
    ASSERT_EQ(InstalledCount(), 1);
  }
};

// The uninstall is started with every restart suppressed (Wine's exec trace
// shows its line): it never restarts the machine, nor asks to.
TEST_F(RemovalE2E, RemovesTheInstalledProduct) {
  Install();
  RunResult run = wine.StartWith("WINEDEBUG=trace+exec", "C:\\work\\Setup.exe /x", "C:\\work");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0));
  EXPECT_EQ(run.output, "");
  EXPECT_NE(run.errors.find("} /qn REBOOT=ReallySuppress\""), std::string::npos) << run.errors;
  wine.WaitForAll();  // Setup.exe does not wait for the uninstall it started
  EXPECT_EQ(InstalledCount(), 0);
  EXPECT_FALSE(wine.RegistryValue(kHostIdKey, "HostID"));
  EXPECT_FALSE(wine.FileExists("C:\\Program Files\\Pellworth\\pellworth.txt"));
}

TEST_F(RemovalE2E, NothingInstalled) {
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x:Strict"), 1);
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x"), 0);
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x:"), 0);
}

TEST_F(RemovalE2E, StrictRemovalThatStartsAnUninstall) {
  Install();
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x:Strict"), 0);
  wine.WaitForAll();
  EXPECT_EQ(InstalledCount(), 0);
}

// An entry named like the product but not keyed by a product code is passed
// over; the real product behind it is removed.
TEST_F(RemovalE2E, DecoyEntryIsPassedOver) {
  Install();
  std::string decoy = std::string("HKLM\\") + kUninstallKey + "\\AAA Pellworth decoy";
  wine.Shell("wine_exec reg add '" + decoy + "' /v DisplayName /d Pellworth /f >/dev/null 2>&1");
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x"), 0);
  wine.WaitForAll();
  EXPECT_EQ(InstalledCount(), 1);  // the decoy alone is left
  EXPECT_TRUE(wine.RegistryKeyExists(std::string(kUninstallKey) + "\\AAA Pellworth decoy"));
  EXPECT_FALSE(wine.RegistryValue(kHostIdKey, "HostID"));
  wine.Shell("wine_exec reg delete '" + decoy + "' /f >/dev/null 2>&1");
}

// Over an installed product, a passed-through value or log path holding /x is
// an install like any other: it repairs, and the product stays.
TEST_F(RemovalE2E, PassedThroughSlashXRepairsTheInstalledProduct) {
  Install();
  struct Row {
    const char* arguments;
    const char* hostId;
  };
  const Row rows[] = {
      // Wine's msiexec refuses a repair into a folder written with forward
      // slashes (1603, as a direct run shows): the HostID of the install
      // before confirms the run, as designed, and the product stays.
      {"/PAT:H-11 INSTALLDIR=C:/xapps/Pellworth", "H-9"},
      {"/PAT:H-12 COMMENTS=C:/xapps/Pellworth", "H-12"},
      {"/PAT:H-13 /L*V C:/xlog.txt", "H-13"},
      {"/PAT:H-14 SERVERURL=http://x:8080/api", "H-14"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    std::string line = "C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi ";
    ExpectSilentExit(wine.Start(line + row.arguments), 0);
    wine.WaitForAll();
    EXPECT_EQ(InstalledCount(), 1);
    EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), row.hostId);
  }
  EXPECT_TRUE(wine.FileExists("C:\\xlog.txt"));
  wine.Shell("rm -f " + wine.QuotedPath("C:\\xlog.txt"));
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /x"), 0);
  wine.WaitForAll();
  EXPECT_EQ(InstalledCount(), 0);
}

// A log path with forward slashes is a value, not a removal switch.
TEST_F(RemovalE2E, ForwardSlashLogPathStillInstalls) {
  wine.Shell("mkdir -p " + wine.QuotedPath("C:\\work\\xlogs"));
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-10 "
                              "/log:C:/work/xlogs/s.log"),
                   0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "H-10");
  EXPECT_TRUE(wine.FileExists("C:\\work\\xlogs\\s.log"));
}

}  // namespace
}  // namespace e2e
