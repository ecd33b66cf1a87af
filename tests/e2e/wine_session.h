// A throw-away Wine prefix for the end-to-end tests, and the runs made in it.
// The real Setup.exe, CheckPackage.exe, CheckSetup.exe, the tools and the mode's demo packages
// are copied to C:\work, the packages of each processor to C:\work\x86 and
// C:\work\x64; every exit code is read on the Windows side in full 32 bits.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace e2e {

struct RunResult {
  bool finished = false;    // the launcher reported an exit code
  std::uint32_t exitCode = 0;
  double ms = 0;            // start to exit, measured on the Windows side
  std::string output;       // what the program wrote on standard output
  std::string errors;       // what it wrote on standard error
};

class WinePrefix {
 public:
  // A prefix of the host's mode (see Mode()), or with `wow64` a 64-bit prefix in
  // which the 32-bit build runs under WOW64 (only where 32-bit programs run).
  // The prefix lives in a fresh temporary folder and goes with the object; or,
  // given `sharedRoot`, in that folder, made by the first process that asks and
  // kept for the others.
  explicit WinePrefix(bool wow64 = false, const std::string& sharedRoot = "");
  ~WinePrefix();
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  // Runs `commandLine` (a Windows command line, exactly as given) through the
  // launcher, in the Windows folder `directory`.
  RunResult Start(const std::string& commandLine, const std::string& directory = "C:\\work");
  // The same with extra environment assignments for Wine ("NAME=value ...").
  RunResult StartWith(const std::string& environment, const std::string& commandLine,
                      const std::string& directory);
  // The same for any UTF-16 text (unpaired surrogates included), with a time limit.
  RunResult Start(const std::u16string& commandLine, const std::string& directory,
                  int timeoutSeconds);
  // Runs a Linux shell command with this prefix's environment; answers its exit status.
  int Shell(const std::string& command, std::string* output = nullptr);
  // The Windows version Wine reports to programs of the file name `program`
  // alone (its per-program setting); the prefix's own stays as it is.
  void SetProgramVersion(const std::string& program, const std::string& version);
  // The version the whole prefix reports (winecfg -v).
  void SetWindowsVersion(const std::string& version);
  // Waits until no program of the prefix runs but Wine's own services.
  void WaitForAll();
  // A registry value below HKLM as `reg query` prints it, or nothing.
  std::optional<std::string> RegistryValue(const std::string& key, const std::string& name);
  bool RegistryKeyExists(const std::string& key);
  // The Linux path of a Windows path on drive C, and the same quoted for a
  // shell command (the prefix may lie below a folder with blanks in its name).
  std::string HostPath(const std::string& windowsPath) const;
  std::string QuotedPath(const std::string& windowsPath) const;
  bool FileExists(const std::string& windowsPath) const;

 private:
  RunResult Launch(const std::string& environment, const std::string& commandLine,
                   const std::string& directory, int timeoutSeconds);

  bool shared_ = false;
  std::string root_;
  std::string env_;
};

// The prefix shared by the tests of this run, below the folder the build names
// (PELLWORTH_E2E_PREFIX): one for each test process running at the same time,
// made on first use and kept for the processes that come after.
WinePrefix& SharedPrefix();

// A 64-bit prefix in which the 32-bit build runs under WOW64: the run's one
// (PELLWORTH_E2E_WOW64_ROOT, the folder the contract suite's WOW64 cases use,
// booted by whichever comes first), or without it a throw-away one.
std::unique_ptr<WinePrefix> Wow64Prefix();

// How this host runs Windows programs, as the harness decided it: "win32"
// (the i686 build in 32-bit prefixes) or "win64" (the x86-64 build of the same
// sources in 64-bit prefixes, where the host cannot run 32-bit programs).
const std::string& Mode();

// Skips the running test, with its reason, unless the host runs 32-bit
// programs: for what only a 32-bit process can show.
#define E2E_ONLY_WHERE_32_BIT_PROGRAMS_RUN(why)                                           \
  if (::e2e::Mode() != "win32")                                                          \
  GTEST_SKIP() << "needs a host that runs 32-bit programs (mode " << ::e2e::Mode() << "): " \
               << why

// Where the build put the Windows programs of the host's mode and their demo
// packages, and the project's Wine harness (scripts/wine.sh).
std::string WindowsBin();
std::string Harness();
// `text` as one word of a shell command.
std::string Quote(const std::string& text);
// A file's bytes (empty when it cannot be read).
std::string ReadFile(const std::string& path);
std::string Packages();
std::string PackagesOf(const std::string& processor);  // "x86" or "x64"

}  // namespace e2e
