#include "e2e/wine_session.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {
namespace {

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

std::string Required(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == 0) {
    ADD_FAILURE() << name << " is not set: run the end-to-end tests through ctest";
    return ".";
  }
  return value;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::string WindowsBin() { return Required("PELLWORTH_WINDOWS_BIN"); }
std::string Packages() { return Required("PELLWORTH_PACKAGES"); }

WinePrefix::WinePrefix(const std::string& arch) {
  char pattern[] = "/tmp/pellworth-wine-XXXXXX";
  root_ = mkdtemp(pattern);
  env_ = "WINEPREFIX=" + Quote(root_ + "/prefix") + " WINEARCH=" + arch +
         " WINEDEBUG=-all WINEDLLOVERRIDES=" + Quote("mscoree,mshtml=") + " DISPLAY= ";
  EXPECT_EQ(Shell("wineboot -i >/dev/null 2>&1 && wineserver -w"), 0) << "wine prefix " << root_;
  std::string work = HostPath("C:\\work");
  EXPECT_EQ(Shell("mkdir -p " + Quote(work) + " && cp " + Quote(WindowsBin()) +
                  "/Setup.exe " + Quote(WindowsBin()) + "/runexit.exe " + Quote(WindowsBin()) +
                  "/planted.exe " + Quote(WindowsBin()) + "/planted_dll.dll " + Quote(WindowsBin()) + "/snapshot.exe " + Quote(Packages()) + "/*.msi " + Quote(work)),
            0);
}

WinePrefix::~WinePrefix() {
  Shell("wineserver -k >/dev/null 2>&1; true");
  std::system(("rm -rf " + Quote(root_)).c_str());
}

int WinePrefix::Shell(const std::string& command, std::string* output) {
  std::string line = env_ + "bash -c " + Quote(command);
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

RunResult WinePrefix::Start(const std::string& commandLine, const std::string& directory) {
  return Launch("RUNEXIT_CMDLINE=" + Quote(commandLine), directory, 600);
}

RunResult WinePrefix::StartWith(const std::string& environment, const std::string& commandLine,
                                const std::string& directory) {
  return Launch(environment + " RUNEXIT_CMDLINE=" + Quote(commandLine), directory, 600);
}

RunResult WinePrefix::Start(const std::u16string& commandLine, const std::string& directory,
                            int timeoutSeconds) {
  std::ofstream file(HostPath("C:\\cmdline.txt"), std::ios::binary | std::ios::trunc);
  for (char16_t unit : commandLine) {
    file.put(static_cast<char>(unit & 0xFF));
    file.put(static_cast<char>(unit >> 8));
  }
  file.close();
  return Launch("RUNEXIT_CMDFILE='C:\\cmdline.txt'", directory, timeoutSeconds);
}

RunResult WinePrefix::Launch(const std::string& how, const std::string& directory,
                             int timeoutSeconds) {
  std::string out = root_ + "/run.out", err = root_ + "/run.err";
  std::string command = "cd " + Quote(HostPath(directory)) + " && " + how + " timeout " +
                        std::to_string(timeoutSeconds) +
                        " wine C:\\\\work\\\\runexit.exe >" + Quote(out) + " 2>" + Quote(err);
  Shell(command);
  RunResult run;
  std::string text = ReadFile(out);
  run.errors = ReadFile(err);
  auto at = text.rfind("exit=");
  if (at != std::string::npos) {
    unsigned long code = 0;
    double ms = 0;
    if (std::sscanf(text.c_str() + at, "exit=%lx ms=%lf", &code, &ms) == 2) {
      run.finished = true;
      run.exitCode = static_cast<std::uint32_t>(code);
      run.ms = ms;
      text.erase(at);
    }
  }
  run.output = text;
  return run;
}

void WinePrefix::SetWindowsVersion(const std::string& version) {
  EXPECT_EQ(Shell("wine winecfg -v " + version + " >/dev/null 2>&1 && wineserver -w"), 0);
}

void WinePrefix::WaitForAll() { Shell("wineserver -w"); }

std::optional<std::string> WinePrefix::RegistryValue(const std::string& key,
                                                     const std::string& name) {
  std::string text;
  if (Shell("wine reg query " + Quote("HKLM\\" + key) + " /v " + Quote(name) + " 2>/dev/null",
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
  return Shell("wine reg query " + Quote("HKLM\\" + key) + " >/dev/null 2>&1") == 0;
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

// Removes the shared prefix once every test has run.
class SharedPrefixCleanup : public testing::Environment {
 public:
  void TearDown() override { shared.reset(); }
};
const auto* const kCleanup = testing::AddGlobalTestEnvironment(new SharedPrefixCleanup);
}  // namespace

WinePrefix& SharedPrefix() {
  if (!shared) shared = std::make_unique<WinePrefix>("win32");
  return *shared;
}

}  // namespace e2e
