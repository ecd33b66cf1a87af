#include "e2e/wine_session.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string WinePrefix::QuotedPath(const std::string& windowsPath) const {
  return Quote(HostPath(windowsPath));
}

namespace {

// Where the build put things, unless the environment says otherwise.
std::string Setting(const char* name, const char* built) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != 0 ? value : built;
}

// Runs a bash script; answers its exit status and, when asked, what it printed.
int Bash(const std::string& script, std::string* output = nullptr) {
  std::string line = "bash -c " + Quote(script);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
  if (!pipe) return -1;
  std::string text;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) text.append(buffer.data(), n);
  int status = pclose(pipe.release());
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Harness() { return Setting("PELLWORTH_WINE_HARNESS", PELLWORTH_WINE_HARNESS); }

const std::string& Mode() {
  static const std::string mode = [] {
    std::string answer;
    if (Bash("source " + Quote(Harness()) + " && wine_mode && printf %s \"$PELLWORTH_WINE_ARCH\"",
             &answer) != 0)
      return std::string("none");
    return answer;
  }();
  return mode;
}

std::string WindowsBin() {
  return Setting("PELLWORTH_WINDOWS_BIN",
                 Mode() == "win64" ? PELLWORTH_WINDOWS_BIN_WIN64 : PELLWORTH_WINDOWS_BIN_WIN32);
}
std::string Packages() { return PackagesOf(Mode() == "win64" ? "x64" : "x86"); }
std::string PackagesOf(const std::string& processor) {
  return Setting("PELLWORTH_PACKAGES", PELLWORTH_PACKAGES) + (processor == "x64" ? "/x64" : "");
}

WinePrefix::WinePrefix(bool wow64, const std::string& sharedRoot)
    : shared_(!sharedRoot.empty()) {
  if (shared_) {
    root_ = sharedRoot;
  } else {
    char pattern[] = "/tmp/pellworth-wine-XXXXXX";
    root_ = mkdtemp(pattern);
  }
  // Every command runs with the prefix's environment, set by the project's harness.
  env_ = "source " + Quote(Harness()) + " && wine_use " + Quote(root_) + " && ";
  std::string work = HostPath("C:\\work"), harness = HostPath("C:\\harness");
  std::string boot = "wine_prefix " + Quote(root_) + " '' " + (wow64 ? "wow64" : "");
  std::string fill = "mkdir -p " + Quote(work) + " " + Quote(harness) + " && cp " +
                     Quote(WindowsBin() + "/runexit.exe") + " " + Quote(harness) + " && cp";
  for (const char* file : {"Setup.exe", "CheckPackage.exe", "CheckSetup.exe", "runexit.exe", "planted.exe",
                           "planted_dll.dll", "snapshot.exe"})
    fill += " " + Quote(WindowsBin() + "/" + file);
  fill += " " + Quote(Packages()) + "/*.msi " + Quote(work);
  // The packages of both processors as well, in C:\work\x86 and C:\work\x64.
  for (const char* processor : {"x86", "x64"})
    fill += " && mkdir -p " + Quote(work + "/" + processor) + " && cp " +
            Quote(PackagesOf(processor)) + "/*.msi " + Quote(work + "/" + processor);
  // A shared prefix is booted once, by the first process that asks, under a
  // lock (or already by the contract runner, which marks it ready the same
  // way), then filled once, and kept.
  std::string make = boot + " && " + fill;
  if (shared_) {
    std::string ready = Quote(root_ + "/ready"), filled = Quote(root_ + "/filled");
    make = "mkdir -p " + Quote(root_) + " && flock " + Quote(root_ + "/.lock") + " bash -c " +
           Quote("{ [ -f " + ready + " ] || { " + env_ + boot + " && touch " + ready +
                 "; }; } && { [ -f " + filled + " ] || { " + env_ + fill + " && touch " + filled +
                 "; }; }");
  }
  EXPECT_EQ(Bash(env_ + make), 0) << "wine prefix " << root_;
}

WinePrefix::~WinePrefix() {
  if (!shared_) Bash(env_ + "wine_done");
}

// The prefix's server is kept between commands, its services on no output of
// theirs: no command waits for Wine to start anew, nor for a service that
// holds the pipe it is read through.
int WinePrefix::Shell(const std::string& command, std::string* output) {
  return Bash(env_ + "wine_keep 30 && " + command, output);
}

RunResult WinePrefix::Start(const std::string& commandLine, const std::string& directory) {
  return Launch("", commandLine, directory, 600);
}

RunResult WinePrefix::StartWith(const std::string& environment, const std::string& commandLine,
                                const std::string& directory) {
  return Launch(environment, commandLine, directory, 600);
}

