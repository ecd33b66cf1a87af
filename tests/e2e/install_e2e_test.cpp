// The real install road: Setup.exe, msiexec and the demo packages under Wine.
#include "e2e/e2e_test.h"

#include <vector>

namespace e2e {
namespace {

class InstallE2E : public ProductTest {};

TEST_F(InstallE2E, InstallThenRepair) {
  RunResult run = wine.Start(
      "C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-1001 /log:C:\\work\\i.log");
  ExpectSilentExit(run, 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "H-1001");
  EXPECT_TRUE(wine.FileExists("C:\\work\\i.log"));
  EXPECT_TRUE(wine.FileExists("C:\\Program Files\\Pellworth\\pellworth.txt"));
  EXPECT_EQ(InstalledCount(), 1);
  // The same command line again repairs: the product rewrites its HostID.
  run = wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-1002");
  ExpectSilentExit(run, 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "H-1002");
  EXPECT_EQ(InstalledCount(), 1);
}

TEST_F(InstallE2E, DefaultLogAndDefaultPackageInTheCurrentFolder) {
  wine.Shell("cp " + wine.QuotedPath("C:\\work\\pellworth-normal.msi") + " " +
             wine.QuotedPath("C:\\work\\Setup.msi"));
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /PAT:H-2 /log"), 0);
  EXPECT_TRUE(wine.FileExists("C:\\work\\dulvinstaller.log"));
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "H-2");
}

TEST_F(InstallE2E, InstallDirWithASpace) {
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-3 "
                              "\"INSTALLDIR=C:\\Pell Dir\\Pellworth\""),
                   0);
  EXPECT_TRUE(wine.FileExists("C:\\Pell Dir\\Pellworth\\pellworth.txt"));
  wine.Shell("rm -rf " + wine.QuotedPath("C:\\Pell Dir"));
}

// "/log" further in than the start is no switch: the value reaches the
// installer. A passed-through PAT shows it in HostID; INSTALLDIR=C:/logs/...
// must do what a direct msiexec run does with it (Wine's 32-bit msiexec
// installs there; its 64-bit one fails a folder written with forward
// slashes, 1603, in a direct run too).
TEST_F(InstallE2E, PropertyValueHoldingALogSwitchIsPassedThrough) {
  const std::string setup = "C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi ";
  ExpectSilentExit(wine.Start(setup + "/PAT:q0 PAT=C:/logs/q1"), 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "C:/logs/q1");
  RemoveProduct();

  const char* installed = "C:\\logs\\Pellworth\\pellworth.txt";
  RunResult direct = wine.Start("C:\\windows\\system32\\msiexec.exe PAT=q2 "
                                "INSTALLDIR=C:/logs/Pellworth /i C:\\work\\pellworth-normal.msi /quiet");
  ASSERT_TRUE(direct.finished);
  bool directInstalled = wine.FileExists(installed);
  RemoveProduct();
  wine.Shell("rm -rf " + wine.QuotedPath("C:\\logs"));
  ExpectSilentExit(wine.Start(setup + "/PAT:q2 INSTALLDIR=C:/logs/Pellworth"),
                   direct.exitCode == 0 ? 0 : 0x80020000 | direct.exitCode);
  EXPECT_EQ(wine.FileExists(installed), directInstalled);
  EXPECT_FALSE(wine.FileExists("C:\\Program Files\\Pellworth\\pellworth.txt"));
  wine.Shell("rm -rf " + wine.QuotedPath("C:\\logs"));
}

// A quoted folder ending in one backslash leaves the platform's split a
// quotation mark that msiexec would read as opening a run; a script's unset
// variable leaves "/i:" or "/log:" with no path; a line too long for the
// platform's start could never start: each is refused at once, and Wine's
// exec trace shows no start. With the backslash doubled it installs there,
// empty arguments (a script's empty variables) and all.
TEST_F(InstallE2E, QuotedFolderEndingInABackslash) {
  const std::string setup = "C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi ";
  auto traced = [&](const std::string& tail) {
    return wine.StartWith("WINEDEBUG=trace+exec", setup + tail, "C:\\work");
  };
  for (const char* tail : {"/PAT:x INSTALLDIR=\"C:\\Program Files\\P\\\"", "/PAT:x /i:", "/PAT:x /log:"}) {
    SCOPED_TRACE(tail);
    RunResult refused = traced(tail);
    ASSERT_TRUE(refused.finished);
    EXPECT_EQ(Hex(refused.exitCode), Hex(0x80010004));
    EXPECT_LT(refused.ms, 10000);  // refused at once, not after the 30-second wait
    EXPECT_EQ(refused.errors.find("msiexec"), std::string::npos) << refused.errors;
  }
  // Within Setup.exe's own line, past the start's once msiexec's pieces are
  // added (before, Wine's start answered success without a process: 0x80020002
  // after the whole poll).
  std::string tooLong = setup + "/PAT:x A=" + std::string(32700, 'a');
  RunResult refused = wine.Start(std::u16string(tooLong.begin(), tooLong.end()), "C:\\work", 120);
  ASSERT_TRUE(refused.finished);
  EXPECT_EQ(Hex(refused.exitCode), Hex(0x80010004));
  EXPECT_LT(refused.ms, 10000);
  EXPECT_EQ(InstalledCount(), 0);

  RunResult run = traced("\"\" /PAT:x INSTALLDIR=\"C:\\Program Files\\P\\\\\" \"\"");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0));
  EXPECT_NE(run.errors.find("msiexec"), std::string::npos) << "the trace shows no start";
  EXPECT_TRUE(wine.FileExists("C:\\Program Files\\P\\pellworth.txt"));
  RemoveProduct();
  wine.Shell("rm -rf " + wine.QuotedPath("C:\\Program Files\\P"));
}

// The start's COM apartment ends before the wait for msiexec: Wine's relay
// trace of the thread that starts it shows CoInitializeEx, ShellExecuteExW,
// CoUninitialize, and only then the wait without a time-out. (Wine's ole32
// hands both COM calls to combase.)
TEST_F(InstallE2E, ApartmentEndsBeforeTheWait) {
  const std::string debug = "'HKCU\\Software\\Wine\\Debug'";
  wine.Shell("wine_exec reg add " + debug + " /v RelayInclude /d 'combase.CoInitializeEx;"
             "combase.CoUninitialize;shell32.ShellExecuteExW;kernel32.WaitForSingleObject' /f "
             ">/dev/null 2>&1");
  RunResult run = wine.StartWith(
      "WINEDEBUG=+relay", "C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-15", "C:\\work");
  wine.Shell("wine_exec reg delete " + debug + " /v RelayInclude /f >/dev/null 2>&1");
  // Wine's services started under the relay would go on writing it to the
  // error output of later runs: they end here, and the next run starts anew.
  wine.WaitForAll();
  wine.Shell("wine_stop");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(Hex(run.exitCode), Hex(0));
  // The calls of the thread that started msiexec, in order.
  std::string start = run.errors.substr(0, run.errors.find(":Call shell32.ShellExecuteExW"));
  std::string thread = start.substr(start.rfind('\n') + 1);
  ASSERT_EQ(thread.size(), 4u) << run.errors.substr(0, 4000);
  std::vector<std::string> calls;
  std::size_t at = 0;
  while ((at = run.errors.find(thread + ":Call ", at)) != std::string::npos) {
    at += thread.size() + 6;
    std::string call = run.errors.substr(at, run.errors.find('(', at) - at);
    if (call.find(' ') == std::string::npos) calls.push_back(call);  // not a DLL's entry or a window's
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"combase.CoInitializeEx", "shell32.ShellExecuteExW",
                                             "combase.CoUninitialize",
                                             "KERNEL32.WaitForSingleObject"}));
}

// A HostID longer than the reader's buffer confirms the install all the same.
TEST_F(InstallE2E, LongPatIsConfirmed) {
  const std::string pat(300, 'p');
  ExpectSilentExit(
      wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:" + pat), 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), pat);
}

TEST_F(InstallE2E, PatValueWithASpace) {
  ExpectSilentExit(
      wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-normal.msi \"/PAT:host 4\""), 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "host 4");
}