RunResult WinePrefix::Start(const std::u16string& commandLine, const std::string& directory,
                            int timeoutSeconds) {
  std::ofstream file(HostPath("C:\\cmdline.txt"), std::ios::binary | std::ios::trunc);
  for (char16_t unit : commandLine) {
    file.put(static_cast<char>(unit & 0xFF));
    file.put(static_cast<char>(unit >> 8));
  }
  file.close();
  return Launch("RUNEXIT_CMDFILE='C:\\cmdline.txt'", "", directory, timeoutSeconds);
}

// The harness's wine_run reads the exit code and time; they come back as one
// line after the program's own output.
RunResult WinePrefix::Launch(const std::string& environment, const std::string& commandLine,
                             const std::string& directory, int timeoutSeconds) {
  std::string out = root_ + "/run.out", err = root_ + "/run.err", result = root_ + "/run.result";
  Shell("WINE_RUN_TIMEOUT=" + std::to_string(timeoutSeconds) + " " + environment + " wine_run " +
        Quote(directory) + " " + Quote(commandLine) + " 2>" + Quote(err) +
        "; printf %s \"$RUN_OUTPUT\" >" + Quote(out) + "; echo \"$RUN_CODE $RUN_MS\" >" +
        Quote(result));
  RunResult run;
  run.output = ReadFile(out);
  run.errors = ReadFile(err);
  unsigned long code = 0;
  double ms = 0;
  if (std::sscanf(ReadFile(result).c_str(), "%lx %lf", &code, &ms) == 2) {
    run.finished = true;
    run.exitCode = static_cast<std::uint32_t>(code);
    run.ms = ms;
  }
  return run;
}

void WinePrefix::SetWindowsVersion(const std::string& version) {
  EXPECT_EQ(Shell("wine_exec winecfg -v " + Quote(version) + " >/dev/null 2>&1"), 0);
}

void WinePrefix::SetProgramVersion(const std::string& program, const std::string& version) {
  const std::string key = Quote("HKCU\\Software\\Wine\\AppDefaults\\" + program);
  EXPECT_EQ(Shell("wine_exec reg add " + key + " /v Version /d " + Quote(version) +
                  " /f >/dev/null 2>&1"),
            0);
}

void WinePrefix::WaitForAll() { EXPECT_EQ(Shell("wine_settle"), 0); }

std::optional<std::string> WinePrefix::RegistryValue(const std::string& key,
                                                     const std::string& name) {
  std::string text;
  if (Shell("wine_exec reg query " + Quote("HKLM\\" + key) + " /v " + Quote(name) + " 2>/dev/null",
            &text) != 0)
    return std::nullopt;
  // "    NAME    REG_SZ    DATA"
  auto at = text.find("REG_");
  if (at == std::string::npos) return std::nullopt;
  auto data = text.find("    ", at);
  if (data == std::string::npos) return std::string();
  std::string value = text.substr(data + 4);
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

bool WinePrefix::RegistryKeyExists(const std::string& key) {
  return Shell("wine_exec reg query " + Quote("HKLM\\" + key) + " >/dev/null 2>&1") == 0;
}

std::string WinePrefix::HostPath(const std::string& windowsPath) const {
  std::string path = windowsPath;
  if (path.size() >= 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':') path.erase(0, 2);
  for (char& c : path)
    if (c == '\\') c = '/';
  return root_ + "/prefix/drive_c" + path;
}

bool WinePrefix::FileExists(const std::string& windowsPath) const {
  return access(HostPath(windowsPath).c_str(), F_OK) == 0;
}

namespace {
std::unique_ptr<WinePrefix> shared;

// Ends this process's use of the shared prefix once its tests have run (the
// prefix itself is kept for the other test processes of the run).
class SharedPrefixCleanup : public testing::Environment {
 public:
  void TearDown() override { shared.reset(); }
};
const auto* const kCleanup = testing::AddGlobalTestEnvironment(new SharedPrefixCleanup);
}  // namespace

// Test processes that run at the same time each take a prefix of their own
// below the run's folder: the first free slot, held by a lock for the
// process's life (closed on exec, so that no Wine server it starts keeps it).
WinePrefix& SharedPrefix() {
  if (!shared) {
    const std::string base = Setting("PELLWORTH_E2E_PREFIX", PELLWORTH_E2E_PREFIX);
    mkdir(base.c_str(), 0755);
    for (int slot = 1; !shared; ++slot) {
      const std::string root = base + "/" + std::to_string(slot);
      int lock = open((root + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
      if (lock < 0) ADD_FAILURE() << "cannot open the lock of " << root;
      if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) == 0)
        shared = std::make_unique<WinePrefix>(false, root);  // the lock stays with the process
      else
        close(lock);
    }
  }
  return *shared;
}

std::unique_ptr<WinePrefix> Wow64Prefix() {
  return std::make_unique<WinePrefix>(true, Setting("PELLWORTH_E2E_WOW64_ROOT", ""));
}

}  // namespace e2e