TEST_F(InstallE2E, NeverConfirmedAfterAboutThirtySeconds) {
  RunResult run = wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-nohostid.msi /PAT:H-5");
  ExpectSilentExit(run, 0x80020643);
  EXPECT_GE(run.ms, 29000);
  EXPECT_EQ(InstalledCount(), 1);
}

TEST_F(InstallE2E, FailingInstallCarriesTheInstallerCode) {
  ExpectSilentExit(wine.Start("C:\\work\\Setup.exe /i:C:\\work\\pellworth-fails.msi /PAT:H-6"),
                   0x80020643);
  EXPECT_EQ(InstalledCount(), 0);
}

// The low half is whatever msiexec itself answers for a missing package.
TEST_F(InstallE2E, MissingPackageCarriesMsiexecsOwnCode) {
  RunResult direct = wine.Start("C:\\windows\\system32\\msiexec.exe /i C:\\work\\absent.msi /quiet");
  ASSERT_TRUE(direct.finished);
  ASSERT_NE(direct.exitCode, 0u);
  RunResult run = wine.Start("C:\\work\\Setup.exe /i:C:\\work\\absent.msi /PAT:H-7");
  ExpectSilentExit(run, 0x80020000 | (direct.exitCode & 0xFFFF));
}

// A program named msiexec.exe beside Setup.exe, and in the current folder,
// is never run: the installer comes from the system folder.
TEST_F(InstallE2E, PlantedMsiexecIsNotRun) {
  wine.Shell("cd " + wine.QuotedPath("C:\\work") + " && mkdir -p planted && cp Setup.exe planted/ && "
             "cp planted.exe planted/msiexec.exe && cp planted.exe msiexec.exe");
  RunResult run = wine.Start("C:\\work\\planted\\Setup.exe /i:C:\\work\\pellworth-normal.msi /PAT:H-8");
  ExpectSilentExit(run, 0);
  EXPECT_EQ(wine.RegistryValue(kHostIdKey, "HostID"), "H-8");
  EXPECT_FALSE(wine.FileExists("C:\\work\\msiexec.exe.ran"));
  EXPECT_FALSE(wine.FileExists("C:\\work\\planted\\msiexec.exe.ran"));
}

// The argument string as the real platform hands it to msiexec: the system
// folder's msiexec.exe is replaced for one run by a stand-in that records its
// command line. An empty PAT value is spelled PAT="" there, so the installer
// cannot take the next piece as its value. (Wine's own msiexec drops the
// quotes and so still reads PAT="PAT=x"; Windows Installer reads "" as empty.)
// A property value holding "/log", or "/x:", is passed through as it stands,
// and so is an option msiexec accepts.
TEST_F(InstallE2E, InstallerReceivesTheExactArgumentString) {
  std::string system = wine.QuotedPath("C:\\windows\\system32");
  ASSERT_EQ(wine.Shell("cd " + system + " && mv msiexec.exe msiexec.real && cp " +
                       wine.QuotedPath("C:\\work\\planted.exe") + " msiexec.exe"),
            0);
  SeedHostId(wine);
  RunResult run = wine.StartWith("WINEDLLOVERRIDES='msiexec.exe=n;mscoree,mshtml='",
                                 "C:\\work\\Setup.exe /i:C:\\work\\p.msi /PAT: /PAT:x /NoRestart "
                                 "INSTALLDIR=C:/logs/Pellworth SERVERURL=http://x:8080/api",
                                 "C:\\work");
  wine.Shell("cd " + system + " && mv -f msiexec.real msiexec.exe");
  ExpectSilentExit(run, 0);
  std::string recorded;
  wine.Shell("iconv -f UTF-16LE -t UTF-8 " + wine.QuotedPath("C:\\work\\msiexec.exe.ran"), &recorded);
  EXPECT_EQ(recorded,
            "\"C:\\windows\\system32\\msiexec.exe\"  PAT=\"\" PAT=x /NoRestart INSTALLDIR=C:/logs/Pellworth "
            "SERVERURL=http://x:8080/api /i \"C:\\work\\p.msi\"  "
            "REINSTALL=ALL REINSTALLMODE=vomus /quiet");
}

}  // namespace
}  // namespace e2e
